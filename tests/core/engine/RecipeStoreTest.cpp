// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RecipeStore.h"

#include "TempDir.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "filelist/FileDataSource.h"
#include "model/RecentRecipeList.h"
#include "model/Recipe.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using Json = nlohmann::ordered_json;
using testing::HasSubstr;

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items())
        keys.push_back(item.key());
    return keys;
}

std::vector<std::string> idsOf(const std::vector<Transformer>& list) {
    std::vector<std::string> ids;
    for (const auto& transformer : list)
        ids.push_back(transformer.id);
    return ids;
}

std::vector<std::string> namesOf(const std::vector<File>& files) {
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.source.path + "/" + file.source.name);
    return names;
}

Transformer simple(std::string id, std::string find) {
    Transformer transformer("simple");
    transformer.id = std::move(id);
    transformer.properties.simpleFindText = std::move(find);
    transformer.properties.simpleReplaceText = TokenString::fromPlainString("x");
    return transformer;
}

std::string recipeText(const std::string& version, const std::string& body = R"("transformers": [])") {
    return "{\"recipe_format_version\": \"" + version + "\", " + body + "}";
}

class RecipeStoreTest : public testing::Test {
protected:
    test::TempDir dir;
    Preferences preferences{dir.path() / "settings.json"};
    UndoManager undo;
    Transformers transformers{nullptr, &undo};
    FileDataSource dataSource{nullptr, &undo};
    RecentRecipeList recent{preferences};
    PresetUserInteraction interaction;
    RecipeStore store{transformers, dataSource, recent, preferences, &interaction, &undo};

    std::string write(const std::string& name, const std::string& text) { return dir.write(name, text).string(); }

    Status load(const std::string& name, const std::string& text) {
        Status status = store.loadRecipe(write(name, text));
        dataSource.waitForSort();
        return status;
    }

    void addFiles(const std::vector<std::string>& paths) {
        std::vector<File> files;
        for (const auto& path : paths)
            files.push_back(File::fromPath(path));
        dataSource.doReplaceAllFiles(files, FileAction::replace, false);
    }
};

TEST_F(RecipeStoreTest, SavedRecipeHasKeysInOrderVersionEightAndOnlyEachKindsSettings) {
    Transformer leftover = simple("t1", "a");
    leftover.properties.trimFindText = "left over from a trim action";
    Transformer numbering("numbering", TransformScope::path);
    numbering.id = "t2";
    numbering.properties.numberStartText = "7";
    numbering.description = "count";
    transformers.loadTransformers({leftover, numbering}, "");
    dataSource.setSortOrder(FileSortOrder::byNameDescending);

    const std::string path = (dir.path() / "chain.recipe").string();
    ASSERT_TRUE(store.saveRecipe(path));

    const Json saved = Json::parse(test::readFile(path));
    EXPECT_EQ(keysOf(saved), (std::vector<std::string>{"recipe_format_version", "sortOrder", "transformers"}));
    EXPECT_EQ(saved["recipe_format_version"], "8.0");
    EXPECT_EQ(saved["sortOrder"], "byNameDescending");
    ASSERT_EQ(saved["transformers"].size(), 2u);
    EXPECT_EQ(keysOf(saved["transformers"][0]["properties"]),
              (std::vector<std::string>{"simpleFindText", "simpleReplaceText"}));
    EXPECT_EQ(saved["transformers"][1]["description"], "count");
    EXPECT_EQ(store.recipeUrl(), fileUrlFromPath(path));
    EXPECT_EQ(recent.list(), std::vector<std::string>{path});

    // Back again into an emptied chain and order.
    transformers.loadTransformers({}, "");
    dataSource.setSortOrder(FileSortOrder::none);
    ASSERT_TRUE(store.loadRecipe(path));
    dataSource.waitForSort();
    const auto loaded = transformers.list();
    EXPECT_EQ(idsOf(loaded), (std::vector<std::string>{"t1", "t2"}));
    EXPECT_EQ(loaded[0].properties.simpleFindText, "a");
    EXPECT_EQ(loaded[1].transformScope, TransformScope::path);
    EXPECT_EQ(loaded[1].description, "count");
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameDescending);
    EXPECT_TRUE(interaction.alerts().empty());
}

TEST_F(RecipeStoreTest, OlderAndEqualVersionsLoadNewerAndMissingAreRefusedWithTheVersionShown) {
    const std::string body = R"("transformers": [{"id": "v", "type": "simple", "properties": {}}])";
    for (const std::string version : {"8.0", "7.2", "5", "8.0.0", "7.99.3"}) {
        transformers.loadTransformers({}, "");
        EXPECT_TRUE(load("ok.recipe", recipeText(version, body))) << version;
        EXPECT_EQ(transformers.size(), 1u) << version;
    }
    EXPECT_TRUE(interaction.alerts().empty());

    for (const std::string version : {"8.1", "9.0", "8.0.1", "10"}) {
        Status status = load("new.recipe", recipeText(version));
        ASSERT_FALSE(status) << version;
        const std::string expected = "The Recipe file is created by an incompatible version of Quillory.\n\n"
                                     "The opened file format has version " + version +
                                     "\nCurrently supported file format is version 8.0";
        EXPECT_EQ(status.error().message, expected);
        EXPECT_EQ(interaction.alerts().back(), std::make_pair(std::string("Unable to load Recipe"), expected));
    }

    Status missing = load("none.recipe", R"({"transformers": []})");
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.error().message, HasSubstr("has version \nCurrently supported file format is version 8.0"));
}

TEST_F(RecipeStoreTest, UnknownKindsAreDroppedAndTheOthersLoadInOrder) {
    ASSERT_TRUE(load("mixed.recipe", recipeText("8.0", R"("transformers": [
        {"id": "a", "type": "simple", "properties": {}},
        {"id": "b", "type": "teleport", "properties": {}},
        {"id": "c", "type": "case", "properties": {"caseType": "upper"}}])")));
    const auto loaded = transformers.list();
    EXPECT_EQ(idsOf(loaded), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(loaded[1].type, "conversion");
    EXPECT_EQ(loaded[1].properties.conversionType, "upper");
    EXPECT_TRUE(interaction.alerts().empty());
}

TEST_F(RecipeStoreTest, RecordWithoutTypeIsNamedByPositionAndId) {
    Status withId = load("a.recipe", recipeText("8.0", R"("transformers": [
        {"id": "fine", "type": "simple", "properties": {}},
        {"id": "broken", "properties": {}}])"));
    ASSERT_FALSE(withId);
    EXPECT_THAT(withId.error().message, HasSubstr("rename action 1 (id \"broken\")"));
    EXPECT_THAT(withId.error().message, HasSubstr("\"type\" is missing"));

    Status withoutId = load("b.recipe", recipeText("7.0", R"("transformers": [{"properties": {}}])"));
    ASSERT_FALSE(withoutId);
    EXPECT_THAT(withoutId.error().message, HasSubstr("rename action 0: "));
    EXPECT_THAT(withoutId.error().message, testing::Not(HasSubstr("(id")));
}

TEST_F(RecipeStoreTest, SortOrderOfTheRecipeOrDefaultOrderWhenAbsent) {
    addFiles({"/z/b.txt", "/a/c.txt", "/a/a.txt"});
    ASSERT_TRUE(load("plain.recipe", recipeText("8.0")));
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::defaultSort);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"/a/a", "/a/c", "/z/b"}));

    ASSERT_TRUE(load("desc.recipe", recipeText("8.0", R"("sortOrder": "byNameDescending")")));
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameDescending);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"/a/c", "/z/b", "/a/a"}));

    // An order this version does not know changes nothing.
    ASSERT_TRUE(load("odd.recipe", recipeText("8.0", R"("sortOrder": "byColour")")));
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameDescending);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"/a/c", "/z/b", "/a/a"}));
}

TEST_F(RecipeStoreTest, FailedLoadsLeaveChainOrderRecipeAndRecentListUntouched) {
    addFiles({"/b/b.txt", "/a/a.txt"});
    ASSERT_TRUE(load("good.recipe", recipeText("8.0", R"("sortOrder": "byNameDescending", "transformers": [
        {"id": "kept", "type": "simple", "properties": {}}])")));
    const auto chain = transformers.list();
    const auto order = dataSource.files();
    const auto url = store.recipeUrl();
    const auto recentBefore = recent.list();
    const auto undoName = undo.undoActionName();

    const std::vector<std::pair<std::string, std::string>> failures = {
        {"syntax.recipe", "{\"recipe_format_version\": \"8.0\", "},
        {"newer.recipe", recipeText("9.0")},
        {"untyped.recipe", recipeText("8.0", R"("transformers": [{"id": "x", "properties": {}}])")},
        {"list.recipe", "[]"},
    };
    for (const auto& [name, text] : failures) {
        EXPECT_FALSE(load(name, text)) << name;
        EXPECT_EQ(transformers.list(), chain) << name;
        EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameDescending) << name;
        EXPECT_EQ(namesOf(dataSource.files()), namesOf(order)) << name;
        EXPECT_EQ(store.recipeUrl(), url) << name;
        EXPECT_EQ(recent.list(), recentBefore) << name;
        EXPECT_EQ(undo.undoActionName(), undoName) << name;
    }

    Status gone = store.loadRecipe((dir.path() / "gone.recipe").string());
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error().message, "Recipe file '" + (dir.path() / "gone.recipe").string() + "' does not exist.");
    EXPECT_EQ(transformers.list(), chain);
    EXPECT_EQ(recent.list(), recentBefore);
    EXPECT_EQ(interaction.alerts().size(), failures.size() + 1);
}

TEST_F(RecipeStoreTest, UndoOfOpenRecipeBringsBackChainAndOrderAndRedoReopens) {
    addFiles({"/b/b.txt", "/a/a.txt"});
    transformers.loadTransformers({simple("before", "x")}, "");
    ASSERT_TRUE(load("r.recipe", recipeText("8.0", R"("sortOrder": "byNameAscending", "transformers": [
        {"id": "after", "type": "simple", "properties": {}}])")));
    EXPECT_EQ(undo.undoActionName(), "Open Recipe");
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"/a/a", "/b/b"}));

    undo.undo();
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"before"});
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::none);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"/b/b", "/a/a"}));

    undo.redo();
    dataSource.waitForSort();
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"after"});
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameAscending);
}

TEST_F(RecipeStoreTest, RecipeFromJsonTextKeepsRecipeUrlAndRecentList) {
    ASSERT_TRUE(store.loadRecipeFromJson(recipeText("8.0", R"("transformers": [
        {"id": "j", "type": "insert", "properties": {}}])")));
    dataSource.waitForSort();
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"j"});
    EXPECT_FALSE(store.recipeUrl());
    EXPECT_TRUE(recent.empty());

    Status bad = store.loadRecipeFromJson("{\"transformers\": 3");
    EXPECT_FALSE(bad);
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"j"});
}

TEST_F(RecipeStoreTest, FailedSaveChangesNothing) {
    transformers.loadTransformers({simple("s", "x")}, "");
    dir.write("plain-file", "not a folder");
    Status status = store.saveRecipe((dir.path() / "plain-file" / "x.recipe").string());
    EXPECT_FALSE(status);
    EXPECT_FALSE(store.recipeUrl());
    EXPECT_TRUE(recent.empty());
    EXPECT_FALSE(store.saveRecipe()); // no current recipe yet

    // A find text with bytes that are not UTF-8 cannot be kept in JSON: refuse rather than alter it.
    transformers.loadTransformers({simple("bytes", "caf\xe9")}, "");
    const auto target = dir.path() / "bytes.recipe";
    EXPECT_FALSE(store.saveRecipe(target.string()));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(store.recipeUrl());
}

TEST_F(RecipeStoreTest, MostRecentRecipeOpensAtStartUpOnlyWhenWantedAndTheChainIsEmpty) {
    const std::string path = write("last.recipe", recipeText("8.0", R"("transformers": [
        {"id": "last", "type": "simple", "properties": {}}])"));
    recent.add(path);
    EXPECT_FALSE(store.openMostRecentRecipeOnStartup(nullptr)); // setting off by default
    preferences.setValue(PreferenceKey::openMostRecentRecipeOnStartup, true);
    transformers.loadTransformers({simple("busy", "x")}, "");
    EXPECT_FALSE(store.openMostRecentRecipeOnStartup(nullptr));
    transformers.loadTransformers({}, "");
    EXPECT_TRUE(store.openMostRecentRecipeOnStartup(nullptr));
    dataSource.waitForSort();
    EXPECT_EQ(idsOf(transformers.list()), std::vector<std::string>{"last"});
    EXPECT_EQ(store.recipeUrl(), fileUrlFromPath(path));
}

TEST_F(RecipeStoreTest, DeepNestingAndFilesThatAreNotRecipesAreRefusedWithoutReading) {
    const auto deep = Recipe::fromText("{\"transformers\":" + std::string(50'000, '['));
    ASSERT_FALSE(deep.ok());
    EXPECT_EQ(deep.error().message, "recipe: the JSON text nests deeper than 64 levels");
    EXPECT_FALSE(load("deep.recipe", "{\"transformers\":" + std::string(50'000, '[')));

    const Status device = store.loadRecipe("/dev/zero");
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error().message, "'/dev/zero' is not a regular file");
    EXPECT_FALSE(store.loadRecipe(dir.path().string()));
    EXPECT_TRUE(transformers.list().empty());
}

} // namespace
} // namespace quillory
