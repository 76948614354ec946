// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RecentRecipeList.h"

#include "app/Logger.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "model/File.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillory {

namespace {

std::string joined(const std::vector<std::string>& list) {
    std::string text = "[";
    for (std::size_t i = 0; i < list.size(); ++i)
        text += (i ? "," : "") + list[i];
    return text + "]";
}

std::string pathOf(std::string_view pathOrUrl) {
    constexpr std::string_view scheme = "file://";
    std::string path = pathOrUrl.starts_with(scheme) ? percentDecode(pathOrUrl.substr(scheme.size()))
                                                     : std::string(pathOrUrl);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

RecentRecipeList::RecentRecipeList(Preferences& preferences) : preferences_(preferences) {
    const auto stored = preferences_.value(PreferenceKey::recentRecipes);
    if (!stored.is_array())
        return;
    for (const auto& entry : stored)
        if (entry.is_string())
            list_.push_back(entry.get<std::string>());
}

void RecentRecipeList::add(std::string_view pathOrUrl) {
    const std::string path = pathOf(pathOrUrl);
    std::vector<std::string> updated{path};
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : list_)
            if (entry != path)
                updated.push_back(entry);
    }
    if (updated.size() > MAX_SIZE)
        updated.resize(MAX_SIZE);
    Logger::log("Recent recipes: ", joined(updated));
    storeAndRebuild(std::move(updated));
}

void RecentRecipeList::clear() { storeAndRebuild({}); }

std::vector<std::string> RecentRecipeList::list() const {
    std::lock_guard lock(mutex_);
    return list_;
}

bool RecentRecipeList::empty() const {
    std::lock_guard lock(mutex_);
    return list_.empty();
}

std::vector<RecentRecipeList::MenuEntry> RecentRecipeList::menuEntries() const {
    std::vector<MenuEntry> entries;
    for (const auto& path : list())
        if (fileExists(path))
            entries.push_back({menuTitle(path), path});
    return entries;
}

void RecentRecipeList::setMenuChangedHandler(std::function<void(const std::vector<MenuEntry>&)> handler) {
    std::lock_guard lock(mutex_);
    menuChanged_ = std::move(handler);
}

std::string RecentRecipeList::menuTitle(std::string_view path) {
    const std::string name = lastPathComponent(path);
    // A recipe saved without a name says nothing by itself; its folder does.
    if (name == ".recipe")
        return lastPathComponent(deletingLastPathComponent(path)) + "/";
    return name;
}

void RecentRecipeList::storeAndRebuild(std::vector<std::string> list) {
    preferences_.setValue(PreferenceKey::recentRecipes, list);
    std::function<void(const std::vector<MenuEntry>&)> handler;
    {
        std::lock_guard lock(mutex_);
        list_ = list;
        handler = menuChanged_;
    }
    Logger::log("Recent recipes: ", joined(list));
    if (handler)
        handler(menuEntries());
}

} // namespace quillory
