// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RecipeStore.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"
#include "model/File.h"
#include "model/RecentRecipeList.h"
#include "model/TransformerTypes.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quillory {

namespace {

std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::error_code error;
    auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::optional<std::string> readFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "the file cannot be read";
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        error = "the file cannot be read";
        return std::nullopt;
    }
    return bytes.str();
}

} // namespace

RecipeStore::RecipeStore(Transformers& transformers, FileDataSource& dataSource, RecentRecipeList& recentRecipes,
                         Preferences& preferences, UserInteraction* userInteraction, UndoManager* undoManager)
    : transformers_(transformers), dataSource_(dataSource), recentRecipes_(recentRecipes),
      preferences_(preferences), userInteraction_(userInteraction), undoManager_(undoManager) {}

std::string RecipeStore::pathFromUrl(std::string_view pathOrUrl) {
    constexpr std::string_view scheme = "file://";
    std::string path = pathOrUrl.starts_with(scheme) ? percentDecode(pathOrUrl.substr(scheme.size()))
                                                     : std::string(pathOrUrl);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return absolutePath(path);
}

Recipe RecipeStore::currentRecipe() const {
    std::vector<Transformer> records;
    for (auto record : transformers_.list()) {
        record.properties = record.properties.copy(record.type);
        records.push_back(std::move(record));
    }
    Recipe recipe;
    recipe.recipeFormatVersion = std::string(Recipe::currentVersion);
    recipe.sortOrder = std::string(rawValue(dataSource_.sortOrder()));
    recipe.transformers = std::move(records);
    return recipe;
}

Status RecipeStore::saveRecipe(std::string_view pathOrUrl) {
    const std::string path = pathFromUrl(pathOrUrl);
    const std::string url = fileUrlFromPath(path);
    Logger::log("saveRecipe: ", url);
    std::string error;
    auto text = currentRecipe().toText();
    if (!text)
        error = text.error().message;
    else if (!writeFileAtomically(path, *text, &error) && error.empty())
        error = "the file cannot be written";
    if (!error.empty()) {
        Logger::error("Unable to save to ", url, ", error: ", error);
        return Error{"Unable to save to " + url + ", error: " + error};
    }
    setRecipeUrl(url);
    recentRecipes_.add(path);
    return {};
}

Status RecipeStore::saveRecipe() {
    auto url = recipeUrl();
    if (!url)
        return Error{"There is no current recipe to save to."};
    return saveRecipe(*url);
}

Status RecipeStore::loadRecipe(std::string_view pathOrUrl) {
    Logger::log("🔶 ===============[ loadRecipe ]==================");
    const std::string path = pathFromUrl(pathOrUrl);
    const std::string url = fileUrlFromPath(path);
    std::error_code existsError;
    if (!std::filesystem::exists(path, existsError)) {
        std::string message = "Recipe file '" + path + "' does not exist.";
        return fail(message, message);
    }
    std::string error;
    auto bytes = readFile(path, error);
    Result<Recipe> recipe = bytes ? Recipe::fromText(*bytes) : Result<Recipe>(Error{error});
    if (!recipe)
        return fail("Unable to load recipe from '" + url + "', error: " + recipe.error().message,
                    recipe.error().message);
    if (auto applied = applyRecipe(*recipe); !applied)
        return applied;
    setRecipeUrl(url);
    recentRecipes_.add(path);
    return {};
}

Status RecipeStore::loadRecipeFromJson(std::string_view json) {
    auto recipe = Recipe::fromText(json);
    if (!recipe) {
        Logger::error("Unable to load recipe from JSON");
        return fail("error: " + recipe.error().message, recipe.error().message);
    }
    return applyRecipe(*recipe);
}

Status RecipeStore::applyRecipe(const Recipe& recipe) {
    if (Recipe::compareToCurrent(recipe.recipeFormatVersion) == Recipe::VersionComparison::newer) {
        std::string message = Recipe::incompatibleVersionMessage(recipe.recipeFormatVersion);
        return fail(message, message);
    }
    std::vector<Transformer> records;
    for (const auto& record : recipe.transformers.value_or(std::vector<Transformer>{})) {
        if (!transformerTypeInfo(record.type))
            continue;
        Transformer kept = record;
        kept.properties = kept.properties.copy(kept.type);
        records.push_back(std::move(kept));
    }

    std::optional<FileSortOrder> order = FileSortOrder::defaultSort;
    if (recipe.sortOrder) {
        order = fileSortOrderFromRaw(*recipe.sortOrder);
        if (!order)
            Logger::log("Recipe sortOrder '", *recipe.sortOrder, "' is unknown; the order stays as it is.");
    }

    // One undo step brings back both the previous chain and the previous order.
    if (undoManager_)
        undoManager_->beginGroup();
    transformers_.loadTransformers(std::move(records), Transformers::openRecipeUndoName);
    if (order)
        dataSource_.sortBy(*order);
    if (undoManager_) {
        undoManager_->setActionName(std::string(Transformers::openRecipeUndoName));
        undoManager_->endGroup();
    }
    return {};
}

Status RecipeStore::openRecentRecipe(std::string_view path) {
    Logger::log("Selected recent recipe: ", path);
    return loadRecipe(path);
}

Status RecipeStore::openMostRecentRecipe() {
    const auto list = recentRecipes_.list();
    if (list.empty())
        return Error{"There is no recent recipe."};
    return loadRecipe(list.front());
}

bool RecipeStore::openMostRecentRecipeOnStartup(NotificationCenter* notifications) {
    if (!transformers_.empty() || recentRecipes_.empty() ||
        !preferences_.boolValue(PreferenceKey::openMostRecentRecipeOnStartup))
        return false;
    if (notifications)
        notifications->post(AppNotification::openMostRecentRecipe);
    else
        (void)openMostRecentRecipe(); // a recipe that cannot be read has been shown in an alert
    return true;
}

void RecipeStore::observeNotifications(NotificationCenter& notifications) {
    observers_.add(notifications, AppNotification::openMostRecentRecipe,
                   // A recipe that cannot be read is shown in an alert; no list, nothing to open.
                   [this](const Notification&) { (void)openMostRecentRecipe(); });
}

std::optional<std::string> RecipeStore::recipeUrl() const {
    std::lock_guard lock(mutex_);
    return recipeUrl_;
}

void RecipeStore::setRecipeUrl(std::string url) {
    std::lock_guard lock(mutex_);
    recipeUrl_ = std::move(url);
}

Status RecipeStore::fail(std::string logLine, std::string message) {
    Logger::error(logLine);
    if (userInteraction_)
        userInteraction_->showAlert(std::string(alertTitle), message);
    return Error{std::move(message)};
}

} // namespace quillory
