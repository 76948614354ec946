// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/UserInteraction.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace quillory {

// Answers every question with a preset button title (or the default button) and collects alerts,
// writing them to the log. Used by the command line, which takes its answers from its options, and by
// tests. Thread-safe.
class PresetUserInteraction : public UserInteraction {
public:
    explicit PresetUserInteraction(std::vector<std::string> answers = {}) : answers_(std::move(answers)) {}

    // Button titles tried in order against each question's buttons; the first that fits is chosen.
    void setAnswers(std::vector<std::string> answers);
    void setSuppression(bool checked);

    Answer ask(const Question& question) override;
    void showAlert(const std::string& title, const std::string& text) override;

    std::vector<Question> questions() const;
    std::vector<std::pair<std::string, std::string>> alerts() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> answers_;
    bool suppression_ = false;
    std::vector<Question> questions_;
    std::vector<std::pair<std::string, std::string>> alerts_;
};

} // namespace quillory
