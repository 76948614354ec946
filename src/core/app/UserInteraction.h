// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// Questions and alerts put to the user. The GUI shows modal dialogs; the CLI answers from its options;
// tests script the answers. May be called from any thread: an implementation that needs its own
// thread for dialogs hands the call over and blocks until answered.
class UserInteraction {
public:
    // A modal question with buttons, optionally with a do-not-ask-again check box.
    struct Question {
        std::string message;
        std::string informativeText;
        std::vector<std::string> buttons; // first is the default
        bool showsSuppressionBox = false;
        std::string suppressionText = "Do not ask again";
    };
    struct Answer {
        std::size_t button = 0;      // index into Question::buttons
        bool suppressionChecked = false;
    };

    virtual ~UserInteraction() = default;

    virtual Answer ask(const Question& question) = 0;
    // An informational alert with a single "OK".
    virtual void showAlert(const std::string& title, const std::string& text) = 0;
    // Brings the application to the front before a question; nothing to do for the CLI.
    virtual void activate() {}

    // Asks and returns the title of the chosen button (the first button when the answer is out of range).
    std::string askForButton(const Question& question);
};

} // namespace quillory
