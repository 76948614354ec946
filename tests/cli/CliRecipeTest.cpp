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
    const std::string upper = R"({"type": "conversion", "properties": {"conversionType": "uppercase"}})";
    const auto path = (cli.home() / "saved.recipe").string();
    const auto saving = cli.run(
        {"-a", underscoreToBlank.dump(), "-a", upper, "--sort", "byNameDescending", "--save-recipe", path, trip()});
    ASSERT_EQ(saving.exitCode, 0) << saving.err;

    const auto saved = nlohmann::json::parse(readFile(path));
    EXPECT_EQ(saved.at("recipe_format_version"), "8.0");
    EXPECT_EQ(saved.at("sortOrder"), "byNameDescending");
    ASSERT_EQ(saved.at("transformers").size(), 2u);
    EXPECT_EQ(saved.at("transformers")[0].at("type"), "simple");
    EXPECT_EQ(saved.at("transformers")[0].at("properties").at("simpleFindText"), "_");
    EXPECT_EQ(saved.at("transformers")[1].at("type"), "conversion");

    const auto loading = cli.run({"-r", path, trip()});
    ASSERT_EQ(loading.exitCode, 0) << loading.err;
    EXPECT_EQ(loading.out, saving.out);
    // Descending order and both actions are in the reloaded preview.
    EXPECT_LT(loading.out.find("E F.txt"), loading.out.find("A B.txt")) << loading.out;
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
