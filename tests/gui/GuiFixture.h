// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "app/Application.h"
#include "app/UserInteraction.h"
#include "model/TokenString.h"

#include <QStringList>

class QAbstractItemView;

#include <ostream>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quillory {
// Readable token strings in failure messages.
inline void PrintTo(const TokenString& tokens, std::ostream* out) { *out << tokens.description(); }
}

namespace quillory::test {

// Answers questions with the first of the scripted button titles that the question offers (else its
// default button) and records every question and alert. Called from worker threads too.
class ScriptedInteraction : public UserInteraction {
public:
    void answerWith(std::vector<std::string> buttons, bool suppress = false);
    Answer ask(const Question& question) override;
    void showAlert(const std::string& title, const std::string& text) override;
    std::vector<std::string> questionMessages() const;
    std::vector<std::string> alertTitles() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> buttons_;
    bool suppress_ = false;
    std::vector<std::string> questions_;
    std::vector<std::string> alerts_;
};

// A desktop app over a temporary home folder (with a copy of the example files in it) and its own
// settings file.
class GuiApp {
public:
    GuiApp();
    ~GuiApp();

    gui::Application& app() { return *app_; }
    ScriptedInteraction& interaction() { return interaction_; }
    const TempDir& home() const { return home_; }
    // Copies examples/files into the home folder and returns the copy's path.
    std::string copyExampleFiles() const;
    // Opens the paths and waits until the list is computed and validated.
    void open(const QStringList& paths);
    // Runs the event loop until the engine and validation have gone quiet and the table shows it.
    bool settle(int milliseconds = 10000);

private:
    TempDir home_;
    std::string previousHome_;
    ScriptedInteraction interaction_;
    std::unique_ptr<gui::Application> app_;
};

// Runs the event loop until the predicate holds, at most `milliseconds`.
bool waitUntil(const std::function<bool()>& done, int milliseconds = 10000);

// Selects one row as a click would, whatever modifier keys an earlier key click left pressed
// (QTableView::selectRow obeys them).
void selectOnly(QAbstractItemView& view, int row);

} // namespace quillory::test
