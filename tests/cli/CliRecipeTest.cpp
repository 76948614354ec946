// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli recipes and folders: -r with a file or JSON text, version check, --save-recipe, -d.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const nlohmann::json underscoreToBlank = nlohmann::json::parse(
    R"({"type": "simple", "transformScope": "filename",
        "properties": {"simpleFindText": "_", "simpleReplaceText": " "}})");
const std::string upper = R"({"type": "conversion", "properties": {"conversionType": "uppercase"}})";

std::string recipe(const std::string& version,
                   const nlohmann::json& transformers = nlohmann::json::array({underscoreToBlank})) {
    nlohmann::json document = {{"transformers", transformers}};
    if (!version.empty())
        document["recipe_format_version"] = version;
    return document.dump();
}

class CliRecipeTest : public ::testing::Test {
protected:
    void SetUp() override {
        cli.write("trip/a_b.txt");
        cli.write("trip/c_d.txt");
    }
    std::string trip() const { return (cli.home() / "trip").string(); }

    CliRunner cli;
};

TEST_F(CliRecipeTest, RecipeFromAnAbsoluteHomeOrRelativePathOrFromJsonText) {
    cli.write("recipes/tidy.recipe", recipe("8.0"));
    for (const std::string& source :
         {(cli.home() / "recipes/tidy.recipe").string(), std::string("~/recipes/tidy.recipe"),
          std::string("recipes/tidy.recipe"), recipe("8.0")}) {
        const auto result = cli.run({"-r", source, trip()});
        ASSERT_EQ(result.exitCode, 0) << source << result.err;
        EXPECT_THAT(result.out, AllOf(HasSubstr("->  a b.txt"), HasSubstr("->  c d.txt"))) << source;
    }
    // Older formats still load.
    const auto older = cli.run({"-r", recipe("7.2"), trip()});
    EXPECT_EQ(older.exitCode, 0) << older.err;
    EXPECT_THAT(older.out, HasSubstr("->  a b.txt"));
}

TEST_F(CliRecipeTest, UnreadableRecipesAreExitTwoAndNothingIsRenamed) {
    cli.write("broken.recipe", R"({"recipe_format_version": "8.0", "transformers": [)");
    const auto broken = cli.run({"--rename", "--force", "-r", (cli.home() / "broken.recipe").string(), trip()});
    EXPECT_EQ(broken.exitCode, 2);
    // Reported once, under the title the desktop app shows.
    EXPECT_THAT(broken.err, StartsWith("Unable to load Recipe: recipe: "));
    EXPECT_EQ(broken.err.find("Unable to load Recipe"), broken.err.rfind("Unable to load Recipe"));
    EXPECT_THAT(broken.err, Not(HasSubstr("terminate called")));

    const auto missing = cli.run({"--rename", "-r", (cli.home() / "gone.recipe").string(), trip()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_THAT(missing.err, HasSubstr("Recipe file '" + (cli.home() / "gone.recipe").string() + "' does not exist."));

    const auto brokenText = cli.run({"--rename", "-r", "{not json", trip()});
    EXPECT_EQ(brokenText.exitCode, 2);
    EXPECT_THAT(brokenText.err, StartsWith("Unable to load Recipe: "));

    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt", "c_d.txt"));
}

TEST_F(CliRecipeTest, NewerOrUnversionedRecipesAreRefusedWithTheIncompatibleVersionText) {
    const auto newer = cli.run({"--rename", "-r", recipe("9.0"), trip()});
    EXPECT_EQ(newer.exitCode, 2);
    EXPECT_THAT(newer.err, HasSubstr("The Recipe file is created by an incompatible version of Quillory.\n\n"
                                     "The opened file format has version 9.0\n"
                                     "Currently supported file format is version 8.0"));
    const auto unversioned = cli.run({"-r", recipe(""), trip()});
    EXPECT_EQ(unversioned.exitCode, 2);
    EXPECT_THAT(unversioned.err, HasSubstr("The opened file format has version \nCurrently supported"));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt", "c_d.txt"));
}

TEST_F(CliRecipeTest, SavedRecipeGivesTheSamePreviewWhenLoaded) {
    cli.write("trip/e_f.txt");
    const auto path = (cli.home() / "saved.recipe").string();
    const auto saving = cli.run(
        {"-a", underscoreToBlank.dump(), "-a", upper, "--sort", "byNameDescending", "--save-recipe", path, trip()});
    ASSERT_EQ(saving.exitCode, 0) << saving.err;

    const auto saved = nlohmann::json::parse(readFile(path));
    EXPECT_EQ(saved.at("recipe_format_version"), "8.0");
    EXPECT_EQ(saved.at("sortOrder"), "byNameDescending");

    const auto loading = cli.run({"-r", path, trip()});
    ASSERT_EQ(loading.exitCode, 0) << loading.err;
    EXPECT_EQ(loading.out, saving.out);
    // Descending order and both actions are in the reloaded preview.
    EXPECT_LT(loading.out.find("E F.txt"), loading.out.find("A B.txt")) << loading.out;
}

TEST_F(CliRecipeTest, NamedRecipesAreKeptInTheDataFolderAndFoundByName) {
    const auto library = cli.home() / ".local/share/quillory/recipes";
    const auto saving = cli.run({"-a", underscoreToBlank.dump(), "--save-recipe", "tidy", trip()});
    ASSERT_EQ(saving.exitCode, 0) << saving.err;
    EXPECT_THAT(saving.err, HasSubstr("Saved the recipe as " + (library / "tidy.recipe").string()));
    ASSERT_TRUE(std::filesystem::is_regular_file(library / "tidy.recipe"));
    ASSERT_EQ(cli.run({"-a", upper, "--save-recipe", "loud.recipe", trip()}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(library / "loud.recipe"));

    const auto listed = cli.run({"--list-recipes"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "loud\ntidy\n");

    // By name, with or without the extension.
    for (const std::string name : {"tidy", "tidy.recipe"}) {
        const auto loaded = cli.run({"-r", name, trip()});
        ASSERT_EQ(loaded.exitCode, 0) << name << loaded.err;
        EXPECT_THAT(loaded.out, HasSubstr("->  a b.txt")) << name;
    }
    // A file of that name in the working folder comes first.
    cli.write("tidy", recipe("8.0", nlohmann::json::array({nlohmann::json::parse(upper)})));
    EXPECT_THAT(cli.run({"-r", "tidy", trip()}).out, HasSubstr("->  A_B.txt"));

    const auto missing = cli.run({"-r", "gone", trip()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_THAT(missing.err, HasSubstr("there is no recipe 'gone' here nor in " + library.string()));

    // Replacing a named recipe asks like any other; something else of that name is never replaced.
    const auto unasked = cli.run({"-a", upper, "--save-recipe", "tidy", trip()});
    EXPECT_EQ(unasked.exitCode, 2);
    EXPECT_THAT(unasked.err, HasSubstr("already exists; use --force to replace it"));
    EXPECT_EQ(cli.run({"-a", upper, "--save-recipe", "tidy", "--force", trip()}).exitCode, 0);
    EXPECT_THAT(cli.run({"-r", "tidy.recipe", trip()}).out, HasSubstr("->  A_B.txt"));
    std::filesystem::create_directories(library / "box.recipe");
    EXPECT_EQ(cli.run({"-a", upper, "--save-recipe", "box", "--force", trip()}).exitCode, 2);
    EXPECT_EQ(cli.run({"-a", upper, "--save-recipe", ".recipe", trip()}).exitCode, 2);
}

TEST_F(CliRecipeTest, DirectoriesFromRepeatedOrMultiValuedDashD) {
    cli.write("other/x_y.txt");
    const auto other = (cli.home() / "other").string();
    for (const auto& arguments : {std::vector<std::string>{"-d", trip(), "-d", other, "-r", recipe("8.0")},
                                  std::vector<std::string>{"-r", recipe("8.0"), "-d", trip(), other}}) {
        const auto result = cli.run(arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_THAT(result.out, AllOf(HasSubstr("->  a b.txt"), HasSubstr("->  c d.txt"), HasSubstr("->  x y.txt")));
        EXPECT_THAT(result.out, HasSubstr("3 files: 3 to rename"));
    }
}

} // namespace
} // namespace quillory::test
