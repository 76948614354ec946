// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/UserInteraction.h"

#include <QPointer>
#include <QWidget>

namespace quillory::gui {

// Questions and alerts as Qt message boxes. Asked from a worker thread, the dialog is shown on the GUI
// thread and the worker waits for the answer.
class QtUserInteraction : public UserInteraction {
public:
    explicit QtUserInteraction(QWidget* parent = nullptr) : parent_(parent) {}

    void setParentWidget(QWidget* parent) { parent_ = parent; }

    Answer ask(const Question& question) override;
    void showAlert(const std::string& title, const std::string& text) override;
    void activate() override;

private:
    Answer askOnGuiThread(const Question& question);
    void alertOnGuiThread(const std::string& title, const std::string& text);

    QPointer<QWidget> parent_;
};

// Runs `work` on the GUI thread and waits for it when called from another thread.
void runOnGuiThread(const std::function<void()>& work);

} // namespace quillory::gui
