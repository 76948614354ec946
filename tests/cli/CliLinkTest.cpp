// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli --rename with symbolic links that lead out of the allowed folders, and the cleanup of
// emptied folders around the folders given to open.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillory::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(CliLinkTest, LinksToTheOutsideNeitherTakeFilesNorOpen) {
    CliRunner cli;
    const fs::path secret = cli.temp().path() / "outside/secretdir";
    fs::create_directories(secret);
    std::ofstream(secret / "secret_file.txt") << "S";
    cli.write("s1/a.txt", "A");
    fs::create_directory_symlink(secret, cli.home() / "s1/dirlink");

    const std::string intoLink = replace("/s1", "/s1/dirlink/escaped", "path");
    const auto refused = cli.run({"--rename", "-a", intoLink, (cli.home() / "s1/a.txt").string()});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_THAT(refused.out + refused.err, HasSubstr("Path should start with one of the following prefixes"));
    const auto forced = cli.run({"--rename", "--force", "-a", intoLink, (cli.home() / "s1/a.txt").string()});
    EXPECT_THAT(forced.out + forced.err, HasSubstr("1 file with errors was skipped"));
    EXPECT_EQ(readFile(cli.home() / "s1/a.txt"), "A");

    const auto through = cli.run(
        {"--rename", "--force", "-a", replace("secret", "mine"), (cli.home() / "s1/dirlink/secret_file.txt").string()});
    EXPECT_NE(through.exitCode, 0);
    EXPECT_THAT(treeListing(secret.string()), ElementsAre("secret_file.txt"));
    EXPECT_EQ(readFile(secret / "secret_file.txt"), "S");
}

TEST(CliLinkTest, CleanupKeepsTheOpenedFolderInsideAnAllowedOne) {
    CliRunner cli;
    const fs::path allowed = cli.temp().path() / "w";
    fs::create_directories(allowed / "a/b/c");
    std::ofstream(allowed / "a/b/c/only.txt") << "O";
    const std::string toHome = replace((allowed / "a/b/c").string(), cli.home().string(), "path");
    const auto result = cli.run({"--rename", "--allow", allowed.string(), "-a", toHome, (allowed / "a/b/c").string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(readFile(cli.home() / "only.txt"), "O");
    EXPECT_TRUE(fs::is_directory(allowed / "a/b/c")) << "the opened folder and everything above it stay";
}

TEST(CliLinkTest, UndoPutsFilesBackOnlyInFoldersAllowedNow) {
    CliRunner cli;
    const fs::path elsewhere = cli.temp().path() / "elsewhere";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere / "a_b.txt") << "A";
    const auto renamed =
        cli.run({"--rename", "--allow", elsewhere.string(), "-a", replace("_", " "), elsewhere.string()});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.out << renamed.err;

    // The run was allowed there for itself only: without the same --allow, undo moves nothing there.
    const auto refused = cli.run({"--undo"});
    EXPECT_NE(refused.exitCode, 0) << refused.out << refused.err;
    EXPECT_THAT(treeListing(elsewhere.string()), ElementsAre("a b.txt"));

    // A run that could not be put back stays open to another undo.
    const auto undone = cli.run({"--undo", "--allow", elsewhere.string()});
    ASSERT_EQ(undone.exitCode, 0) << undone.out << undone.err;
    EXPECT_THAT(undone.out, HasSubstr("1 file moved"));
    EXPECT_THAT(treeListing(elsewhere.string()), ElementsAre("a_b.txt"));
    EXPECT_EQ(readFile(elsewhere / "a_b.txt"), "A");
}

} // namespace
} // namespace quillory::test
