// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/UserInteraction.h"

#include <iosfwd>
#include <mutex>
#include <set>
#include <string>

namespace quillory::cli {

// Questions answered at the terminal when there is one, otherwise from the command line's options.
class CliUserInteraction final : public UserInteraction {
public:
    enum class OnError { continueRenaming, abort };

    CliUserInteraction(std::istream& in, std::ostream& err, bool interactive, OnError onError);

    Answer ask(const Question& question) override;
    void showAlert(const std::string& title, const std::string& text) override;

private:
    std::istream& in_;
    std::ostream& err_;
    bool interactive_;
    OnError onError_;
    std::mutex mutex_;
    std::set<std::string> shown_; // alerts already written
};

} // namespace quillory::cli
