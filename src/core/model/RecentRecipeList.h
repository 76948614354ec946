// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class Preferences;

// The recipe files used last, newest first, kept in the preferences under
// "com.halvane.quillory.recentRecipes". Entries whose file has gone stay in the list (the drive may
// come back) but are not offered. Thread-safe.
class RecentRecipeList {
public:
    static constexpr std::size_t MAX_SIZE = 10;

    // One offered entry of the recent-recipes menu.
    struct MenuEntry {
        std::string title; // the file name; "<folder>/" for a file named exactly ".recipe"
        std::string path;  // identifier and tooltip
        bool operator==(const MenuEntry&) const = default;
    };

    // Reads the stored list; entries that are not strings are dropped.
    explicit RecentRecipeList(Preferences& preferences);

    // Puts the recipe (a path or a file URL) at the front, once, and keeps at most MAX_SIZE entries.
    void add(std::string_view pathOrUrl);
    void clear();
    std::vector<std::string> list() const;
    bool empty() const;

    // The entries to offer, in list order: those whose file exists.
    std::vector<MenuEntry> menuEntries() const;
    // Called after every change with the entries to offer (the GUI rebuilds its menu there).
    void setMenuChangedHandler(std::function<void(const std::vector<MenuEntry>&)> handler);

    static std::string menuTitle(std::string_view path);

private:
    void storeAndRebuild(std::vector<std::string> list);

    Preferences& preferences_;
    mutable std::mutex mutex_;
    std::vector<std::string> list_;
    std::function<void(const std::vector<MenuEntry>&)> menuChanged_;
};

} // namespace quillory
