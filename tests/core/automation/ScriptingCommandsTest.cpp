// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ScriptingCommands.h"

#include "TempDir.h"
#include "app/AppNotification.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "automation/ScriptingState.h"
#include "filelist/FileDataSource.h"
#include "model/RecentRecipeList.h"
#include "engine/RecipeStore.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace quillory {
namespace {

using testing::StartsWith;

std::vector<std::string> idsOf(const std::vector<Transformer>& list) {
    std::vector<std::string> ids;
    for (const auto& transformer : list)
        ids.push_back(transformer.id);
    return ids;
}

class ScriptingCommandsTest : public testing::Test {
protected:
    test::TempDir dir;
    Preferences preferences{dir.path() / "settings.json"};
    MainQueue queue;
    NotificationCenter center{queue};
    UndoManager undo;
    Transformers transformers{nullptr, &undo};
    FileDataSource dataSource{nullptr, &undo};
    RecentRecipeList recent{preferences};
    PresetUserInteraction interaction;
    RecipeStore store{transformers, dataSource, recent, preferences, &interaction, &undo};
    TransformerEngine engine{dataSource, transformers, preferences, nullptr, &interaction};
    ScriptingState state;
    std::vector<std::vector<std::string>> opened;
    std::vector<bool> renames;

    ScriptingServices services() {
        ScriptingServices services;
        services.dataSource = &dataSource;
        services.transformers = &transformers;
        services.engine = &engine;
        services.recipeStore = &store;
        services.state = &state;
        services.mainQueue = &queue;
        services.openDirectories = [this](const std::vector<std::string>& paths) -> Status {
            opened.push_back(paths);
            return {};
        };
        return services;
    }
    ScriptingCommands commands{services(), dir.str()};
};

TEST_F(ScriptingCommandsTest, AddedActionGetsItsIdBackAndBadJsonChangesNothing) {
    const std::string id = commands.addTransformer(R"({"type": "prefix", "properties": {}})");
    EXPECT_THAT(id, StartsWith("transformer_"));
    EXPECT_EQ(commands.addTransformer(R"({"id": "mine", "type": "simple", "properties": {}})"), "mine");
    EXPECT_EQ(idsOf(transformers.list()), (std::vector<std::string>{id, "mine"}));
    // A taken id never replaces the action that has it: the new one is appended under an id of its own.
    const std::string again = commands.addTransformer(R"({"id": "mine", "type": "suffix", "properties": {}})");
    EXPECT_THAT(again, StartsWith("transformer_"));
    EXPECT_EQ(idsOf(transformers.list()), (std::vector<std::string>{id, "mine", again}));
    EXPECT_EQ(transformers.list()[1].type, "simple");
    transformers.removeTransformer(again);

    EXPECT_EQ(commands.addTransformer(std::nullopt), "ERROR: Missing JSON argument");
    EXPECT_THAT(commands.addTransformer(R"({"type": "simple", )"), StartsWith("ERROR: "));
    EXPECT_THAT(commands.addTransformer(R"({"id": "x", "properties": {}})"), StartsWith("ERROR: "));
    EXPECT_THAT(commands.addTransformer(R"({"type": "simple"})"), StartsWith("ERROR: "));
    EXPECT_EQ(commands.addTransformer(R"({"type": "warp", "properties": {}})"),
              "ERROR: unknown rename action type 'warp'");
    EXPECT_EQ(idsOf(transformers.list()), (std::vector<std::string>{id, "mine"}));
}

TEST_F(ScriptingCommandsTest, ClearIsOneUndoableStep) {
    commands.addTransformer(R"({"id": "a", "type": "simple", "properties": {}})");
    commands.clearTransformers();
    EXPECT_TRUE(transformers.empty());
    EXPECT_EQ(undo.undoActionName(), "Clear All Rename Actions");
    undo.undo();
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"a"});
}

TEST_F(ScriptingCommandsTest, RecipeTextIsLoadedAsJsonAndPathsFromTheHomeFolder) {
    const std::string json = R"({"recipe_format_version": "8.0", "transformers": [
        {"id": "from-text", "type": "simple", "properties": {}}]})";
    Status status;
    EXPECT_EQ(commands.openRecipe(json, &status), json);
    EXPECT_TRUE(status);
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"from-text"});
    EXPECT_FALSE(store.recipeUrl());

    dir.write("Recipes/a.recipe", R"({"recipe_format_version": "7.2", "transformers": [
        {"id": "from-file", "type": "trim", "properties": {}}]})");
    EXPECT_EQ(commands.openRecipe("~/Recipes/a.recipe", &status), dir.str() + "/Recipes/a.recipe");
    EXPECT_TRUE(status);
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"from-file"});

    EXPECT_EQ(commands.openRecipe("~/Recipes/none.recipe", &status), dir.str() + "/Recipes/none.recipe");
    ASSERT_FALSE(status);
    EXPECT_THAT(status.error().message, testing::HasSubstr("does not exist"));
    dataSource.waitForSort();
}

TEST_F(ScriptingCommandsTest, RenameUsesTheForceFlagAndReportsWhetherItRan) {
    EXPECT_FALSE(commands.rename().has_value()); // no renamer
    auto withRenamer = services();
    withRenamer.rename = [this](bool force) {
        renames.push_back(force);
        RenameReport report;
        report.started = force;
        return report;
    };
    ScriptingCommands scripted(withRenamer, dir.str());
    EXPECT_EQ(scripted.rename(), false);
    EXPECT_EQ(scripted.rename(true), true);
    EXPECT_EQ(renames, (std::vector<bool>{false, true}));

    EXPECT_TRUE(scripted.openDirectory("~/photos"));
    EXPECT_EQ(opened, std::vector<std::vector<std::string>>{{dir.str() + "/photos"}});
}

TEST_F(ScriptingCommandsTest, FilesShowCurrentAndComputedNamesWithMessages) {
    File file = File::fromPath("/data/in/photo.JPG");
    file.transformed.transformedPath = "/data/out";
    file.transformed.transformedName = "holiday";
    file.transformed.transformedExt = "jpg";
    file.validation.errors = {"second", "first"};
    file.validation.warnings = {"careful"};
    file.validation.uniqueSuffix = " 2";
    dataSource.doReplaceAllFiles({file, File::fromPath("/data/in/other.txt")}, FileAction::replace, false);

    const auto files = commands.files();
    ASSERT_EQ(files.size(), 2u);
    const ScriptObjectFile& first = files[0];
    EXPECT_EQ(first.displayName, "/data/in/photo.JPG");
    EXPECT_EQ(first.path, "/data/in");
    EXPECT_EQ(first.name, "photo");
    EXPECT_EQ(first.ext, "JPG");
    EXPECT_EQ(first.transformedFullPath, "/data/out/holiday.jpg");
    EXPECT_EQ(first.errors, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(first.warnings, std::vector<std::string>{"careful"});
    EXPECT_EQ(first.uniqueSuffix, " 2");
    EXPECT_FALSE(first.identifier.empty());
    EXPECT_EQ(first.identifier.find_first_of("abcdef"), std::string::npos);
    EXPECT_NE(first.identifier, files[1].identifier);
    EXPECT_EQ(files[1].name, "other");
}

TEST_F(ScriptingCommandsTest, ValidationResultWaitsOnTheMainThreadUntilNotPending) {
    state.observeNotifications(center);
    std::jthread validator([this] {
        center.post(AppNotification::validationResult, FileValidationResult{true, 0, 3, 0});
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        center.post(AppNotification::validationResult, FileValidationResult{false, 1, 3, 2});
    });
    const FileValidationResult result = commands.validationResult(std::chrono::seconds(20));
    EXPECT_EQ(result, (FileValidationResult{false, 1, 3, 2}));
}

TEST_F(ScriptingCommandsTest, ValidationResultWaitsOffTheMainThreadAndGivesUpAtItsLimit) {
    state.observeNotifications(center);
    FileValidationResult fromWorker;
    std::jthread worker([&] { fromWorker = commands.validationResult(std::chrono::seconds(20)); });
    center.post(AppNotification::validationResult, FileValidationResult{false, 0, 5, 5});
    queue.runUntil([&] { return state.fileValidationResult().has_value(); }, std::chrono::seconds(5));
    worker.join();
    EXPECT_EQ(fromWorker, (FileValidationResult{false, 0, 5, 5}));

    state.setFileValidationResult(FileValidationResult{true, 0, 5, 0});
    EXPECT_TRUE(commands.validationResult(std::chrono::milliseconds(30)).isPending);
    state.setFileValidationResult(std::nullopt);
    EXPECT_EQ(commands.validationResult(std::chrono::milliseconds(30)), FileValidationResult{});
}

} // namespace
} // namespace quillory
