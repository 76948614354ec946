// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/UndoRenameController.h"

#include "app/UserInteraction.h"
#include "automation/Session.h"

#include <QAction>
#include <QDateTime>
#include <QWidget>

namespace quillory::gui {
namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString items(int count) {
    return count == 1 ? UndoRenameController::tr("1 item") : UndoRenameController::tr("%1 items").arg(count);
}

} // namespace

UndoRenameController::UndoRenameController(Session& session, QWidget* window)
    : QObject(window), session_(session), window_(window) {
    action_ = new QAction(tr("Undo &Rename…"), this);
    action_->setObjectName(QStringLiteral("undoRename"));
    action_->setStatusTip(tr("Put the files of the last rename back where they were"));
    connect(action_, &QAction::triggered, this, &UndoRenameController::undoLastRun);
    updateState();
}

UndoRenameController::~UndoRenameController() {
    if (thread_.joinable())
        thread_.join();
}

void UndoRenameController::updateState(bool renaming) {
    action_->setEnabled(!renaming && !undoing_ && session_.undoableRun().has_value());
}

void UndoRenameController::undoLastRun() {
    if (undoing_)
        return;
    const auto run = session_.undoableRun();
    if (!run) {
        updateState();
        return;
    }
    UserInteraction::Question question;
    const QString when = QDateTime::fromSecsSinceEpoch(run->started).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    question.message = tr("Undo the last rename?").toStdString();
    question.informativeText = tr("%1 renamed on %2 in “%3” will be put back where they were. Items that were "
                                  "changed or moved since are left alone.")
                                   .arg(items(static_cast<int>(run->moveCount)), when, qs(run->folder))
                                   .toStdString();
    question.buttons = {tr("Undo Rename").toStdString(), tr("Cancel").toStdString()};
    if (session_.services().userInteraction().ask(question).button != 0)
        return;

    undoing_ = true;
    updateState();
    if (thread_.joinable())
        thread_.join();
    thread_ = std::jthread([this, id = run->id] {
        const auto outcome = session_.undo(id);
        if (!outcome.ok()) {
            const QString error = qs(outcome.error().message);
            QMetaObject::invokeMethod(this, [this, error] { finish(0, {}, error); }, Qt::QueuedConnection);
            return;
        }
        session_.relistUndoneRun(id);
        QStringList problems;
        for (const auto& message : outcome->leftAlone)
            problems << qs(message);
        for (const auto& failure : outcome->failures)
            problems << tr("%1: %2").arg(qs(failure.target), qs(failure.error.description));
        const int restored = outcome->moved + outcome->alreadyInPlace;
        QMetaObject::invokeMethod(this, [this, restored, problems] { finish(restored, problems, {}); },
                                  Qt::QueuedConnection);
    });
}

void UndoRenameController::finish(int restored, const QStringList& problems, const QString& error) {
    if (thread_.joinable())
        thread_.join();
    undoing_ = false;
    updateState();
    auto& interaction = session_.services().userInteraction();
    if (!error.isEmpty())
        interaction.showAlert(tr("Unable to undo the rename").toStdString(), error.toStdString());
    else if (!problems.isEmpty())
        interaction.showAlert(tr("Some items could not be put back").toStdString(),
                              (tr("%1 put back. Not put back:").arg(items(restored)) + QLatin1Char('\n') +
                               problems.join(QLatin1Char('\n')))
                                  .toStdString());
    emit undone(restored, problems);
}

} // namespace quillory::gui
