// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/CommandLineProcessor.h"

#include "app/Logger.h"
#include "automation/PathExpansion.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FilesAndDirectories.h"
#include "filelist/OpenFolderEventHandler.h"
#include "engine/RecipeStore.h"

#include <memory>

namespace quillory {

CommandLineProcessor::CommandLineProcessor(Actions actions, std::string home)
    : actions_(std::move(actions)), home_(home.empty() ? homeDirectory() : std::move(home)) {}

CommandLineProcessor::Options CommandLineProcessor::parse(const std::vector<std::string>& arguments) {
    Options options;
    std::string current;
    for (const auto& argument : arguments) {
        if (argument.starts_with("-")) {
            current = argument;
            options.try_emplace(current);
            continue;
        }
        if (auto found = options.find(current); found != options.end())
            found->second.push_back(argument);
    }
    return options;
}

CommandLineProcessor::Options CommandLineProcessor::parse(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    return parse(arguments);
}

Status CommandLineProcessor::act(const Options& options) {
    Status first;
    auto keep = [&first](Status status) {
        if (first && !status)
            first = std::move(status);
    };
    if (auto directories = options.find("-d"); directories != options.end())
        keep(openDirectories(directories->second));
    if (auto recipe = options.find("-r"); recipe != options.end())
        keep(loadRecipe(recipe->second));
    return first;
}

Status CommandLineProcessor::openDirectories(const std::vector<std::string>& directories) {
    std::vector<std::string> paths;
    for (const auto& directory : directories) {
        Logger::log("CommandLine Opening Directory: ", directory);
        paths.push_back(expandTilde(directory, home_));
    }
    if (paths.empty() || !actions_.openDirectories)
        return {};
    return actions_.openDirectories(paths);
}

Status CommandLineProcessor::loadRecipe(const std::vector<std::string>& values) {
    const std::string value = values.empty() ? std::string() : values.front();
    Logger::log("CommandLine Opening Recipe: ", value);
    if (value.empty())
        return {};
    if (value.starts_with("{"))
        return actions_.loadRecipeFromJson ? actions_.loadRecipeFromJson(value) : Status{};
    return actions_.loadRecipeFromPath ? actions_.loadRecipeFromPath(expandTilde(value, home_)) : Status{};
}

CommandLineProcessor::Actions CommandLineProcessor::standardActions(RecipeStore& recipes,
                                                                    OpenFolderEventHandler& opener,
                                                                    Preferences* preferences) {
    Actions actions;
    actions.openDirectories = [&opener, preferences](const std::vector<std::string>& directories) -> Status {
        auto request = FilesAndDirectories::fromPaths(directories, std::make_shared<DirectoryValidator>(preferences));
        if (!opener.openAndWait(std::move(request)))
            return Error{"Opening the directories did not finish."};
        return {};
    };
    actions.loadRecipeFromPath = [&recipes](const std::string& path) { return recipes.loadRecipe(path); };
    actions.loadRecipeFromJson = [&recipes](const std::string& json) { return recipes.loadRecipeFromJson(json); };
    return actions;
}

} // namespace quillory
