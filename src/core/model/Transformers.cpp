// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Transformers.h"

#include "app/Logger.h"
#include "app/Registry.h"
#include "app/UndoManager.h"

namespace quillory {

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

std::string joinIds(const std::vector<Transformer>& list) {
    std::string ids;
    for (const auto& record : list)
        ids += (ids.empty() ? "" : ", ") + record.id;
    return ids;
}

// Keeps a registry-owned manager alive for the length of one operation.
struct ManagerRef {
    UndoManager* manager = nullptr;
    std::shared_ptr<UndoManager> owner;
    explicit operator bool() const { return manager != nullptr; }
    UndoManager* operator->() const { return manager; }
};

// The manager given at construction, else the one of the registry, if any.
ManagerRef findManager(UndoManager* given) {
    if (given)
        return {given, nullptr};
    auto shared = Registry::shared().get<UndoManager>();
    return {shared.get(), shared};
}

} // namespace

Transformers::Transformers(NotificationCenter* notifications, UndoManager* undoManager)
    : actor_(notifications), undoManager_(undoManager) {}

UndoManager* Transformers::undoManager() const { return undoManager_; }

void Transformers::loadTransformers(std::vector<Transformer> list, std::string_view undoName) {
    auto manager = findManager(undoManager());
    if (undoName.empty() || !manager) {
        actor_.setTransformers(std::move(list));
        return;
    }
    Logger::log("Load Transformers: isUndoing: ", boolText(manager->isUndoing()),
                ", isRedoing: ", boolText(manager->isRedoing()), ", ids: [", joinIds(list), "]");
    Logger::log("Begin Undo Group: \"", undoName, "\", groupingLevel: ", manager->groupingLevel(),
                ", isUndoing: ", boolText(manager->isUndoing()), ", isRedoing: ", boolText(manager->isRedoing()));
    std::string name(undoName);
    manager->beginGroup();
    manager->setActionName(name);
    // Undo loads the previous list under the same name, which registers the opposite step: that is redo.
    manager->registerUndo(name, [this, previous = actor_.list(), name] { loadTransformers(previous, name); });
    actor_.setTransformers(std::move(list));
    manager->endGroup();
}

void Transformers::addTransformer(Transformer transformer) {
    auto previous = actor_.list();
    if (!actor_.addOrReplaceTransformer(std::move(transformer)))
        return;
    if (auto manager = findManager(undoManager())) {
        std::string name(addUndoName);
        manager->registerUndo(name, [this, previous, name] { loadTransformers(previous, name); });
    }
}

bool Transformers::updateTransformer(Transformer transformer) {
    auto previous = actor_.list();
    if (!actor_.addOrReplaceTransformer(std::move(transformer)))
        return false;
    if (auto manager = findManager(undoManager())) {
        std::string name(updateUndoName);
        manager->registerUndo(name, [this, previous, name] { loadTransformers(previous, name); });
    }
    return true;
}

bool Transformers::removeTransformer(const std::string& id) {
    auto previous = actor_.list();
    if (!actor_.removeTransformer(id))
        return false;
    if (auto manager = findManager(undoManager())) {
        std::string name(removeUndoName);
        manager->registerUndo(name, [this, previous, name] { loadTransformers(previous, name); });
    }
    return true;
}

bool Transformers::moveTransformer(std::size_t from, std::size_t to) {
    if (!actor_.moveTransformer(from, to))
        return false;
    if (auto manager = findManager(undoManager()))
        manager->registerUndo(std::string(moveUndoName), [this, from, to] { moveTransformer(to, from); });
    return true;
}

} // namespace quillory
