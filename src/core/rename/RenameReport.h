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

    bool started = false;  // false when the full pass failed or files had errors without force
    bool aborted = false;  // cancelled, or "Abort" chosen in the dialog
    int errorCount = 0;    // files with validation errors (never renamed, not failures)
    int renameCount = 0;   // files without errors whose name, path or extension changes
    int successCount = 0;  // files moved
    std::vector<Failure> failures;
};

} // namespace quillory
