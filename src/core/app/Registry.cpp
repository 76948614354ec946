// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Registry.h"

#include "app/Logger.h"

namespace quillory {

Registry& Registry::shared() {
    static Registry registry;
    return registry;
}

void Registry::addErased(std::type_index type, std::any object, std::string typeName) {
    {
        std::lock_guard lock(mutex_);
        objects_[type] = std::move(object);
    }
    Logger::log("Registered injectable for: ", typeName);
}

std::any Registry::getErased(std::type_index type) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(type);
    return it == objects_.end() ? std::any() : it->second;
}

void Registry::clear() {
    std::lock_guard lock(mutex_);
    objects_.clear();
}

} // namespace quillory
