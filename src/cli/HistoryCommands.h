// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillory::cli {

// The modes that work on recorded runs rather than on a list of files: the history, undo and recovery.
struct HistoryRequest {
    enum class Mode { history, undo, recover };
    Mode mode = Mode::history;
    std::string runId;    // undo: the run to reverse; empty for the last one
    bool finish = false;  // recover: complete the interrupted run instead of rolling it back
    bool json = false;
    // Folders allowed for this run besides the stored ones (--allow): files are put back only there.
    std::vector<std::string> allow;
};

int runHistoryCommand(const HistoryRequest& request, std::ostream& out, std::ostream& err);

// At start: tells about runs that were interrupted and how to settle them.
void warnAboutInterruptedRuns(std::ostream& err);

} // namespace quillory::cli
