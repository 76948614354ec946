// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuiFixture.h"

#include "automation/AppServices.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "engine/TransformerEngine.h"

#include <cstdio>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#ifndef QUILLORY_EXAMPLES_DIR
#error "QUILLORY_EXAMPLES_DIR must name the examples folder"
#endif

namespace quillory::test {

void ScriptedInteraction::answerWith(std::vector<std::string> buttons, bool suppress) {
    std::lock_guard lock(mutex_);
    buttons_ = std::move(buttons);
    suppress_ = suppress;
}

UserInteraction::Answer ScriptedInteraction::ask(const Question& question) {
    std::lock_guard lock(mutex_);
    questions_.push_back(question.message);
    Answer answer;
    answer.suppressionChecked = suppress_ && question.showsSuppressionBox;
    for (const auto& wanted : buttons_) {
        const auto found = std::find(question.buttons.begin(), question.buttons.end(), wanted);
        if (found != question.buttons.end()) {
            answer.button = static_cast<std::size_t>(found - question.buttons.begin());
            break;
        }
    }
    return answer;
}

void ScriptedInteraction::showAlert(const std::string& title, const std::string&) {
    std::lock_guard lock(mutex_);
    alerts_.push_back(title);
}

std::vector<std::string> ScriptedInteraction::questionMessages() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::vector<std::string> ScriptedInteraction::alertTitles() const {
    std::lock_guard lock(mutex_);
    return alerts_;
}

bool waitUntil(const std::function<bool()>& done, int milliseconds) {
    return QTest::qWaitFor(done, milliseconds);
}

void selectOnly(QAbstractItemView& view, int row) {
    view.selectionModel()->setCurrentIndex(view.model()->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

GuiApp::GuiApp() {
    // Renaming is allowed inside the home folder: the temporary one stands in for it.
    if (const char* home = std::getenv("HOME"))
        previousHome_ = home;
    setenv("HOME", home_.str().c_str(), 1);
    gui::Application::Options options;
    options.preferencesFile = home_.path() / "config" / "settings.json";
    options.userInteraction = &interaction_;
    options.journalFolder = (home_.path() / "state" / "journal").string();
    app_ = std::make_unique<gui::Application>(options);
}

GuiApp::~GuiApp() {
    app_.reset();
    setenv("HOME", previousHome_.c_str(), 1);
}

std::string GuiApp::copyExampleFiles() const {
    const auto target = home_.path() / "files";
    std::filesystem::copy(std::filesystem::path(QUILLORY_EXAMPLES_DIR) / "files", target,
                          std::filesystem::copy_options::recursive);
    return target.string();
}

void GuiApp::open(const QStringList& paths) {
    app_->window().openPathsAndWait(paths);
    settle();
}

bool GuiApp::settle(int milliseconds) {
    auto& services = app_->services();
    auto& window = app_->window();
    const auto quiet = [&] {
        QCoreApplication::processEvents();
        if (services.engine().isBusy() || window.isRenaming())
            return false;
        const auto& result = window.validation();
        return result && !result->isPending && result->totalCount == window.fileModel().counts().files;
    };
    // Quiet twice in a row: a late update may start one more pass right after the first.
    const bool ok = waitUntil([&] { return quiet() && (QTest::qWait(30), quiet()); }, milliseconds);
    if (!ok) {
        const auto& result = window.validation();
        std::fprintf(stderr, "GuiApp::settle timed out: busy=%d renaming=%d result=%d pending=%d total=%d files=%d\n",
                     services.engine().isBusy(), window.isRenaming(), bool(result), result ? result->isPending : -1,
                     result ? result->totalCount : -1, window.fileModel().counts().files);
    }
    return ok;
}

} // namespace quillory::test
