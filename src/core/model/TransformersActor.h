// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "model/Transformer.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

class NotificationCenter;

// Holds the chain and applies every change to it one at a time, from the user interface, scripting
// and recipe loading alike. Readers get copies. Every effective change posts "applyChanges".
class TransformersActor {
public:
    // Without a notification centre the one of Registry::shared() is used, if any.
    explicit TransformersActor(NotificationCenter* notifications = nullptr) : notifications_(notifications) {}

    // Replaces the record with the same id (skipped, with a log line, when its change hash is equal) or
    // appends it. Returns true when the list changed.
    bool addOrReplaceTransformer(Transformer transformer);
    // Replaces the whole list.
    void setTransformers(std::vector<Transformer> list);
    // Removes the record; clears the selection when it was selected. False when the id is unknown.
    bool removeTransformer(const std::string& id);
    // Moves the record at `from` so that it ends at position `to`. False when a position is outside.
    bool moveTransformer(std::size_t from, std::size_t to);
    // Sets `disabled` = !enabled on the selected record; returns the record as it was before, if changed.
    std::optional<Transformer> setCurrentEnabledState(bool enabled);
    // Selects a record by id (an unknown id clears the selection) or clears it.
    void selectTransformer(std::optional<std::string> id);

    std::vector<Transformer> list() const;
    std::size_t size() const;
    std::optional<Transformer> transformer(const std::string& id) const;
    std::optional<Transformer> transformerAt(std::size_t position) const;
    std::map<std::string, std::size_t> keyMap() const;
    std::optional<std::string> currentTransformerId() const;
    std::optional<Transformer> currentTransformer() const;

private:
    void refresh(); // rebuilds keyMap and drops a selection that no longer exists
    void postApplyChanges();

    mutable SerialExecutor executor_;
    NotificationCenter* notifications_;
    std::vector<Transformer> list_;
    std::map<std::string, std::size_t> keyMap_;
    std::optional<std::string> currentTransformerId_;
};

} // namespace quillory
