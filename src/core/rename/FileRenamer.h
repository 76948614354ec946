// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "rename/FileError.h"
#include "rename/MovePlan.h"
#include "rename/RenameReport.h"
#include "rename/RunRecorder.h"

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_set>

namespace quillory {

class FileDataSource;
class FileSystem;
class NotificationCenter;
class MovePlan;
class PreferenceKey;
class Preferences;
class UserInteraction;

// Carries the computed names out on disk: runs the full pass once more (which validates, choosing every
// target against the list and the disk), builds the move plan from it and executes exactly that plan,
// creating missing folders and removing folders it emptied. Nothing is ever overwritten. Each moved
// file's new location goes back into the list at once, so the list always tells where every file is,
// even after a failure or an abort.
class FileRenamer {
public:
    // Runs the engine's full pass (which validates again) over the list. True when it completed
    // successfully; the renamer then reads the list with its fresh validations.
    using FullPass = std::function<bool(std::stop_token)>;

    struct Services {
        FileDataSource& fileDataSource;
        FileSystem& fileSystem;
        Preferences* preferences = nullptr;         // null: the default settings
        UserInteraction* userInteraction = nullptr; // null: every question is answered "Continue"
        NotificationCenter* notifications = nullptr;
        RunRecorder* recorder = nullptr;            // null: the run is not recorded
    };

    struct Answer {
        bool abort = false;
        bool doNotAskAgain = false;
    };

    // The outcome of moving one file.
    struct Move {
        std::string source;   // where it was
        std::string target;   // where the list wanted it
        std::string movedTo;  // where it went (a free numbered name after a collision); empty on failure
        std::optional<FileError> error;
        FileSource newSource; // the file's source at its new place, same id
    };

    FileRenamer(Services services, FullPass fullPass);

    // The user-level entry: blocks input, shows progress, runs, then asks the engine to recompute.
    RenameReport rename(bool force, std::stop_token stopToken = {});
    // The run itself.
    RenameReport applyTransformationsAndRename(bool force, std::stop_token stopToken = {});
    // The run over names already computed and validated by the caller (the list's files in display
    // order): no full pass here. `progress` gets (moved, to move) on the running thread.
    using Progress = std::function<void(int done, int total)>;
    RenameReport renameComputed(std::vector<File> files, bool force, std::stop_token stopToken = {},
                                Progress progress = {});
    // The same over the list as it stands, read in place: a run over 100,000 files needs no copy of them.
    RenameReport renameListed(bool force, std::stop_token stopToken = {}, Progress progress = {});
    // Moves one file to its computed place (its unique suffix included), on its own.
    Move renameFile(const File& file);
    Answer askAbortOrContinue(const std::string& sourcePath, const std::string& targetPath, const FileError& error);

    // Folders that are never removed even when emptied (the home folder and "/" by default).
    void setProtectedDirectories(std::set<std::string> directories);
    // Emptied folders are removed only while this says yes; the walk up stops at the first no. The
    // application allows only folders strictly inside both an allowed directory and a folder the user
    // opened, never an allowed directory itself.
    void setRemovableFolder(std::function<bool(const std::string& folder)> mayRemove);
    // Least time between two progress updates; every file by default would flood the main thread.
    void setProgressInterval(std::chrono::milliseconds interval) { progressInterval_ = interval; }
    // Runs of at least this many files renamed inside one folder, in any order, move on two threads.
    static constexpr std::size_t movedTogetherFrom = 256;

private:
    struct Execution;
    // What a move needs of its file to write the new place back into the list.
    struct Origin {
        std::optional<int> index;
        FileId id;
        bool isAlias = false;
    };
    // Records, executes and reports a plan; `origins` go with the plan's moves. Each move's texts go into
    // the report as the list learns of the move.
    RenameReport runPlan(RenameReport report, MovePlan& plan, std::vector<Origin> origins,
                         std::stop_token stopToken,
                         std::future<RunRecorder::PreparedMoves> prepared = {});

    bool preference(const PreferenceKey& key, bool fallback) const;
    std::optional<FileError> ensureDirectory(std::string_view path);
    std::optional<FileError> performStep(const std::string& from, const std::string& to, bool mayDetour,
                                         RunRecorder* recorder = nullptr, std::size_t step = 0);
    void removeEmptiedFolders(std::string folder);
    void executePlan(Execution& execution, std::stop_token stopToken);
    void postProgress(int done, int total, bool force);
    void post(std::string_view name);

    Services services_;
    FullPass fullPass_;
    std::set<std::string> protectedDirectories_;
    std::function<bool(const std::string&)> mayRemoveFolder_;
    // Asked once per move with a view of the target's folder: looked up without making a string of it.
    struct FolderHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view folder) const { return std::hash<std::string_view>{}(folder); }
    };
    std::unordered_set<std::string, FolderHash, std::equal_to<>> knownDirectories_;
    std::chrono::milliseconds progressInterval_{100};
    std::chrono::steady_clock::time_point lastProgress_{};
    Progress progress_;
    std::string temporaryTag_;
    std::size_t detours_ = 0;
};

} // namespace quillory
