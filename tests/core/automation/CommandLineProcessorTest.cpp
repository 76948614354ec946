// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/CommandLineProcessor.h"

#include "TempDir.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "automation/PathExpansion.h"
#include "filelist/FileDataSource.h"
#include "filelist/OpenFolderEventHandler.h"
#include "model/RecentRecipeList.h"
#include "engine/RecipeStore.h"
#include "model/Transformers.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillory {
namespace {

using Options = CommandLineProcessor::Options;
using Strings = std::vector<std::string>;

TEST(CommandLineParsingTest, OptionsCollectTheirValuesAndEarlierArgumentsAreDropped) {
    EXPECT_EQ(CommandLineProcessor::parse(Strings{"/usr/bin/quillory", "-d", "/a", "/b", "-r", "~/x.recipe"}),
              (Options{{"-d", {"/a", "/b"}}, {"-r", {"~/x.recipe"}}}));
    EXPECT_EQ(CommandLineProcessor::parse(Strings{"quillory", "-d", "/a", "-d", "/b"}),
              (Options{{"-d", {"/a", "/b"}}}));
    EXPECT_EQ(CommandLineProcessor::parse(Strings{"quillory", "-r"}), (Options{{"-r", {}}}));
    EXPECT_EQ(CommandLineProcessor::parse(Strings{"quillory", "stray", "/x", "-x", "1", "-d", "/a"}),
              (Options{{"-x", {"1"}}, {"-d", {"/a"}}}));
    EXPECT_EQ(CommandLineProcessor::parse(Strings{"quillory", "only", "values"}), Options{});
    EXPECT_EQ(CommandLineProcessor::parse(Strings{}), Options{});

    const char* argv[] = {"quillory", "-r", "{\"transformers\": []}"};
    EXPECT_EQ(CommandLineProcessor::parse(3, argv), (Options{{"-r", {"{\"transformers\": []}"}}}));
}

class CommandLineActingTest : public testing::Test {
protected:
    std::vector<std::string> calls;
    CommandLineProcessor processor{CommandLineProcessor::Actions{
                                       [this](const Strings& directories) -> Status {
                                           std::string call = "open";
                                           for (const auto& directory : directories)
                                               call += " " + directory;
                                           calls.push_back(call);
                                           return {};
                                       },
                                       [this](const std::string& path) -> Status {
                                           calls.push_back("path " + path);
                                           return {};
                                       },
                                       [this](const std::string& json) -> Status {
                                           calls.push_back("json " + json);
                                           return Error{"bad recipe"};
                                       }},
                                   "/home/me"};
};

// Directories open together before the recipe, found from the home folder; recipe JSON is not a path, and
// its failure comes back; a recipe option without a value and other options do nothing.
TEST_F(CommandLineActingTest, DirectoriesOpenBeforeTheRecipeGivenAsPathOrJson) {
    EXPECT_TRUE(processor.process({"quillory", "-r", "~/x.recipe", "-d", "/a", "/b", "-d", "/c"}));
    EXPECT_EQ(calls, (Strings{"open /a /b /c", "path /home/me/x.recipe"}));

    calls.clear();
    Status status = processor.process({"quillory", "-r", "{\"a\": 1}", "ignored"});
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().message, "bad recipe");
    EXPECT_EQ(calls, Strings{"json {\"a\": 1}"});

    calls.clear();
    EXPECT_TRUE(processor.process({"quillory", "-r", "-v", "x", "--help"}));
    EXPECT_TRUE(processor.process({"quillory", "-d"}));
    EXPECT_TRUE(calls.empty());
}

TEST(PathExpansionTest, OnlyOurOwnHomeIsExpanded) {
    EXPECT_EQ(expandTilde("~/r/x.recipe", "/home/me"), "/home/me/r/x.recipe");
    EXPECT_EQ(expandTilde("~", "/home/me"), "/home/me");
    EXPECT_EQ(expandTilde("~bob/x", "/home/me"), "~bob/x");
    EXPECT_EQ(expandTilde("/tmp/~/x", "/home/me"), "/tmp/~/x");
}

TEST(CommandLineServicesTest, OpenedFilesAreSortedByTheRecipeGivenWithThem) {
    test::TempDir dir;
    dir.write("photos/a.jpg");
    dir.write("photos/c.jpg");
    dir.write("more/b.jpg");
    const auto recipe = dir.write("r.recipe", R"({"recipe_format_version": "8.0", "sortOrder": "byNameDescending",
        "transformers": [{"id": "cli", "type": "simple", "properties": {}}]})");
    Preferences preferences(dir.path() / "settings.json");
    preferences.setValue(PreferenceKey::customDirectories, std::vector<std::string>{dir.str()});
    auto dataSource = std::make_shared<FileDataSource>();
    Transformers transformers;
    RecentRecipeList recent(preferences);
    PresetUserInteraction interaction;
    RecipeStore store(transformers, *dataSource, recent, preferences, &interaction);
    OpenFolderEventHandler opener(dataSource, interaction, nullptr, &preferences);
    CommandLineProcessor processor(CommandLineProcessor::standardActions(store, opener, &preferences));

    Status status = processor.process({"quillory", "-r", recipe.string(), "-d", dir.str() + "/photos",
                                       dir.str() + "/more"});
    dataSource->waitForSort();
    ASSERT_TRUE(status) << status.error().message;
    std::vector<std::string> names;
    for (const auto& file : dataSource->files())
        names.push_back(file.source.name);
    EXPECT_EQ(names, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(transformers.size(), 1u);
    EXPECT_EQ(recent.list(), std::vector<std::string>{recipe.string()});
}

} // namespace
} // namespace quillory
