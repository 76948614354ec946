// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileError.h"

#include <string>
#include <vector>

namespace quillory {

// What one rename run did, for the command line and scripting, which have no alert to read.
struct RenameReport {
    struct Failure {
        std::string source;
        std::string target;
        FileError error;
    };
    struct Renamed {
        std::string from;
        std::string to;
    };

    bool started = false;  // false when the full pass failed or files had errors without force
    bool aborted = false;  // cancelled, or "Abort" chosen in the dialog
    int errorCount = 0;    // files with validation errors (never renamed, not failures)
    int renameCount = 0;   // files without errors whose name, path or extension changes
    int successCount = 0;  // files moved
    int notTriedCount = 0; // files left alone because the run stopped first
    std::vector<Failure> failures;
    // In the plan's order, but moves that change nothing come first, and moves made on another thread
    // beside a failed one come before it.
    std::vector<Renamed> renamed;
    std::string journalId;        // the run's record, for undo; empty when none was kept
    std::string journalError;     // why no record, or no whole one, could be kept

    int triedCount() const { return successCount + static_cast<int>(failures.size()); }
};

} // namespace quillory
