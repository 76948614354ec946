// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ScriptingCommands.h"

#include "app/Logger.h"
#include "app/MainQueue.h"
#include "automation/PathExpansion.h"
#include "automation/ScriptingState.h"
#include "filelist/FileDataSource.h"
#include "engine/RecipeStore.h"
#include "model/Transformer.h"
#include "engine/TransformerEngine.h"
#include "model/TransformerTypes.h"
#include "model/Transformers.h"

#include <nlohmann/json.hpp>

#include <thread>

namespace quillory {

namespace {

bool isSettled(const std::optional<FileValidationResult>& result) { return result && !result->isPending; }

} // namespace

ScriptingCommands::ScriptingCommands(ScriptingServices services, std::string home)
    : services_(std::move(services)), home_(home.empty() ? homeDirectory() : std::move(home)) {}

std::string ScriptingCommands::openRecipe(std::string_view parameter, Status* status) {
    Logger::log("OpenRecipeScriptCommand Opening Recipe: ", parameter);
    Status outcome = Error{"There is no recipe store."};
    std::string used(parameter);
    if (!parameter.starts_with("{"))
        used = expandTilde(parameter, home_);
    if (services_.recipeStore)
        outcome = parameter.starts_with("{") ? services_.recipeStore->loadRecipeFromJson(used)
                                             : services_.recipeStore->loadRecipe(used);
    if (status)
        *status = std::move(outcome);
    return used;
}

std::string ScriptingCommands::addTransformer(const std::optional<std::string>& json) {
    if (!json)
        return "ERROR: Missing JSON argument";
    Logger::log("AddTransformerScriptCommand: '", *json);
    nlohmann::ordered_json parsed;
    try {
        parsed = nlohmann::ordered_json::parse(*json);
    } catch (const nlohmann::json::exception& error) {
        return "ERROR: " + std::string(error.what());
    }
    auto decoded = Transformer::fromJson(parsed);
    if (!decoded)
        return "ERROR: " + decoded.error().message;
    // The engine would skip a kind it does not know without a word; the script should hear of it.
    if (!transformerTypeInfo(decoded->type))
        return "ERROR: unknown rename action type '" + decoded->type + "'";
    if (!services_.transformers)
        return "ERROR: there is no list of rename actions";
    // The command appends. An id already in the chain would make the new action replace that one, or
    // leave two actions no script could tell apart; it gets a new id, which is what the script hears.
    if (services_.transformers->keyMap().count(decoded->id)) {
        Logger::log("AddTransformerScriptCommand: id '", decoded->id, "' is taken; the new action gets another");
        decoded->id = Transformer::makeId();
    }
    std::string id = decoded->id;
    services_.transformers->addOrReplaceTransformer(std::move(*decoded));
    return id;
}

void ScriptingCommands::clearTransformers() {
    if (services_.engine)
        services_.engine->clearAllTransformersEvent();
}

void ScriptingCommands::transform() {
    if (services_.engine)
        services_.engine->transformAllFilesEvent();
}

std::optional<bool> ScriptingCommands::rename(bool force) {
    if (!services_.rename)
        return std::nullopt;
    return services_.rename(force).started;
}

Status ScriptingCommands::openDirectory(std::string_view path) {
    if (!services_.openDirectories)
        return Error{"There is no way to open directories."};
    return services_.openDirectories({expandTilde(path, home_)});
}

std::vector<ScriptObjectFile> ScriptingCommands::files() const {
    std::vector<ScriptObjectFile> objects;
    if (!services_.dataSource)
        return objects;
    for (const auto& file : services_.dataSource->files())
        objects.push_back(ScriptObjectFile::from(file));
    return objects;
}

FileValidationResult ScriptingCommands::validationResult(std::chrono::milliseconds limit) const {
    if (!services_.state)
        return {};
    auto current = [this] { return services_.state->fileValidationResult(); };
    if (!isSettled(current())) {
        Logger::log("getScriptingValidationResult sleep...");
        const auto settled = [&] { return isSettled(current()); };
        const auto deadline = std::chrono::steady_clock::now() + limit;
        // On the main thread the result arrives through the main queue, so that queue must keep running.
        if (services_.mainQueue && services_.mainQueue->isMainThread()) {
            services_.mainQueue->runUntil(settled, limit);
        } else {
            while (!settled() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!settled())
            Logger::error("getScriptingValidationResult timed out after ", limit.count(), " milliseconds");
    }
    return current().value_or(FileValidationResult{});
}

} // namespace quillory
