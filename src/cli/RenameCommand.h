// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <iosfwd>
#include <stop_token>

namespace quillory {
class Session;
}

namespace quillory::cli {

// Carries the new names out on disk and reports what it did; refuses (and shows why) when files have
// errors and the run is not forced.
class RenameCommand {
public:
    struct Options {
        bool json = false;
        bool changedOnly = false;
        bool color = false;
        bool force = false;          // rename the others although some files have errors
        bool showProgress = false;   // a progress line on standard error for a run that takes a while
        bool listIncomplete = false; // some given paths could not be opened (exit status 1)
        // Only a run that takes longer shows progress; short ones would just flicker.
        std::chrono::milliseconds progressDelay{1000};
    };

    RenameCommand(Session& session, std::ostream& out, std::ostream& err);
    int run(const Options& options, std::stop_token stopToken = {});

private:
    Session& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace quillory::cli
