// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <atomic>
#include <thread>

class QAction;
class QWidget;

namespace quillory {
class Session;
}

namespace quillory::gui {

// Edit > Undo Rename: puts back what the newest recorded rename run moved, after asking, and reports
// what could not be put back. The list then shows the files at their old places.
class UndoRenameController : public QObject {
    Q_OBJECT
public:
    UndoRenameController(Session& session, QWidget* window);
    ~UndoRenameController() override;

    QAction* action() const { return action_; }
    bool isUndoing() const { return undoing_; }

    // Enables the action when there is a run to undo (and no rename or undo is running).
    void updateState(bool renaming = false);
    // Asks, then undoes in the background; `undone` tells the result.
    void undoLastRun();

signals:
    // `problems` holds one line per item that was not put back; empty when everything went back.
    void undone(int restored, const QStringList& problems);

private:
    void finish(int restored, const QStringList& problems, const QString& error);

    Session& session_;
    QWidget* window_;
    QAction* action_;
    std::atomic<bool> undoing_{false};
    std::jthread thread_;
};

} // namespace quillory::gui
