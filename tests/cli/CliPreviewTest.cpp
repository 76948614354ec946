// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of quillory-cli: table, JSON document, exit codes, allowed folders, logging.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace quillory::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string underscoreToBlank = replace("_", " ");
// Empties the name of "bad.txt" only, which is a validation error.
const std::string emptyBadName = replace("bad", "");

class CliPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        cli.write("trip/a_b.txt", "A");
        cli.write("trip/c_d.txt", "C");
        cli.write("trip/plain.txt", "P");
    }
    std::string trip() const { return (cli.home() / "trip").string(); }

    CliRunner cli;
};

TEST_F(CliPreviewTest, TableShowsOldAndNewNamesAndTheCountsWithoutTouchingTheDisk) {
    const auto result = cli.run({"-a", underscoreToBlank, trip()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Old names are padded to one column.
    EXPECT_THAT(result.out, HasSubstr("a_b.txt    ->  a b.txt\n"));
    EXPECT_THAT(result.out, HasSubstr("c_d.txt    ->  c d.txt\n"));
    EXPECT_THAT(result.out, HasSubstr("plain.txt  ->  plain.txt\n"));
    EXPECT_THAT(result.out, HasSubstr("3 files: 2 to rename, 0 with errors, 0 with warnings\n"));
    // Not a terminal and NO_COLOR set: no escape sequences.
    EXPECT_THAT(result.out, Not(HasSubstr("\033[")));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt", "c_d.txt", "plain.txt"));
    EXPECT_EQ(result.err, "Nothing was renamed; add --rename to do it\n");

    const auto changed = cli.run({"--changed", "-a", underscoreToBlank, trip()});
    ASSERT_EQ(changed.exitCode, 0) << changed.err;
    EXPECT_THAT(changed.out, HasSubstr("a b.txt"));
    EXPECT_THAT(changed.out, Not(HasSubstr("plain.txt")));
    EXPECT_THAT(changed.out, HasSubstr("3 files: 2 to rename"));
    // The JSON document lists the changed files too, and is followed by no hint.
    const auto changedJson = cli.run({"--json", "--changed", "-a", underscoreToBlank, trip()});
    EXPECT_EQ(changedJson.json().at("files").size(), 2u);
    EXPECT_EQ(changedJson.err, "");
}

TEST_F(CliPreviewTest, TableShowsANewFolderAndErrorsAndExitsOneOnErrors) {
    cli.write("trip/bad.txt");
    const std::string intoSorted =
        action("suffix", {{"suffixText", {{"items", {{{"type", "string"}, {"value", "/sorted"}}}}}}}, "path");
    const auto result = cli.run({"-a", emptyBadName, "-a", intoSorted, trip()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_THAT(result.out, HasSubstr("a_b.txt    ->  a_b.txt  [in " + trip() + "/sorted/]\n"));
    EXPECT_THAT(result.out, HasSubstr("ERROR: Filename is empty"));
    EXPECT_THAT(result.out, HasSubstr("4 files: 3 to rename, 1 with errors"));
}

TEST_F(CliPreviewTest, AnActionThatFailsOnAFileIsNamedByItsPlaceAndKind) {
    // A pattern with nested repetitions runs past its time limit on this name.
    cli.write("slow/" + std::string(40, 'a') + "b");
    const auto slow = (cli.home() / "slow").string();
    const std::vector<std::string> chain = {"-a", underscoreToBlank, "--replace", "(a+)+$", "x", "--regex", slow};

    const auto table = cli.run(chain);
    EXPECT_EQ(table.exitCode, 1) << table.err;
    EXPECT_THAT(table.out, HasSubstr("  ERROR: action 2 (regularexpression) failed\n"));
    EXPECT_THAT(table.out, Not(HasSubstr("transformer_")));

    auto json = chain;
    json.push_back("--json");
    EXPECT_EQ(cli.run(json).json()["files"][0]["errors"],
              nlohmann::json::array({"action 2 (regularexpression) failed"}));
    // The document after a forced run, which renames nothing when a name could not be computed.
    json.insert(json.end(), {"--rename", "--force"});
    const auto forced = cli.run(json);
    EXPECT_EQ(forced.exitCode, 1) << forced.err;
    EXPECT_EQ(forced.json()["files"][0]["errors"], nlohmann::json::array({"action 2 (regularexpression) failed"}));
}

TEST_F(CliPreviewTest, JsonDocumentCarriesTheScriptingFieldsOfEveryFile) {
    cli.write("trip/bad.txt");
    // Also moves bad.txt out of the allowed folders, so that it has two errors.
    const std::string badOut = action(
        "set", {{"setFindText", "bad"}, {"setText", {{"items", {{{"type", "string"}, {"value", "/etc"}}}}}}}, "path");
    const auto result = cli.run({"--json", "-a", underscoreToBlank, "-a", emptyBadName, "-a", badOut, trip()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const auto document = result.json();

    const auto& validation = document.at("validationResult");
    EXPECT_EQ(validation.at("totalCount"), 4);
    EXPECT_EQ(validation.at("errorCount"), 1);
    EXPECT_EQ(validation.at("renameCount"), 2);
    EXPECT_EQ(validation.at("isPending"), false);
    EXPECT_FALSE(document.contains("renameReport"));

    const auto& files = document.at("files");
    ASSERT_EQ(files.size(), 4u);
    const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::set<std::string> identifiers;
    for (const auto& file : files) {
        EXPECT_TRUE(std::regex_match(file.at("identifier").get<std::string>(), uuid)) << file.at("identifier");
        identifiers.insert(file.at("identifier").get<std::string>());
        const auto errors = file.at("errors").get<std::vector<std::string>>();
        EXPECT_TRUE(std::is_sorted(errors.begin(), errors.end()));
    }
    EXPECT_EQ(identifiers.size(), 4u);

    auto byName = [&](const std::string& name) {
        for (const auto& file : files)
            if (file.at("name") == name)
                return file;
        ADD_FAILURE() << name << " not listed";
        return nlohmann::json{};
    };
    const auto ab = byName("a_b");
    EXPECT_EQ(ab.at("displayName"), trip() + "/a_b.txt");
    EXPECT_EQ(ab.at("path"), trip());
    EXPECT_EQ(ab.at("ext"), "txt");
    EXPECT_EQ(ab.at("transformedName"), "a b");
    EXPECT_EQ(ab.at("transformedPath"), trip());
    EXPECT_EQ(ab.at("transformedExt"), "txt");
    EXPECT_EQ(ab.at("transformedFullPath"), trip() + "/a b.txt");
    EXPECT_TRUE(ab.at("errors").empty());

    const auto bad = byName("bad");
    EXPECT_EQ(bad.at("transformedPath"), "/etc");
    const auto errors = bad.at("errors").get<std::vector<std::string>>();
    ASSERT_EQ(errors.size(), 2u) << bad.dump();
    EXPECT_EQ(errors[0], "Filename is empty");
    EXPECT_THAT(errors[1], HasSubstr("Path should start with one of the following prefixes: "));
}

TEST_F(CliPreviewTest, JsonStaysValidForNamesThatAreNotUtf8) {
    cli.write("trip/caf\xe9_x.txt");
    const auto result = cli.run({"--json", "-a", underscoreToBlank, trip()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto document = result.json();
    ASSERT_EQ(document.at("files").size(), 4u);
    std::vector<std::string> names;
    for (const auto& file : document.at("files"))
        names.push_back(file.at("transformedName"));
    EXPECT_THAT(names, ::testing::Contains("caf\uFFFD x"));
    // The exact bytes go along in base64 for such a file only, so a script can still find it.
    auto decoded = [&](const nlohmann::json& text) {
        return cli.runShell("printf %s '" + text.get<std::string>() + "' | base64 -d").out;
    };
    std::vector<std::string> exact;
    for (const auto& file : document.at("files"))
        if (file.contains("pathBytes"))
            exact.push_back(decoded(file.at("pathBytes")) + " -> " + decoded(file.at("transformedFullPathBytes")));
    EXPECT_THAT(exact, ElementsAre(trip() + "/caf\xe9_x.txt -> " + trip() + "/caf\xe9 x.txt"));
    // The table shows the byte that is not UTF-8 as an escape, never as a broken character.
    EXPECT_THAT(cli.run({"-a", underscoreToBlank, trip()}).out, HasSubstr("->  caf\\xe9 x.txt"));
}

// Every warning and error of a preview document, as "name and suffix: message".
std::vector<std::string> messagesOf(const CliOutput& result) {
    std::vector<std::string> all;
    const auto document = result.json();
    for (const auto& file : document.at("files"))
        for (const char* kind : {"warnings", "errors"})
            for (const auto& message : file.at(kind))
                all.push_back(file.at("name").get<std::string>() + file.at("uniqueSuffix").get<std::string>() + ": " +
                              message.get<std::string>());
    return all;
}

// With every file named "same", all but the first are numbered, or are errors without automatic numbering.
const std::vector<std::string> numbered = {"c_d 2: Filename is not unique. A numeric suffix '2' has been added.",
                                           "plain 3: Filename is not unique. A numeric suffix '3' has been added."};
const std::vector<std::string> notUnique = {"c_d: Filename is not unique.", "plain: Filename is not unique."};

TEST_F(CliPreviewTest, DuplicateTargetsGetASuffixUnlessAutoResolveIsOffForThisRun) {
    const auto on = cli.run({"--json", "-a", setTo("same"), trip()});
    EXPECT_EQ(on.exitCode, 0) << on.err;
    EXPECT_EQ(messagesOf(on), numbered);
    for (const char* setting : {"autoResolveDuplicates=false", "com.halvane.quillory.autoResolveDuplicates=0"}) {
        // Off, a duplicate is an error of the preview rather than a failure of the run.
        const auto off = cli.run({"--json", "--set", setting, "-a", setTo("same"), trip()});
        EXPECT_EQ(off.exitCode, 1) << setting << off.err;
        EXPECT_EQ(messagesOf(off), notUnique) << setting;
    }
}

TEST_F(CliPreviewTest, StoredSettingsAreReadAndSetOverridesThemWithoutSavingAnything) {
    const auto settings =
        cli.temp().write("config/quillory/settings.json", R"({"com.halvane.quillory.autoResolveDuplicates": false})");
    EXPECT_EQ(messagesOf(cli.run({"--json", "-a", setTo("same"), trip()})), notUnique);
    for (const char* setting : {"autoResolveDuplicates=true", "autoResolveDuplicates=1"})
        EXPECT_EQ(messagesOf(cli.run({"--json", "--set", setting, "-a", setTo("same"), trip()})), numbered) << setting;
    EXPECT_EQ(readFile(settings), R"({"com.halvane.quillory.autoResolveDuplicates": false})");
}

TEST_F(CliPreviewTest, PlanListsEachStepOfOneFileOrRefusesAFileNotListed) {
    const auto result = cli.run({"-a", underscoreToBlank, "-a", emptyBadName, "--plan", trip() + "/a_b.txt", trip()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Original Filename: " + trip() + "/a_b.txt\nReplace filename: " + trip() +
                              "/a b.txt\nReplace filename: " + trip() + "/a b.txt\nTarget: " + trip() + "/a b.txt\n");

    const auto missing = cli.run({"-a", underscoreToBlank, "--plan", trip() + "/nothing.txt", trip()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_THAT(missing.err, HasSubstr("--plan: '" + trip() + "/nothing.txt' is not in the list of files"));
}

TEST_F(CliPreviewTest, LogGoesToTheStateFolderOrWithVerboseToStandardError) {
    const auto quiet = cli.run({"-a", underscoreToBlank, trip()});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_THAT(quiet.err, Not(HasSubstr("CommandLine Opening Directory")));
    EXPECT_THAT(readFile(cli.stateDir() / "quillory" / "quillory-cli.log"),
                HasSubstr("CommandLine Opening Directory: " + trip()));

    const auto verbose = cli.run({"--verbose", "-a", underscoreToBlank, trip()});
    ASSERT_EQ(verbose.exitCode, 0) << verbose.err;
    EXPECT_THAT(verbose.err, HasSubstr("CommandLine Opening Directory: " + trip()));
}

TEST_F(CliPreviewTest, BadUsageIsExitTwoWithAMessage) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--no-such-option", trip()}, "no-such-option"},
        {{"--on-error", "maybe", "-a", underscoreToBlank, trip()}, "maybe"},
        {{"--sort", "sideways", trip()}, "--sort: unknown order 'sideways' (one of: "},
        {{"--setting", "nonsense=1", trip()}, "--setting: unknown setting 'nonsense'"},
        {{"--set", "autoResolveDuplicates=maybe", trip()}, "expects true, false, 1 or 0, got 'maybe'"},
        {{"--setting", "autoResolveDuplicates", trip()}, "--setting expects KEY=VALUE"},
        {{"-a", "{\"type\": \"simple\", ", trip()}, "--action is not a JSON object"},
        {{"-a", action("warp", nlohmann::json::object()), trip()}, "--action has an unknown type 'warp'"},
        {{"-a", R"({"type": "simple"})", trip()}, "--action cannot be read: "},
    };
    for (const auto& c : cases) {
        const auto result = cli.run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments.front() << "\n" << result.out << result.err;
        EXPECT_THAT(result.err, AllOf(HasSubstr("quillory-cli"), HasSubstr(c.message))) << c.arguments.front();
        EXPECT_THAT(result.err, Not(HasSubstr("terminate called")));
    }
    const auto nothing = cli.run({});
    EXPECT_EQ(nothing.exitCode, 2);
    EXPECT_THAT(nothing.err, HasSubstr("Usage"));
    EXPECT_EQ(nothing.out, "");

    const auto help = cli.run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, AllOf(HasSubstr("Examples:"), HasSubstr("--rename"), HasSubstr("--on-error")));

    const auto version = cli.run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_THAT(version.out, AllOf(HasSubstr("quillory-cli "), HasSubstr("GeoNames"), HasSubstr("CC BY 4.0")));
}

} // namespace
} // namespace quillory::test
