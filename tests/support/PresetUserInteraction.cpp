// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetUserInteraction.h"

#include "app/Logger.h"

#include <algorithm>

namespace quillory {

void PresetUserInteraction::setAnswers(std::vector<std::string> answers) {
    std::lock_guard lock(mutex_);
    answers_ = std::move(answers);
}

void PresetUserInteraction::setSuppression(bool checked) {
    std::lock_guard lock(mutex_);
    suppression_ = checked;
}

UserInteraction::Answer PresetUserInteraction::ask(const Question& question) {
    std::lock_guard lock(mutex_);
    questions_.push_back(question);
    Answer answer;
    answer.suppressionChecked = question.showsSuppressionBox && suppression_;
    for (const auto& wanted : answers_) {
        auto found = std::find(question.buttons.begin(), question.buttons.end(), wanted);
        if (found != question.buttons.end()) {
            answer.button = static_cast<std::size_t>(found - question.buttons.begin());
            break;
        }
    }
    return answer;
}

void PresetUserInteraction::showAlert(const std::string& title, const std::string& text) {
    Logger::error(title, ": ", text);
    std::lock_guard lock(mutex_);
    alerts_.emplace_back(title, text);
}

std::vector<UserInteraction::Question> PresetUserInteraction::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::vector<std::pair<std::string, std::string>> PresetUserInteraction::alerts() const {
    std::lock_guard lock(mutex_);
    return alerts_;
}

} // namespace quillory
