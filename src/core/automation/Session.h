// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "automation/AppServices.h"
#include "filelist/Directory.h"
#include "filelist/FileDataSource.h"
#include "filelist/FileSortOrder.h"
#include "filelist/RejectedDirectory.h"
#include "model/File.h"
#include "model/RenamePlanTableItem.h"
#include "model/Transformer.h"
#include "rename/FileValidationResult.h"
#include "rename/JournalRecord.h"
#include "rename/RenameReport.h"
#include "rename/RunRestorer.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace quillory {

class FileDataSource;
class Transformers;
class UserInteraction;

// How new paths join the list.
enum class OpenMode {
    replace, // the list becomes the new paths
    append,  // the new paths go after the listed files
    ask,     // ask through the user interaction when the list is not empty (replace when it is)
};

// What an open did. Refused folders are data here; the opener also shows them as an alert.
struct OpenReport {
    std::size_t fileCount = 0;             // files handed to the list
    std::vector<RejectedDirectory> refused; // folders that could not be opened, sorted by path
    bool cancelled = false;                // "Cancel" chosen, or the stop token fired
    bool ok() const { return !cancelled && refused.empty(); }
};

// Where a long operation is; `total` is 0 while unknown.
enum class SessionStage { opening, readingAttributes, lookingUpPlaces, computing, validating, renaming };

struct SessionProgress {
    SessionStage stage = SessionStage::computing;
    std::size_t done = 0;
    std::size_t total = 0;
};

// Called on the thread that runs the operation; keep it short (hand the values to a UI thread).
using ProgressCallback = std::function<void(const SessionProgress&)>;

// How a row will fare when renamed, in order of precedence: error, warning, willChange, unchanged.
enum class RowState { unchanged, willChange, warning, error };

// One listed file as the front-ends show it: where it is, where the chain puts it, and the verdict.
struct SessionRow {
    FileId identifier;
    std::string path; // containing folder (a folder entry: the folder itself), no trailing "/"
    std::string name; // without extension; empty for a folder entry
    std::string ext;  // without the dot
    std::string newPath;
    std::string newName;
    std::string newExt;
    std::string newFullPath;  // where the run puts it, unique suffix included
    std::string uniqueSuffix; // added to the new name to keep targets apart (" 2")
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    RowState state = RowState::unchanged;
    bool isFolder = false; // the entry stands for a folder, not a file in it

    std::string fullPath() const;
    // The last component now ("a.txt"), and as the new-name column shows it ("b 2.txt").
    std::string fileName() const;
    std::string newFileName() const;
    // Whether the name, folder or extension changes (whatever the errors say).
    bool changes() const { return newName != name || newPath != path || newExt != ext; }

    static SessionRow from(const File& file);
    static SessionRow from(const FileDataSource::FileRef& file);
};

struct RenameOptions {
    bool force = false; // rename the files without errors although others have some
    // Compute the rows again over the new names after the run; a caller that shows only the report
    // saves a pass over the whole list.
    bool refreshRows = true;
};

// The one way into the core for the command line tool, the desktop app and scripting: open files,
// set the chain, preview, plan and rename. Owns the application's services.
//
// Calls are not thread-safe among themselves: make them from one thread at a time. Long operations
// take a stop token and a progress callback. Without `observeNotifications` the session drains the
// main queue itself after each operation; with it, the owner runs the main queue.
class Session {
public:
    struct Options {
        std::filesystem::path preferencesFile;      // empty: the user's settings file
        UserInteraction* userInteraction = nullptr; // required: questions and alerts go here
        // Recompute the preview as the list and the chain change, in the background (the desktop app).
        bool observeNotifications = false;
        // Register the shared objects in the process-wide registry (the desktop app does).
        bool registerShared = false;
        // Where rename runs keep their journals (for undo and recovery); empty: runs are not recorded.
        std::string journalFolder{};
    };

    explicit Session(Options options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    AppServices& services() { return services_; }

    // Gives the validator and the geocoder the settings as they are now (after transient changes).
    void reloadSettings();

    // --- the list ---------------------------------------------------------------------------------
    // `reading` limits how deep the given folders are read and whether hidden names are listed.
    OpenReport open(const std::vector<std::string>& paths, OpenMode mode = OpenMode::replace,
                    std::stop_token stopToken = {}, const ProgressCallback& progress = {},
                    const FolderReading& reading = {});
    std::size_t fileCount() const;
    void setSortOrder(FileSortOrder order);
    FileSortOrder sortOrder() const;

    // --- the chain --------------------------------------------------------------------------------
    void setChain(std::vector<Transformer> chain);
    // Appends the action, or replaces the one with the same id.
    void addAction(Transformer action);
    std::vector<Transformer> chain() const;
    // A recipe file ("~" allowed), or the JSON text of a recipe when the text starts with "{".
    // A recipe may also set the sort order.
    [[nodiscard]] Status loadRecipe(const std::string& pathOrJson);
    [[nodiscard]] Status saveRecipe(const std::string& path);

    // --- computing --------------------------------------------------------------------------------
    // Computes every new name with the full pass (the names a rename would use) and validates them.
    std::vector<SessionRow> preview(std::stop_token stopToken = {}, const ProgressCallback& progress = {});
    // The cheap recompute for a live preview: every name again with the quick pass (attributes already
    // loaded are used; what still waits for a value gets the full transform), then validation.
    std::vector<SessionRow> quickPreview(std::stop_token stopToken = {}, const ProgressCallback& progress = {});
    // Computes as preview() does without handing out the rows, for a caller that walks them.
    void compute(std::stop_token stopToken = {}, const ProgressCallback& progress = {});
    // The rows as the list holds them now, without computing anything.
    std::vector<SessionRow> rows() const;
    // The same rows one at a time, in list order, with no copy of them all. `visit` must not call the
    // session: it runs while the list is held.
    void forEachRow(const std::function<void(const SessionRow&)>& visit) const;
    std::optional<SessionRow> row(std::size_t position) const;
    // The totals of the rows as they are now.
    FileValidationResult validationResult() const;
    // The name after each action of the chain for one listed file, given by its path or identifier.
    [[nodiscard]] Result<std::vector<RenamePlanTableItem>> plan(const std::string& pathOrId);

    // Computes the names once, then moves the files. Afterwards the rows show the files at their new
    // places with the chain applied again. A stop request ends the run between two files.
    RenameReport rename(const RenameOptions& options = {}, std::stop_token stopToken = {},
                        const ProgressCallback& progress = {});

    // Recorded runs (empty when this session records none): their summaries, newest last.
    std::vector<JournalRecord> history() const;
    // Puts back what a closed run moved; the newest run not undone yet when `runId` is empty. The list is
    // left as it is: the caller opens the folders again to see the files at their old places.
    Result<RunRestorer::Outcome> undo(const std::string& runId = {});
    // The run that undo() without an id reverses, as its journal summary; none when there is nothing
    // to undo.
    std::optional<JournalRecord> undoableRun();
    // After an undo: listed files that the run had moved and that are back at their old places are
    // listed there again, and the chain runs over them. Returns how many files it changed.
    std::size_t relistUndoneRun(const std::string& runId);
    // Settles an interrupted run: rolled back, or finished as planned.
    Result<RunRestorer::Outcome> recover(const std::string& runId, bool finish);

private:
    std::string journalFolder_;
    // The full pass with validation; false when it failed or was stopped.
    bool computeAll(std::stop_token stopToken, const ProgressCallback& progress);
    // The quick pass over every file, then validation, both finished on return.
    void recomputeQuick(std::stop_token stopToken, const ProgressCallback& progress);
    void drainMainQueue();

    bool ownsMainQueue_;
    AppServices services_;
    FileDataSource* list_;
    Transformers* transformers_;
};

} // namespace quillory
