// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quillory {

// Undo and redo of list and chain changes, with action names. An undo action registered while
// undoing becomes the redo action, as in the desktop toolkits; registrations between beginGroup and
// endGroup form one step. Thread-safe; actions run on the caller's thread, outside the lock, so they
// may read the manager and register their inverse.
class UndoManager {
public:
    using Action = std::function<void()>;

    void registerUndo(std::string actionName, Action action);
    void setActionName(std::string actionName);

    void beginGroup();
    void endGroup();
    int groupingLevel() const;

    bool canUndo() const;
    bool canRedo() const;
    std::string undoActionName() const;
    std::string redoActionName() const;
    bool isUndoing() const;
    bool isRedoing() const;

    void undo();
    void redo();
    void removeAllActions();

private:
    struct Step {
        std::string name;
        std::vector<Action> actions; // run last to first
    };
    void run(std::vector<Step>& from, bool undoing);

    mutable std::mutex mutex_;
    std::vector<Step> undoStack_;
    std::vector<Step> redoStack_;
    std::vector<Step> openGroups_;
    bool undoing_ = false;
    bool redoing_ = false;
    // Registrations made while an undo/redo runs collect here and become one step on the other stack.
    std::vector<Step>* collecting_ = nullptr;
};

} // namespace quillory
