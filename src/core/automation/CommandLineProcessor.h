// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class OpenFolderEventHandler;
class Preferences;
class RecipeStore;

// Reads the process arguments once at start-up: "-d" opens directories into the file list, "-r" loads a
// recipe from a path or from recipe JSON. Other options are collected and ignored.
class CommandLineProcessor {
public:
    using Options = std::map<std::string, std::vector<std::string>>;

    // What acting needs; each may be empty (that option is then only logged).
    struct Actions {
        // Opens all the given directories as one open operation and returns when it is done.
        std::function<Status(const std::vector<std::string>& directories)> openDirectories;
        std::function<Status(const std::string& path)> loadRecipeFromPath;
        std::function<Status(const std::string& json)> loadRecipeFromJson;
    };

    explicit CommandLineProcessor(Actions actions, std::string home = {});

    // The arguments as the process got them, program path first. Arguments before the first option are
    // dropped; a repeated option keeps collecting into the same list.
    static Options parse(const std::vector<std::string>& arguments);
    static Options parse(int argc, const char* const* argv);

    // Directories first, so that a recipe's sort order applies to the opened files; then the recipe.
    // Returns the first failure (the remaining option is still acted on).
    Status act(const Options& options);
    Status process(const std::vector<std::string>& arguments) { return act(parse(arguments)); }

    // Actions over the core services: directories through the opening code with fresh directory rules
    // (waiting for the open to end), recipes through the store.
    static Actions standardActions(RecipeStore& recipes, OpenFolderEventHandler& opener,
                                   Preferences* preferences = nullptr);

private:
    Status openDirectories(const std::vector<std::string>& directories);
    Status loadRecipe(const std::vector<std::string>& values);

    Actions actions_;
    std::string home_;
};

} // namespace quillory
