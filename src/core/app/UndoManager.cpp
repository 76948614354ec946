// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UndoManager.h"

namespace quillory {

void UndoManager::registerUndo(std::string actionName, Action action) {
    std::lock_guard lock(mutex_);
    if (collecting_) {
        auto& step = collecting_->back();
        if (step.name.empty())
            step.name = std::move(actionName);
        step.actions.push_back(std::move(action));
        return;
    }
    if (!openGroups_.empty()) {
        auto& group = openGroups_.back();
        if (group.name.empty())
            group.name = std::move(actionName);
        group.actions.push_back(std::move(action));
        return;
    }
    undoStack_.push_back(Step{std::move(actionName), {std::move(action)}});
    redoStack_.clear();
}

void UndoManager::setActionName(std::string actionName) {
    std::lock_guard lock(mutex_);
    if (!openGroups_.empty())
        openGroups_.back().name = std::move(actionName);
    else if (!undoStack_.empty())
        undoStack_.back().name = std::move(actionName);
}

void UndoManager::beginGroup() {
    std::lock_guard lock(mutex_);
    openGroups_.push_back({});
}

void UndoManager::endGroup() {
    std::lock_guard lock(mutex_);
    if (openGroups_.empty())
        return;
    Step group = std::move(openGroups_.back());
    openGroups_.pop_back();
    if (group.actions.empty())
        return;
    if (!openGroups_.empty()) {
        auto& outer = openGroups_.back();
        if (outer.name.empty())
            outer.name = group.name;
        for (auto& action : group.actions)
            outer.actions.push_back(std::move(action));
        return;
    }
    undoStack_.push_back(std::move(group));
    redoStack_.clear();
}

int UndoManager::groupingLevel() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(openGroups_.size());
}

bool UndoManager::canUndo() const {
    std::lock_guard lock(mutex_);
    return !undoStack_.empty();
}

bool UndoManager::canRedo() const {
    std::lock_guard lock(mutex_);
    return !redoStack_.empty();
}

std::string UndoManager::undoActionName() const {
    std::lock_guard lock(mutex_);
    return undoStack_.empty() ? std::string() : undoStack_.back().name;
}

std::string UndoManager::redoActionName() const {
    std::lock_guard lock(mutex_);
    return redoStack_.empty() ? std::string() : redoStack_.back().name;
}

bool UndoManager::isUndoing() const {
    std::lock_guard lock(mutex_);
    return undoing_;
}

bool UndoManager::isRedoing() const {
    std::lock_guard lock(mutex_);
    return redoing_;
}

void UndoManager::undo() { run(undoStack_, true); }
void UndoManager::redo() { run(redoStack_, false); }

void UndoManager::run(std::vector<Step>& from, bool undoing) {
    Step step;
    std::vector<Step> inverse{Step{}};
    {
        std::lock_guard lock(mutex_);
        if (from.empty() || collecting_)
            return;
        step = std::move(from.back());
        from.pop_back();
        (undoing ? undoing_ : redoing_) = true;
        collecting_ = &inverse;
    }
    // An action that throws must not leave the manager collecting for ever: every later undo would
    // be refused and every registration swallowed. The step it broke is dropped.
    struct EndRun {
        UndoManager& manager;
        bool undoing;
        ~EndRun() {
            std::lock_guard lock(manager.mutex_);
            manager.collecting_ = nullptr;
            (undoing ? manager.undoing_ : manager.redoing_) = false;
        }
    };
    {
        EndRun end{*this, undoing};
        for (auto it = step.actions.rbegin(); it != step.actions.rend(); ++it)
            (*it)();
    }
    std::lock_guard lock(mutex_);
    Step& made = inverse.back();
    if (made.actions.empty())
        return;
    if (made.name.empty())
        made.name = step.name;
    (undoing ? redoStack_ : undoStack_).push_back(std::move(made));
}

void UndoManager::removeAllActions() {
    std::lock_guard lock(mutex_);
    undoStack_.clear();
    redoStack_.clear();
}

} // namespace quillory
