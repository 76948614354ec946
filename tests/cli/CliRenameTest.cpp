// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli --rename: on-disk results, refusal without --force, collisions, continue or abort.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string underscoreToBlank = action("simple", {{"simpleFindText", "_"}, {"simpleReplaceText", " "}});
const std::string emptyBadName = action("simple", {{"simpleFindText", "bad"}, {"simpleReplaceText", ""}});

// a.txt and b.txt trade names (through x); c_d.txt, later in the list, only loses its underscore.
std::vector<std::string> swapActions() {
    auto replace = [](const char* from, const char* to) {
        return action("simple", {{"simpleFindText", from}, {"simpleReplaceText", to}});
    };
    return {"-a", replace("a", "x"), "-a", replace("b", "a"), "-a", replace("x", "b"), "-a", underscoreToBlank};
}

class CliRenameTest : public ::testing::Test {
protected:
    std::string trip() const { return (cli.home() / "trip").string(); }
    std::vector<std::string> args(std::vector<std::string> first, const std::vector<std::string>& more = {}) const {
        first.insert(first.end(), more.begin(), more.end());
        first.push_back(trip());
        return first;
    }

    CliRunner cli;
};

TEST_F(CliRenameTest, RenamesOnDiskAndReports) {
    cli.write("trip/a_b.txt", "A");
    cli.write("trip/deeper/c_d.txt", "C");
    const auto result = cli.run(args({"--rename", "-a", underscoreToBlank}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(treeListing(trip()), ElementsAre("a b.txt", "deeper/c d.txt"));
    EXPECT_EQ(readFile(cli.home() / "trip/a b.txt"), "A");
    EXPECT_THAT(result.out, HasSubstr("Renamed 2 of 2 files."));
}

TEST_F(CliRenameTest, FolderChangesCreateTheNewFoldersAndRemoveTheEmptiedOnes) {
    cli.write("trip/old/inner/x.txt", "X");
    cli.write("trip/old/y.txt", "Y");
    cli.write("trip/keep/z.txt", "Z");
    const std::string oldToNew =
        action("simple", {{"simpleFindText", "old"}, {"simpleReplaceText", "new/deep"}}, "path");
    const auto result = cli.run(args({"--rename", "-a", oldToNew}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(treeListing(trip()), ElementsAre("keep/z.txt", "new/deep/inner/x.txt", "new/deep/y.txt"));
    EXPECT_FALSE(std::filesystem::exists(cli.home() / "trip/old"));
    EXPECT_EQ(readFile(cli.home() / "trip/new/deep/inner/x.txt"), "X");
}

TEST_F(CliRenameTest, EmptyFoldersAreListedByTheirNameAndRenamed) {
    cli.write("trip/full/a_b.txt");
    std::filesystem::create_directories(cli.home() / "trip/empty_dir");
    const std::string inPaths = action("simple", {{"simpleFindText", "_"}, {"simpleReplaceText", " "}}, "path");
    const auto preview = cli.run(args({"-a", inPaths}));
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    EXPECT_THAT(preview.out, HasSubstr("empty_dir/  ->  empty dir/\n"));

    const auto renamed = cli.run(args({"--rename", "-a", inPaths}));
    ASSERT_EQ(renamed.exitCode, 0) << renamed.out << renamed.err;
    EXPECT_THAT(listing(trip()), ElementsAre("empty dir/", "full/"));
}

TEST_F(CliRenameTest, JsonAfterRenameShowsTheNewListAndTheReportWhileTheTextReportGoesToStandardError) {
    cli.write("trip/a_b.txt", "A");
    cli.write("trip/c_d.txt", "C");
    const auto result = cli.run(args({"--json", "--rename", "-a", underscoreToBlank}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto document = result.json();
    EXPECT_EQ(document.at("renameReport"), nlohmann::json::parse(R"({"renamed": 2, "failed": [], "skipped": 0})"));
    std::vector<std::string> names;
    for (const auto& file : document.at("files"))
        names.push_back(file.at("name").get<std::string>() + " => " + file.at("transformedName").get<std::string>());
    // The list holds the new names; the chain applied to them changes nothing more.
    EXPECT_THAT(names, ElementsAre("a b => a b", "c d => c d"));
    EXPECT_EQ(document.at("validationResult").at("renameCount"), 0);
    EXPECT_THAT(result.err, HasSubstr("Renamed 2 of 2 files."));
}

TEST_F(CliRenameTest, ErrorsRefuseTheRenameWithoutForceAndAreSkippedWithIt) {
    cli.write("trip/a_b.txt");
    cli.write("trip/bad.txt");
    const auto refused = cli.run(args({"--rename", "-a", underscoreToBlank, "-a", emptyBadName}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("Nothing renamed: 1 file has errors"));
    EXPECT_THAT(refused.out, HasSubstr("ERROR: Filename is empty"));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt", "bad.txt"));

    const auto forced = cli.run(args({"--json", "--rename", "--force", "-a", underscoreToBlank, "-a", emptyBadName}));
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(forced.json().at("renameReport"), nlohmann::json::parse(R"({"renamed": 1, "failed": [], "skipped": 1})"));
    EXPECT_THAT(forced.err, HasSubstr("Renamed 1 of 1 file; 1 file with errors was skipped."));
    EXPECT_THAT(listing(trip()), ElementsAre("a b.txt", "bad.txt"));
}

TEST_F(CliRenameTest, APathThatCouldNotBeOpenedIsNotReportedAsSuccess) {
    cli.write("trip/a_b.txt");
    const auto missing = (cli.home() / "tirp").string(); // a mistyped folder
    const auto result = cli.run(args({"--rename", "-a", underscoreToBlank, missing}));
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    EXPECT_THAT(result.err, HasSubstr(missing));
    // The folders that could be opened are still renamed.
    EXPECT_THAT(listing(trip()), ElementsAre("a b.txt"));
}

TEST_F(CliRenameTest, SwapWithAutoResolveTakesANumberedName) {
    cli.write("trip/a.txt", "A");
    cli.write("trip/b.txt", "B");
    cli.write("trip/c_d.txt", "C");
    const auto result = cli.run(args({"--rename"}, swapActions()));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b 2.txt", "c d.txt"));
    EXPECT_EQ(readFile(cli.home() / "trip/b 2.txt"), "A");
    EXPECT_EQ(readFile(cli.home() / "trip/a.txt"), "B");
}

TEST_F(CliRenameTest, SwapWithoutAutoResolveAbortsAfterTheFirstFailureByDefaultOrWhenAsked) {
    cli.write("trip/a.txt", "A");
    cli.write("trip/b.txt", "B");
    cli.write("trip/c_d.txt", "C");
    for (const bool explicitly : {false, true}) {
        std::vector<std::string> options = {"--json", "--rename", "--set", "autoResolveDuplicates=false"};
        if (explicitly)
            options.insert(options.end(), {"--on-error", "abort"});
        const auto result = cli.run(args(options, swapActions()));
        EXPECT_EQ(result.exitCode, 3) << result.out << result.err;
        // Nothing overwritten, nothing after the failure renamed.
        EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b.txt", "c_d.txt"));
        EXPECT_EQ(readFile(cli.home() / "trip/a.txt"), "A");
        EXPECT_EQ(readFile(cli.home() / "trip/b.txt"), "B");
        EXPECT_THAT(result.err, HasSubstr("Unable to rename\n\n\"a.txt\"\n\nto\n\n\"b.txt\""));
        EXPECT_THAT(result.err, HasSubstr("Aborting (--on-error abort)."));

        const auto report = result.json().at("renameReport");
        EXPECT_EQ(report.at("renamed"), 0);
        ASSERT_EQ(report.at("failed").size(), 1u) << report.dump();
        const auto failure = report.at("failed").at(0);
        EXPECT_EQ(failure.at("file"), trip() + "/a.txt");
        EXPECT_EQ(failure.at("target"), trip() + "/b.txt");
        EXPECT_EQ(failure.at("code"), 516);
        EXPECT_THAT(failure.at("error").get<std::string>(), Not(IsEmpty()));
    }
}

TEST_F(CliRenameTest, SwapWithoutAutoResolveContinuesWhenAsked) {
    cli.write("trip/a.txt", "A");
    cli.write("trip/b.txt", "B");
    cli.write("trip/c_d.txt", "C");
    const auto result =
        cli.run(args({"--rename", "--on-error", "continue", "--set", "autoResolveDuplicates=0"}, swapActions()));
    EXPECT_EQ(result.exitCode, 3) << result.out << result.err;
    // Both halves of the swap meet an existing file; the file after them is renamed.
    EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b.txt", "c d.txt"));
    EXPECT_EQ(readFile(cli.home() / "trip/a.txt"), "A");
    EXPECT_THAT(result.err, HasSubstr("Continuing (--on-error continue)."));
    EXPECT_THAT(result.out, HasSubstr("Renamed 1 of 3 files"));
    EXPECT_THAT(result.out, HasSubstr("failed: " + trip() + "/a.txt -> " + trip() + "/b.txt"));
}

} // namespace
} // namespace quillory::test
