// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliUserInteraction.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>

namespace quillory::cli {

CliUserInteraction::CliUserInteraction(std::istream& in, std::ostream& err, bool interactive, OnError onError)
    : in_(in), err_(err), interactive_(interactive), onError_(onError) {}

namespace {
std::size_t indexOf(const std::vector<std::string>& buttons, const std::string& title) {
    const auto it = std::find(buttons.begin(), buttons.end(), title);
    return it == buttons.end() ? 0 : static_cast<std::size_t>(it - buttons.begin());
}
} // namespace

UserInteraction::Answer CliUserInteraction::ask(const Question& question) {
    std::lock_guard lock(mutex_);
    const bool continueOrAbort = indexOf(question.buttons, "Abort") != 0;
    if (!continueOrAbort) {
        // The list is replaced when the tool opens files; anything else takes the default button.
        const bool hasReplace = std::find(question.buttons.begin(), question.buttons.end(), "Replace") !=
                                question.buttons.end();
        return {hasReplace ? indexOf(question.buttons, "Replace") : 0, false};
    }
    err_ << "\n" << question.message << question.informativeText << "\n";
    if (!interactive_) {
        const bool abort = onError_ == OnError::abort;
        err_ << (abort ? "Aborting (--on-error abort)." : "Continuing (--on-error continue).") << "\n";
        return {abort ? indexOf(question.buttons, "Abort") : indexOf(question.buttons, "Continue"), !abort};
    }
    for (;;) {
        err_ << "[c]ontinue, [a]bort, or continue and do not ask again for this error ([n])? " << std::flush;
        std::string line;
        if (!std::getline(in_, line))
            return {indexOf(question.buttons, "Abort"), false};
        if (line == "c" || line == "C")
            return {indexOf(question.buttons, "Continue"), false};
        if (line == "n" || line == "N")
            return {indexOf(question.buttons, "Continue"), true};
        if (line == "a" || line == "A")
            return {indexOf(question.buttons, "Abort"), false};
    }
}

void CliUserInteraction::showAlert(const std::string& title, const std::string& text) {
    // The tool tells refused folders itself, with the options that would allow them.
    if (title == "Unable to open all files")
        return;
    std::lock_guard lock(mutex_);
    // The same failure for every file of a run (an unreachable service) is said once.
    if (!shown_.insert(title + "\n" + text).second)
        return;
    err_ << title << ": " << text << "\n";
}

} // namespace quillory::cli
