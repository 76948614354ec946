// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <iosfwd>
#include <stop_token>

namespace quillory {
class Session;
}

namespace quillory::cli {

// Computes the new names and prints them, as a table or as one JSON document.
class PreviewCommand {
public:
    struct Options {
        bool json = false;
        bool changedOnly = false;    // only the files whose names change
        bool color = false;          // tint the table's rows
        bool listIncomplete = false; // some given paths could not be opened (exit status 1)
        bool showProgress = false;   // a progress line on standard error for a run that takes a while
        std::chrono::milliseconds progressDelay{1000};
    };

    PreviewCommand(Session& session, std::ostream& out, std::ostream& err);
    int run(const Options& options, std::stop_token stopToken = {});

private:
    Session& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace quillory::cli
