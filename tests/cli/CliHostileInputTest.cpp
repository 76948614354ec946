// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli with input that is wrong or hostile: actions and recipes with problems, files that are not
// recipes, and recipes that must not be replaced by accident.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace quillory::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class CliHostileInputTest : public ::testing::Test {
protected:
    void SetUp() override { cli.write("trip/a_b.txt"); }
    std::string trip() const { return (cli.home() / "trip").string(); }

    CliRunner cli;
};

TEST_F(CliHostileInputTest, AnActionWithAProblemIsExitTwoNamingTheActionAndTheKey) {
    const auto typo = cli.run({"--rename", "-a", R"({"type":"conversion","properties":{"conversionTyp":"upper"}})",
                               trip()});
    EXPECT_EQ(typo.exitCode, 2);
    EXPECT_THAT(typo.err, AllOf(HasSubstr("--action (conversion)"), HasSubstr("\"properties.conversionTyp\""),
                                HasSubstr("did you mean \"conversionType\"?")));

    const auto pattern = cli.run({"-a", action("regularexpression", {{"regexFindText", "("}, {"regexReplaceText", "x"}}),
                                  trip()});
    EXPECT_EQ(pattern.exitCode, 2);
    EXPECT_THAT(pattern.err, AllOf(HasSubstr("--action (regularexpression)"), HasSubstr("\"regexFindText\""),
                                   HasSubstr("U_REGEX_MISMATCHED_PAREN at offset 1")));

    const auto number = cli.run({"-a", action("simple", {{"simpleFindText", "_"}, {"simpleReplaceText", 7}}), trip()});
    EXPECT_EQ(number.exitCode, 2);
    EXPECT_THAT(number.err, HasSubstr("\"simpleReplaceText\" must be a token string or a string"));

    const auto deep = cli.run({"-a", std::string(50'000, '['), trip()});
    EXPECT_EQ(deep.exitCode, 2);
    EXPECT_THAT(deep.err, HasSubstr("nests deeper than 64 levels"));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt"));
}

TEST_F(CliHostileInputTest, ARecipeWithProblemsLoadsWithOneWarningEach) {
    const auto recipe = nlohmann::json::parse(R"({"recipe_format_version": "8.0", "transformers": [
        {"type": "simple", "properties": {"simpleFindText": "_", "simpleReplaceText": " "}},
        {"type": "conversion", "properties": {"conversionType": "lowercas"}},
        {"type": "insert", "properties": {"insertText": {"items": [{"type": "attribute", "value": "id3-artst"}]}}}]})");
    const auto path = cli.write("typos.recipe", recipe.dump());
    const auto run = cli.run({"-r", path.string(), trip()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("warning: recipe action 2 (conversion): \"conversionType\": unknown value "
                                   "\"lowercas\" (did you mean \"lowercase\"?)"));
    EXPECT_THAT(run.err, HasSubstr("warning: recipe action 3 (insert): \"insertText\": unknown attribute "
                                   "\"id3-artst\" (did you mean \"id3-artist\"?)"));
    // One warning line each, and nothing else but the preview's hint.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
    EXPECT_THAT(run.err, HasSubstr("Nothing was renamed; add --rename to do it\n"));
    // The sound action still ran.
    EXPECT_THAT(run.out, HasSubstr("a b.txt"));

    const auto inline_ = cli.run({"-r", recipe.dump(), trip()});
    EXPECT_EQ(inline_.exitCode, 0);
    EXPECT_EQ(inline_.err, run.err);
}

TEST_F(CliHostileInputTest, RecipesMustBeSmallRegularFiles) {
    const auto zero = cli.run({"-r", "/dev/zero", trip()});
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_THAT(zero.err, HasSubstr("'/dev/zero' is not a regular file"));

    const auto fifo = cli.home() / "pipe.recipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto blocked = cli.run({"-r", fifo.string(), trip()});
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_THAT(blocked.err, HasSubstr("is not a regular file"));
}

TEST_F(CliHostileInputTest, SaveRecipeReplacesOnlyARecipeAndOnlyWhenTold) {
    const std::string chain = replace("_", " ");
    const auto notes = cli.write("notes.txt", "my notes\n");
    const auto refused = cli.run({"-a", chain, "--save-recipe", notes.string(), "--force", trip()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_THAT(refused.err, HasSubstr("exists and is not a recipe; it was not replaced"));
    EXPECT_EQ(readFile(notes), "my notes\n");
    const auto folder = cli.run({"-a", chain, "--save-recipe", trip(), trip()});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_THAT(folder.err, HasSubstr("is not a recipe file"));

    const auto path = (cli.home() / "kept.recipe").string();
    ASSERT_EQ(cli.run({"-a", chain, "--save-recipe", path, trip()}).exitCode, 0);
    const std::string first = readFile(path);
    const std::string other = action("conversion", {{"conversionType", "uppercase"}});
    const auto unasked = cli.run({"-a", other, "--save-recipe", path, trip()});
    EXPECT_EQ(unasked.exitCode, 2);
    EXPECT_THAT(unasked.err, HasSubstr("already exists; use --force to replace it"));
    EXPECT_EQ(readFile(path), first);

    EXPECT_EQ(cli.run({"-a", other, "--save-recipe", path, trip()}, CliRunner::typing("n\n")).exitCode, 2);
    EXPECT_EQ(readFile(path), first);
    const auto asked = cli.run({"-a", other, "--save-recipe", path, trip()}, CliRunner::typing("y\n"));
    EXPECT_EQ(asked.exitCode, 0) << asked.terminal;
    EXPECT_THAT(asked.terminal, HasSubstr("Replace the recipe"));
    EXPECT_THAT(readFile(path), HasSubstr("uppercase"));

    EXPECT_EQ(cli.run({"-a", chain, "--save-recipe", path, "--force", trip()}).exitCode, 0);
    EXPECT_THAT(readFile(path), Not(HasSubstr("uppercase")));
}

TEST_F(CliHostileInputTest, TextsThatAreNotUtf8AreExitTwoNamingTheOption) {
    const std::string latin1 = "caf\xe9";
    const auto replaced = cli.run({"--replace", latin1, "x", trip()});
    EXPECT_EQ(replaced.exitCode, 2);
    EXPECT_EQ(replaced.err, "quillory-cli: --replace: the text is not valid UTF-8\n");
    // Only saving the chain, with nothing listed.
    const auto saved = cli.run({"--trim-chars", latin1, "--save-recipe", (cli.home() / "s.recipe").string()});
    EXPECT_EQ(saved.exitCode, 2);
    EXPECT_THAT(saved.err, HasSubstr("--trim-chars: the text is not valid UTF-8"));
    EXPECT_FALSE(std::filesystem::exists(cli.home() / "s.recipe"));

    const auto table = cli.write("latin1.csv", latin1 + ";cafe\r\n");
    const auto looked = cli.run({"--lookup", table.string(), "--rename", trip()});
    EXPECT_EQ(looked.exitCode, 2);
    EXPECT_THAT(looked.err, HasSubstr("--lookup: the text is not valid UTF-8 (row 1 of "));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt"));
}

TEST_F(CliHostileInputTest, OptionsThatWouldDropARenameOrASaveAreRefused) {
    const std::string file = trip() + "/a_b.txt";
    const std::vector<std::vector<std::string>> listings = {
        {"--plan", file}, {"--describe", "trim"}, {"--list-tokens"}, {"--history"}, {"--list-actions"},
        {"--list-recipes"}};
    for (const auto& asked : listings) {
        std::vector<std::string> arguments = {"--prefix", "P", trip(), "--rename"};
        arguments.insert(arguments.end(), asked.begin(), asked.end());
        const auto run = cli.run(arguments);
        EXPECT_EQ(run.exitCode, 2) << asked.front();
        EXPECT_EQ(run.err, "quillory-cli: --rename and " + asked.front() + " contradict each other; give one\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt"));

    const auto recipe = (cli.home() / "kept.recipe").string();
    for (const auto& asked : listings) {
        if (asked.front() == "--plan")
            continue;
        std::vector<std::string> arguments = {"--prefix", "P", "--save-recipe", recipe};
        arguments.insert(arguments.end(), asked.begin(), asked.end());
        const auto run = cli.run(arguments);
        EXPECT_EQ(run.exitCode, 2) << asked.front();
        EXPECT_EQ(run.err,
                  "quillory-cli: --save-recipe and " + asked.front() + " contradict each other; give one\n");
    }
    EXPECT_FALSE(std::filesystem::exists(recipe));
    // The plan reads the chain, so the recipe is saved with it.
    const auto planned = cli.run({"--prefix", "P", trip(), "--save-recipe", recipe, "--plan", file});
    EXPECT_EQ(planned.exitCode, 0) << planned.err;
    EXPECT_TRUE(std::filesystem::exists(recipe));

    const auto json = cli.run({"--prefix", "P", trip(), "--plan", file, "--json"});
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_THAT(json.err, HasSubstr("--json and --plan contradict each other"));
    EXPECT_EQ(json.out, "");
}

TEST_F(CliHostileInputTest, ASwitchGivenAsTextMustSayWhich) {
    auto ignoringCase = [&](const nlohmann::json& value) {
        return cli.run({"--json", "-a",
                        action("simple", {{"simpleFindText", "A"}, {"simpleReplaceText", "x"},
                                          {"simpleCaseInsensitive", value}}),
                        trip()});
    };
    for (const auto& yes : {nlohmann::json("true"), nlohmann::json("1"), nlohmann::json(true)}) {
        const auto run = ignoringCase(yes);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.json().at("files").at(0).at("transformedName"), "x_b") << yes;
    }
    for (const auto& no : {nlohmann::json("false"), nlohmann::json("0")}) {
        const auto run = ignoringCase(no);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.json().at("files").at(0).at("transformedName"), "a_b") << no;
    }
    for (const auto& neither : {nlohmann::json("yes"), nlohmann::json("True"), nlohmann::json("")}) {
        const auto run = ignoringCase(neither);
        EXPECT_EQ(run.exitCode, 2) << neither;
        EXPECT_THAT(run.err, HasSubstr("--action: \"simpleCaseInsensitive\" must be true or false (or \"1\" or "
                                       "\"0\"), not " + neither.dump()));
    }
}

} // namespace
} // namespace quillory::test
