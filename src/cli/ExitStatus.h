// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory::cli {

// The tool's exit statuses, as its help describes them.
enum ExitStatus : int {
    exitDone = 0,            // done, or a preview without errors
    exitFilesWithErrors = 1, // some files have errors, or some given paths could not be opened
    exitUsage = 2,           // bad usage or input
    exitRenameFailed = 3,    // some files could not be renamed, or the run was aborted
    exitOutputLost = 4,      // standard output could not be written (what was renamed stays renamed)
    exitInterrupted = 130,   // stopped by Ctrl-C (128 + SIGINT, as shells report it)
};

} // namespace quillory::cli
