// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UserInteraction.h"

namespace quillory {

std::string UserInteraction::askForButton(const Question& question) {
    if (question.buttons.empty())
        return {};
    Answer answer = ask(question);
    if (answer.button >= question.buttons.size())
        return question.buttons.front();
    return question.buttons[answer.button];
}

} // namespace quillory
