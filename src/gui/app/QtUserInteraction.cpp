// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtUserInteraction.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace quillory::gui {

void runOnGuiThread(const std::function<void()>& work) {
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

UserInteraction::Answer QtUserInteraction::ask(const Question& question) {
    Answer answer;
    runOnGuiThread([&] { answer = askOnGuiThread(question); });
    return answer;
}

void QtUserInteraction::showAlert(const std::string& title, const std::string& text) {
    runOnGuiThread([&] { alertOnGuiThread(title, text); });
}

void QtUserInteraction::activate() {
    runOnGuiThread([this] {
        if (!parent_)
            return;
        QWidget* window = parent_->window();
        window->raise();
        window->activateWindow();
    });
}

UserInteraction::Answer QtUserInteraction::askOnGuiThread(const Question& question) {
    QMessageBox box(parent_ ? parent_->window() : nullptr);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(QString::fromStdString(question.message));
    box.setInformativeText(QString::fromStdString(question.informativeText));
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < question.buttons.size(); ++i) {
        const QString title = QString::fromStdString(question.buttons[i]);
        const auto role = title == QLatin1String("Cancel") ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        auto* button = box.addButton(title, role);
        if (i == 0)
            box.setDefaultButton(button);
        buttons.push_back(button);
    }
    if (buttons.empty())
        buttons.push_back(box.addButton(QMessageBox::Ok));
    QCheckBox* suppression = nullptr;
    if (question.showsSuppressionBox) {
        suppression = new QCheckBox(QString::fromStdString(question.suppressionText), &box);
        box.setCheckBox(suppression);
    }
    box.exec();
    Answer answer;
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    // Closing the box with Escape picks the cancel-like button, or else the default.
    if (chosen != buttons.end())
        answer.button = static_cast<std::size_t>(chosen - buttons.begin());
    answer.suppressionChecked = suppression && suppression->isChecked();
    return answer;
}

void QtUserInteraction::alertOnGuiThread(const std::string& title, const std::string& text) {
    QMessageBox box(parent_ ? parent_->window() : nullptr);
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(QString::fromStdString(title));
    box.setInformativeText(QString::fromStdString(text));
    box.exec();
}

} // namespace quillory::gui
