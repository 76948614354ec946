// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli --rename: on-disk results, refusal without --force, collisions, continue or abort.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string underscoreToBlank = replace("_", " ");
const std::string emptyBadName = replace("bad", "");

// a.txt and b.txt trade names (through x); c_d.txt, later in the list, only loses its underscore.
std::vector<std::string> swapActions() {
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

TEST_F(CliRenameTest, FolderChangesCreateTheNewFoldersAndRemoveTheEmptiedOnes) {
    cli.write("trip/old/inner/x.txt", "X");
    cli.write("trip/old/y.txt", "Y");
    cli.write("trip/keep/z.txt", "Z");
    const auto result = cli.run(args({"--rename", "-a", replace("old", "new/deep", "path")}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(treeListing(trip()), ElementsAre("keep/z.txt", "new/deep/inner/x.txt", "new/deep/y.txt"));
    EXPECT_FALSE(std::filesystem::exists(cli.home() / "trip/old"));
    EXPECT_EQ(readFile(cli.home() / "trip/new/deep/inner/x.txt"), "X");
}

TEST_F(CliRenameTest, EmptyFoldersAreListedByTheirNameAndRenamed) {
    cli.write("trip/full/a_b.txt");
    std::filesystem::create_directories(cli.home() / "trip/empty_dir");
    const std::string inPaths = replace("_", " ", "path");
    const auto preview = cli.run(args({"-a", inPaths}));
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    EXPECT_THAT(preview.out, HasSubstr("empty_dir/  ->  empty dir/\n"));

    const auto renamed = cli.run(args({"--rename", "-a", inPaths}));
    ASSERT_EQ(renamed.exitCode, 0) << renamed.out << renamed.err;
    EXPECT_THAT(listing(trip()), ElementsAre("empty dir/", "full/"));
}

TEST_F(CliRenameTest, JsonAfterRenameShowsTheNewListAndWhatMoved) {
    cli.write("trip/a_b.txt", "A");
    cli.write("trip/c_d.txt", "C");
    const auto result = cli.run(args({"--json", "--rename", "-a", underscoreToBlank}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto document = result.json();
    const auto& report = document.at("renameReport");
    EXPECT_EQ(report.at("renamed"), nlohmann::json::parse(R"([{"from": ")" + trip() + R"(/a_b.txt", "to": ")" + trip() +
                                                          R"(/a b.txt"}, {"from": ")" + trip() + R"(/c_d.txt", "to": ")" +
                                                          trip() + R"(/c d.txt"}])"));
    EXPECT_EQ(report.at("failed"), nlohmann::json::array());
    EXPECT_EQ(report.at("skipped"), 0);
    std::vector<std::string> names;
    for (const auto& file : document.at("files"))
        names.push_back(file.at("name").get<std::string>() + " => " + file.at("transformedName").get<std::string>());
    // The list holds the new names; the chain applied to them changes nothing more.
    EXPECT_THAT(names, ElementsAre("a b => a b", "c d => c d"));
    EXPECT_EQ(document.at("validationResult").at("renameCount"), 0);
}

TEST_F(CliRenameTest, ErrorsRefuseTheRenameWithoutForceAndAreSkippedWithIt) {
    cli.write("trip/a_b.txt");
    cli.write("trip/bad.txt");
    const auto refused = cli.run(args({"--rename", "-a", underscoreToBlank, "-a", emptyBadName}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("Nothing renamed: 1 file has errors (use --force to rename the others)."));
    EXPECT_THAT(refused.out, HasSubstr("ERROR: Filename is empty"));
    EXPECT_THAT(listing(trip()), ElementsAre("a_b.txt", "bad.txt"));

    const auto forced = cli.run(args({"--json", "--rename", "--force", "-a", underscoreToBlank, "-a", emptyBadName}));
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(forced.json().at("renameReport").at("renamedCount"), 1);
    EXPECT_EQ(forced.json().at("renameReport").at("skipped"), 1);
    EXPECT_THAT(forced.err, HasSubstr("Renamed 1 of 1 file; 1 file with errors was skipped."));
    EXPECT_THAT(forced.err, Not(HasSubstr("Renaming"))) << "no progress line off a terminal";
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

TEST_F(CliRenameTest, SwapGivesExactlyThePreviewedNamesWithOrWithoutAutoResolve) {
    cli.write("trip/a.txt", "A");
    cli.write("trip/b.txt", "B");
    cli.write("trip/c_d.txt", "C");
    for (const char* setting : {"autoResolveDuplicates=true", "autoResolveDuplicates=false"}) {
        const auto preview = cli.run(args({"--json", "--set", setting}, swapActions()));
        ASSERT_EQ(preview.exitCode, 0) << preview.err;
        const auto document = preview.json(); // the loop below must not outlive it
        for (const auto& file : document.at("files")) {
            EXPECT_EQ(file.at("uniqueSuffix"), "");
            EXPECT_TRUE(file.at("warnings").empty());
        }
        const auto result = cli.run(args({"--rename", "--set", setting}, swapActions()));
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b.txt", "c d.txt"));
        // Undo for the next round.
        ASSERT_EQ(cli.run({"--undo"}).exitCode, 0);
    }
    ASSERT_EQ(cli.run(args({"--rename"}, swapActions())).exitCode, 0);
    EXPECT_EQ(readFile(cli.home() / "trip/a.txt"), "B");
    EXPECT_EQ(readFile(cli.home() / "trip/b.txt"), "A");
}

TEST_F(CliRenameTest, RotationShiftAndFilesNotInTheListEndAsPreviewed) {
    // A rotation a -> b -> c -> a, and a shift 1 -> 2 -> 3 -> 4.
    for (const char* name : {"a", "b", "c", "1", "2", "3"})
        cli.write(std::string("trip/") + name + ".txt", name);
    const auto rotated = cli.run(args({"--rename", "-a", replace("c", "x"), "-a", replace("b", "c"), "-a",
                                       replace("a", "b"), "-a", replace("x", "a"), "-a", replace("3", "4"), "-a",
                                       replace("2", "3"), "-a", replace("1", "2")}));
    ASSERT_EQ(rotated.exitCode, 0) << rotated.out << rotated.err;
    EXPECT_THAT(listing(trip()), ElementsAre("2.txt", "3.txt", "4.txt", "a.txt", "b.txt", "c.txt"));
    EXPECT_EQ(readFile(cli.home() / "trip/b.txt"), "a");
    EXPECT_EQ(readFile(cli.home() / "trip/a.txt"), "c");
    EXPECT_EQ(readFile(cli.home() / "trip/4.txt"), "3");

    // Only a.txt is listed; b.txt and "b 2.txt" are on disk. The preview promises "b 3.txt", and so it is.
    cli.write("other/a.txt", "listed");
    cli.write("other/b.txt", "on disk");
    cli.write("other/b 2.txt", "on disk too");
    const std::string listed = (cli.home() / "other/a.txt").string();
    const auto preview = cli.run({"--json", "-a", replace("a", "b"), listed});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    const auto file = preview.json().at("files").at(0);
    EXPECT_EQ(file.at("uniqueSuffix"), " 3");
    EXPECT_EQ(file.at("transformedFullPath"), (cli.home() / "other/b 3.txt").string());
    const auto renamed = cli.run({"--json", "--rename", "-a", replace("a", "b"), listed});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_EQ(renamed.json().at("renameReport").at("renamed").at(0).at("to"), (cli.home() / "other/b 3.txt").string());
    EXPECT_EQ(readFile(cli.home() / "other/b 3.txt"), "listed");
    EXPECT_EQ(readFile(cli.home() / "other/b.txt"), "on disk");

    // Without automatic numbering the same collision is an error in the preview, and nothing is renamed.
    cli.write("other/c.txt", "listed");
    const auto refused = cli.run({"--rename", "--set", "autoResolveDuplicates=false", "-a", replace("c", "b"),
                                  (cli.home() / "other/c.txt").string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.out, HasSubstr("ERROR: Filename is not unique."));
    EXPECT_EQ(readFile(cli.home() / "other/c.txt"), "listed");
}

TEST_F(CliRenameTest, AFolderChangesCaseWhereTheVolumeTellsCaseApart) {
    cli.write("trip/Photos/a.txt", "A");
    const auto result = cli.run(args({"--rename", "-a", replace("Photos", "photos", "path")}));
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(readFile(cli.home() / "trip/photos/a.txt"), "A");
}

TEST_F(CliRenameTest, UndoRestoresTheRunThatHistoryLists) {
    for (int i = 0; i < 300; ++i)
        cli.write("trip/sub_" + std::to_string(i % 7) + "/f_" + std::to_string(i) + ".txt", std::to_string(i));
    const auto before = treeListing(trip());
    const auto renamed = cli.run(args({"--json", "--rename", "-a", replace("_", " ", "fullpath")}));
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err;
    const std::string id = renamed.json().at("renameReport").at("runId");
    ASSERT_FALSE(id.empty());
    EXPECT_NE(treeListing(trip()), before);

    const auto history = cli.run({"--history"});
    EXPECT_EQ(history.exitCode, 0);
    EXPECT_THAT(history.out, HasSubstr(id));
    EXPECT_THAT(history.out, HasSubstr("rename  done  300 files (300 renamed, 0 failed, 0 not tried)  " + trip()));

    const auto undone = cli.run({"--undo"});
    ASSERT_EQ(undone.exitCode, 0) << undone.out << undone.err;
    EXPECT_THAT(undone.out, HasSubstr("Undid run " + id + ": 300 files moved."));
    EXPECT_EQ(treeListing(trip()), before);
    EXPECT_EQ(readFile(cli.home() / "trip/sub_3/f_10.txt"), "10");
    EXPECT_EQ(listing(trip()).size(), 7u) << "the folders the run made are gone";

    const auto again = cli.run({"--undo", id});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_THAT(again.err, HasSubstr("undone already"));
    const auto json = cli.run({"--history", "--json"}).json();
    EXPECT_EQ(json.at("runs").at(0).at("state"), "undone");
    EXPECT_EQ(json.at("runs").at(1).at("kind"), "undo");
}

TEST_F(CliRenameTest, AFailedMoveIsReportedWithTheCountsAndAbortsByDefault) {
    cli.write("trip/a.txt", "A");
    cli.write("trip/b.txt", "B");
    cli.write("trip/c_d.txt", "C");
    // The folder the moves want cannot take them: a failure only the run meets.
    const ImmutableFolder x(trip() + "/x");
    const std::string intoX = action("regularexpression",
                                     {{"regexFindText", "/([ab])\\.txt$"}, {"regexReplaceText", "/x/$1.txt"}}, "fullpath");
    for (const bool explicitly : {false, true}) {
        std::vector<std::string> options = {"--json", "--rename", "-a", intoX, "-a", underscoreToBlank};
        if (explicitly)
            options.insert(options.end(), {"--on-error", "abort"});
        const auto result = cli.run(args(options));
        EXPECT_EQ(result.exitCode, 3) << result.out << result.err;
        EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b.txt", "c_d.txt", "x/"));
        EXPECT_THAT(result.err, HasSubstr("Unable to rename\n\n\"a.txt\"\n\nto\n\n\"a.txt\""));
        EXPECT_THAT(result.err, HasSubstr("Aborting (--on-error abort)."));

        const auto report = result.json().at("renameReport");
        EXPECT_EQ(report.at("renamedCount"), 0);
        EXPECT_EQ(report.at("notTried"), 2);
        EXPECT_EQ(report.at("aborted"), true);
        ASSERT_EQ(report.at("failed").size(), 1u) << report.dump();
        const auto failure = report.at("failed").at(0);
        EXPECT_EQ(failure.at("file"), trip() + "/a.txt");
        EXPECT_EQ(failure.at("target"), trip() + "/x/a.txt");
        EXPECT_THAT(failure.at("error").get<std::string>(), Not(IsEmpty()));
    }
    const auto result = cli.run(args({"--rename", "--on-error", "continue", "-a", intoX, "-a", underscoreToBlank}));
    EXPECT_EQ(result.exitCode, 3) << result.out << result.err;
    EXPECT_THAT(listing(trip()), ElementsAre("a.txt", "b.txt", "c d.txt", "x/"));
    EXPECT_THAT(result.err, HasSubstr("Continuing (--on-error continue)."));
    EXPECT_THAT(result.out, HasSubstr("Renamed 1 of 3 files"));
    EXPECT_THAT(result.out, HasSubstr("failed: " + trip() + "/a.txt -> " + trip() + "/x/a.txt"));
}

} // namespace
} // namespace quillory::test
