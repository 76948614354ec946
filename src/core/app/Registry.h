// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <any>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeindex>

namespace quillory {

// The injection registry: shared objects stored under their type, filled at start-up. Tests make
// their own registry instead of using the process-wide one.
class Registry {
public:
    static Registry& shared();

    template <typename T> void add(std::shared_ptr<T> object, std::string typeName) {
        addErased(std::type_index(typeid(T)), std::move(object), std::move(typeName));
    }
    template <typename T> std::shared_ptr<T> get() const {
        auto found = getErased(std::type_index(typeid(T)));
        return found.has_value() ? std::any_cast<std::shared_ptr<T>>(found) : nullptr;
    }
    void clear();

private:
    void addErased(std::type_index type, std::any object, std::string typeName);
    std::any getErased(std::type_index type) const;

    mutable std::mutex mutex_;
    std::map<std::type_index, std::any> objects_;
};

// Looks an object up by type on first use.
template <typename T> class Inject {
public:
    explicit Inject(Registry& registry = Registry::shared()) : registry_(&registry) {}
    T& operator*() const { return *resolve(); }
    T* operator->() const { return resolve().get(); }
    explicit operator bool() const { return resolve() != nullptr; }

private:
    const std::shared_ptr<T>& resolve() const {
        if (!object_)
            object_ = registry_->get<T>();
        return object_;
    }
    Registry* registry_;
    mutable std::shared_ptr<T> object_;
};

} // namespace quillory
