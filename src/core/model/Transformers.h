// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Transformer.h"
#include "model/TransformersActor.h"
#include "model/TransformersIterator.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class NotificationCenter;
class UndoManager;

// The chain of rename actions, one per application. Changes go through the actor; the undoable ones
// register their inverse with the undo manager (the one given, or the one of Registry::shared()).
// Undo steps refer to this object, which therefore lives as long as its undo manager's stack.
class Transformers {
public:
    static constexpr std::string_view addUndoName = "Add Rename Action";
    static constexpr std::string_view updateUndoName = "Update Rename Action";
    static constexpr std::string_view removeUndoName = "Remove Rename Action";
    static constexpr std::string_view moveUndoName = "Move Rename Action";
    static constexpr std::string_view clearAllUndoName = "Clear All Rename Actions";
    static constexpr std::string_view openRecipeUndoName = "Open Recipe";

    explicit Transformers(NotificationCenter* notifications = nullptr, UndoManager* undoManager = nullptr);
    Transformers(const Transformers&) = delete;
    Transformers& operator=(const Transformers&) = delete;

    TransformersActor& actor() { return actor_; }
    const TransformersActor& actor() const { return actor_; }

    // Reading: copies.
    std::vector<Transformer> list() const { return actor_.list(); }
    std::size_t size() const { return actor_.size(); }
    bool empty() const { return size() == 0; }
    std::map<std::string, std::size_t> keyMap() const { return actor_.keyMap(); }
    std::optional<std::string> currentTransformerId() const { return actor_.currentTransformerId(); }
    TransformersIterator begin() const { return {this, 0}; }
    TransformersIterator end() const { return {this, size()}; }

    // Replaces the list; with an undo name and an undo manager as one undoable step whose undo
    // restores the previous list (and whose redo loads this one again).
    void loadTransformers(std::vector<Transformer> list, std::string_view undoName);
    // Not undoable (scripting, engine): replace or append.
    bool addOrReplaceTransformer(Transformer transformer) { return actor_.addOrReplaceTransformer(std::move(transformer)); }

    // Undoable edits of the user interface.
    void addTransformer(Transformer transformer);
    // Skipped (no undo step, no notification) when nothing changed.
    bool updateTransformer(Transformer transformer);
    bool removeTransformer(const std::string& id);
    bool moveTransformer(std::size_t from, std::size_t to);

    void setCurrentEnabledState(bool enabled) { actor_.setCurrentEnabledState(enabled); }
    void selectTransformer(std::optional<std::string> id) { actor_.selectTransformer(std::move(id)); }

    // The Select action in effect for the editor; kept for the user interface.
    std::optional<Transformer> currentSelectTransformer;

private:
    UndoManager* undoManager() const;

    TransformersActor actor_;
    UndoManager* undoManager_;
};

} // namespace quillory
