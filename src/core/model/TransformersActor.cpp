// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformersActor.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/Registry.h"

#include <set>

namespace quillory {

void TransformersActor::refresh() {
    keyMap_.clear();
    for (std::size_t i = 0; i < list_.size(); ++i)
        keyMap_[list_[i].id] = i;
    if (list_.empty() || (currentTransformerId_ && !keyMap_.count(*currentTransformerId_)))
        currentTransformerId_.reset();
}

void TransformersActor::postApplyChanges() {
    if (notifications_) {
        notifications_->post(AppNotification::applyChanges);
        return;
    }
    if (auto shared = Registry::shared().get<NotificationCenter>())
        shared->post(AppNotification::applyChanges);
}

bool TransformersActor::addOrReplaceTransformer(Transformer transformer) {
    bool changed = executor_.run([&] {
        auto found = keyMap_.find(transformer.id);
        if (found == keyMap_.end()) {
            list_.push_back(std::move(transformer));
            refresh();
            return true;
        }
        auto& stored = list_[found->second];
        auto hash = transformer.changeHash();
        if (stored.changeHash() == hash) {
            Logger::log("Skipped transformer update due to equal hash: ", hash);
            refresh();
            return false;
        }
        stored = std::move(transformer);
        refresh();
        Logger::log("Post applyChanges from addOrReplaceTransformer");
        return true;
    });
    // Appending posts too: the engine must recompute after any change of the chain.
    if (changed)
        postApplyChanges();
    return changed;
}

void TransformersActor::setTransformers(std::vector<Transformer> list) {
    // The index needs unique ids; a hand-edited recipe may repeat one, so later repeats get new ids.
    std::set<std::string> seen;
    for (auto& record : list) {
        if (seen.insert(record.id).second)
            continue;
        auto renewed = Transformer::makeId();
        Logger::log("⚠️ WARNING: duplicate transformer id ", record.id, " replaced by ", renewed);
        record.id = renewed;
        seen.insert(renewed);
    }
    executor_.run([&] {
        list_ = std::move(list);
        refresh();
    });
    postApplyChanges();
}

bool TransformersActor::removeTransformer(const std::string& id) {
    bool removed = executor_.run([&] {
        auto found = keyMap_.find(id);
        if (found == keyMap_.end())
            return false;
        list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(found->second));
        refresh();
        return true;
    });
    if (removed)
        postApplyChanges();
    return removed;
}

bool TransformersActor::moveTransformer(std::size_t from, std::size_t to) {
    bool moved = executor_.run([&] {
        if (from >= list_.size() || to >= list_.size())
            return false;
        if (from == to)
            return false;
        auto record = std::move(list_[from]);
        list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(from));
        list_.insert(list_.begin() + static_cast<std::ptrdiff_t>(to), std::move(record));
        refresh();
        return true;
    });
    if (moved)
        postApplyChanges();
    return moved;
}

std::optional<Transformer> TransformersActor::setCurrentEnabledState(bool enabled) {
    auto previous = executor_.run([&]() -> std::optional<Transformer> {
        if (!currentTransformerId_)
            return std::nullopt;
        auto& record = list_[keyMap_.at(*currentTransformerId_)];
        if (record.disabled == !enabled)
            return std::nullopt;
        auto before = record;
        record.disabled = !enabled;
        return before;
    });
    if (previous)
        postApplyChanges();
    return previous;
}

void TransformersActor::selectTransformer(std::optional<std::string> id) {
    executor_.run([&] {
        currentTransformerId_ = std::move(id);
        refresh();
    });
}

std::vector<Transformer> TransformersActor::list() const {
    return executor_.run([&] { return list_; });
}

std::size_t TransformersActor::size() const {
    return executor_.run([&] { return list_.size(); });
}

std::optional<Transformer> TransformersActor::transformer(const std::string& id) const {
    return executor_.run([&]() -> std::optional<Transformer> {
        auto found = keyMap_.find(id);
        if (found == keyMap_.end())
            return std::nullopt;
        return list_[found->second];
    });
}

std::optional<Transformer> TransformersActor::transformerAt(std::size_t position) const {
    return executor_.run([&]() -> std::optional<Transformer> {
        if (position >= list_.size())
            return std::nullopt;
        return list_[position];
    });
}

std::map<std::string, std::size_t> TransformersActor::keyMap() const {
    return executor_.run([&] { return keyMap_; });
}

std::optional<std::string> TransformersActor::currentTransformerId() const {
    return executor_.run([&] { return currentTransformerId_; });
}

std::optional<Transformer> TransformersActor::currentTransformer() const {
    return executor_.run([&]() -> std::optional<Transformer> {
        if (!currentTransformerId_)
            return std::nullopt;
        return list_[keyMap_.at(*currentTransformerId_)];
    });
}

} // namespace quillory
