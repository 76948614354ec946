// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "rename/JournalRecord.h"

#include <string>
#include <vector>

namespace quillory {

// The folder of run journals: one file per run, named by its id (start time and process), so that
// names sort by age. Old closed journals are pruned: at most the last 50 runs, none older than 30 days.
class JournalStore {
public:
    static constexpr std::size_t keptRuns = 50;
    static constexpr int keptDays = 30;

    explicit JournalStore(std::string folder);

    // $XDG_STATE_HOME/quillory/journal, by default ~/.local/state/quillory/journal.
    static std::string defaultFolder();

    const std::string& folder() const { return folder_; }
    std::string pathOf(const std::string& id) const;

    // Ids of all journals, oldest first.
    std::vector<std::string> ids() const;
    // The whole journal.
    Result<JournalRecord> read(const std::string& id) const;
    // Header and ending only: quick even for a journal of many files.
    Result<JournalRecord> summary(const std::string& id) const;
    // Unclosed journals whose process is gone: runs that were interrupted.
    std::vector<JournalRecord> interruptedRuns() const;
    // Adds lines to a journal, flushed to stable storage.
    Status append(const std::string& id, const std::string& lines) const;
    // Removes closed journals beyond the limits.
    void prune() const;

private:
    std::string folder_;
};

} // namespace quillory
