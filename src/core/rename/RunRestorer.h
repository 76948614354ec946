// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "rename/JournalRecord.h"
#include "rename/FileError.h"
#include "rename/RenameReport.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillory {

class FileSystem;
class JournalStore;

// Reverses a recorded run, or settles one that was interrupted, from its journal. An item is moved
// only when it is still where the run put it (same device and inode, or a faithful copy on another
// file system), and never over anything; whatever was changed or moved since is reported and left
// alone. Undoing is itself a run with a journal, so it can be undone in turn.
class RunRestorer {
public:
    struct Outcome {
        std::string runId;    // the journal of the undoing run; empty when nothing had to move
        int moved = 0;        // items put back (undo, roll back) or brought to their targets (finish)
        int alreadyInPlace = 0;
        int straysRemoved = 0;
        std::vector<std::string> leftAlone; // one message per item not touched
        std::vector<RenameReport::Failure> failures;
    };

    RunRestorer(FileSystem& fileSystem, JournalStore& store);

    // Puts back everything a closed run moved. Removes the folders it created when they are empty
    // again and recreates the ones it removed.
    Result<Outcome> undo(const std::string& runId);
    // An interrupted run: rolled back to where it started, or finished as planned. Leftover copies of
    // an interrupted move to another file system go once the original is found intact.
    Result<Outcome> recover(const std::string& runId, bool finish);
    // The newest closed rename run not undone yet. None when a run after it is still open (interrupted,
    // or running): undoing an older run would then act behind that one's back.
    std::optional<std::string> lastUndoableRun() const;
    // That open run, if there is one after the last undoable run (or no undoable run at all).
    std::optional<std::string> openRunAhead() const;

private:
    enum class Where { source, temporary, target, unknown };
    // Where the item of a move is now; for a temporary name, which one (in `parkedAt`).
    Where locate(const JournalRecord& record, std::size_t move, std::string* parkedAt = nullptr) const;
    // Whether the folder holds an entry spelt exactly so: in a folder that ignores case, a path finds
    // the entry under any spelling.
    bool spelledAs(const std::string& path) const;
    void moved(const std::string& from, const std::string& to);
    // A move that, where the target is the item itself under another spelling, goes through a
    // temporary name, once `recordDetour` has recorded it.
    std::optional<FileError> moveItem(const std::string& from, const std::string& to,
                                      const std::function<bool(const std::string&)>& recordDetour);
    void putBack(const JournalRecord& record, Outcome& outcome);
    void finishRun(const JournalRecord& record, Outcome& outcome);
    void removeStrayCopies(const JournalRecord& record, Outcome& outcome);
    std::optional<FileError> ensureFolder(const std::string& path, std::vector<std::string>& created);

    FileSystem& fileSystem_;
    JournalStore& store_;
    mutable std::map<std::string, std::set<std::string>> listings_; // folder -> entry names, as read
};

} // namespace quillory
