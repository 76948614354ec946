// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>

namespace quillory::cli {

// The modes that work on recorded runs rather than on a list of files: the history, undo and recovery.
struct HistoryRequest {
    enum class Mode { history, undo, recover };
    Mode mode = Mode::history;
    std::string runId;    // undo: the run to reverse; empty for the last one
    bool finish = false;  // recover: complete the interrupted run instead of rolling it back
    bool json = false;
};

int runHistoryCommand(const HistoryRequest& request, std::ostream& out, std::ostream& err);

// At start: tells about runs that were interrupted and how to settle them.
void warnAboutInterruptedRuns(std::ostream& err);

} // namespace quillory::cli
