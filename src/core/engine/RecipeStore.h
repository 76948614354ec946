// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/NotificationCenter.h"
#include "base/Result.h"
#include "model/Recipe.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class FileDataSource;
class NotificationCenter;
class Preferences;
class RecentRecipeList;
class Transformers;
class UndoManager;
class UserInteraction;

// Saves the chain and sort order as recipe files and loads them back. A load replaces the chain as one
// undoable step "Open Recipe" (together with the sort order it brings) and remembers the file in the
// recent list. Every failure comes back as a value and is also logged and shown as
// "Unable to load Recipe"; a failed load changes nothing.
class RecipeStore {
public:
    static constexpr std::string_view alertTitle = "Unable to load Recipe";

    // The user interaction may be null (failures are then only logged and returned). The undo manager,
    // when given, groups the chain and the sort order into one undo step.
    RecipeStore(Transformers& transformers, FileDataSource& dataSource, RecentRecipeList& recentRecipes,
                Preferences& preferences, UserInteraction* userInteraction = nullptr,
                UndoManager* undoManager = nullptr);

    // The recipe of the current chain and sort order; each record keeps only its kind's settings.
    Recipe currentRecipe() const;

    // Saves to a path or file URL, atomically. On success it becomes the current recipe and is put at
    // the front of the recent list; a failure is logged and changes nothing.
    Status saveRecipe(std::string_view pathOrUrl);
    // Saves to the current recipe; an error when there is none.
    Status saveRecipe();

    // Loads from a path or file URL (a relative path is taken from the working folder).
    Status loadRecipe(std::string_view pathOrUrl);
    // Loads from the JSON text of a whole recipe; the current recipe and the recent list stay as they are.
    Status loadRecipeFromJson(std::string_view json);
    // Applies a decoded recipe: version check, unknown kinds dropped, chain replaced, list sorted.
    Status applyRecipe(const Recipe& recipe);

    // A recent-recipes menu item was chosen.
    Status openRecentRecipe(std::string_view path);
    // Loads the newest recipe of the recent list (the handler of "openMostRecentRecipe").
    Status openMostRecentRecipe();
    // The start-up hook: when the chain is empty, the recent list is not and the setting
    // "openMostRecentRecipeOnStartup" is on, posts "openMostRecentRecipe" (or, without a notification
    // centre, opens it at once). Returns whether it asked for the recipe.
    bool openMostRecentRecipeOnStartup(NotificationCenter* notifications);
    // Observes "openMostRecentRecipe" on the centre; the store must outlive it.
    void observeNotifications(NotificationCenter& notifications);

    // The file URL of the recipe loaded or saved last.
    std::optional<std::string> recipeUrl() const;

    // "/a/b.recipe" from "file:///a/b.recipe" (percent-decoded) or from a path; no trailing "/".
    static std::string pathFromUrl(std::string_view pathOrUrl);

private:
    Status fail(std::string logLine, std::string message);
    void setRecipeUrl(std::string url);

    Transformers& transformers_;
    FileDataSource& dataSource_;
    RecentRecipeList& recentRecipes_;
    Preferences& preferences_;
    UserInteraction* userInteraction_;
    UndoManager* undoManager_;

    mutable std::mutex mutex_;
    std::optional<std::string> recipeUrl_;
    // Last, so it goes first: no notification reaches a store being destroyed.
    NotificationObservers observers_;
};

} // namespace quillory
