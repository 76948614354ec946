// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RecentRecipeList.h"

#include "TempDir.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "model/File.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using Entries = std::vector<RecentRecipeList::MenuEntry>;

class RecentRecipeListTest : public testing::Test {
protected:
    test::TempDir dir;
    Preferences preferences{dir.path() / "settings.json"};

    std::string recipe(const std::string& name) { return dir.write(name, "{}").string(); }
};

TEST_F(RecentRecipeListTest, ReopenedRecipeMovesToTheFrontOnceAndTheListIsStored) {
    RecentRecipeList recent(preferences);
    const std::string a = recipe("a.recipe"), b = recipe("b.recipe");
    recent.add(a);
    recent.add(b);
    recent.add(fileUrlFromPath(a)); // the same file given as a URL
    EXPECT_EQ(recent.list(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(preferences.strings(PreferenceKey::recentRecipes), (std::vector<std::string>{a, b}));

    // A new run reads the stored list back, from the file.
    Preferences reread(dir.path() / "settings.json");
    RecentRecipeList again(reread);
    EXPECT_EQ(again.list(), (std::vector<std::string>{a, b}));

    again.clear();
    EXPECT_TRUE(again.empty());
    EXPECT_TRUE(reread.strings(PreferenceKey::recentRecipes).empty());
    EXPECT_TRUE(again.menuEntries().empty());
}

TEST_F(RecentRecipeListTest, EleventhRecipePushesTheOldestOut) {
    RecentRecipeList recent(preferences);
    for (int i = 0; i < 11; ++i)
        recent.add(recipe("r" + std::to_string(i) + ".recipe"));
    const auto list = recent.list();
    ASSERT_EQ(list.size(), RecentRecipeList::MAX_SIZE);
    EXPECT_EQ(lastPathComponent(list.front()), "r10.recipe");
    EXPECT_EQ(lastPathComponent(list.back()), "r1.recipe");
}

TEST_F(RecentRecipeListTest, MissingFilesStayListedButAreNotOffered) {
    RecentRecipeList recent(preferences);
    const std::string kept = recipe("kept.recipe");
    const std::string gone = recipe("gone.recipe");
    const std::string unnamed = recipe("holiday/.recipe");
    recent.add(kept);
    recent.add(gone);
    recent.add(unnamed);
    std::filesystem::remove(gone);

    Entries offered;
    recent.setMenuChangedHandler([&](const Entries& entries) { offered = entries; });
    EXPECT_EQ(recent.menuEntries(), (Entries{{"holiday/", unnamed}, {"kept.recipe", kept}}));
    EXPECT_EQ(recent.list(), (std::vector<std::string>{unnamed, gone, kept}));

    recent.add(kept);
    EXPECT_EQ(offered, (Entries{{"kept.recipe", kept}, {"holiday/", unnamed}}));
    EXPECT_EQ(recent.list().size(), 3u);
}

TEST_F(RecentRecipeListTest, StoredEntriesThatAreNotTextAreDropped) {
    preferences.setValue(PreferenceKey::recentRecipes, nlohmann::json::array({"/x.recipe", 3, nullptr, "/y.recipe"}));
    RecentRecipeList recent(preferences);
    EXPECT_EQ(recent.list(), (std::vector<std::string>{"/x.recipe", "/y.recipe"}));
}

} // namespace
} // namespace quillory
