// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace quillory::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

// quillory-cli killed with SIGKILL in the middle of renaming 2,000 files: the next start tells about the
// interrupted run, --recover rolls it back (or finishes it, and --undo then reverses it), and every file
// is back at its place with its content.
TEST(CliCrashTest, KilledRunIsRecoveredAndUndone) {
    CliRunner cli(test::memoryBackedFolder());
    constexpr int count = 2000;
    for (int i = 0; i < count; ++i)
        cli.write("trip/d" + std::to_string(i % 10) + "/f_" + std::to_string(i) + ".txt", std::to_string(i));
    const auto original = treeListing(cli.home() / "trip");
    const std::string chain = replace("_", " ");
    const std::string move =
        action("regularexpression", {{"regexFindText", "/d([0-9])$"}, {"regexReplaceText", "/e$1"}}, "path");
    const fs::path journals = cli.stateDir() / "quillory/journal";

    std::mt19937 random(7);
    int interrupted = 0;
    for (const bool finish : {false, true}) {
        CliRunner::Terminal kill;
        kill.killWhen = [&] { return cli.journalPlanned(); };
        kill.killDelay = std::chrono::microseconds(random() % 10000);
        const auto killed = cli.run({"--rename", "-a", chain, "-a", move, (cli.home() / "trip").string()}, kill);
        if (killed.exitCode != 128 + SIGKILL) {
            // It finished before the signal came: undo it for the next round.
            ASSERT_EQ(killed.exitCode, 0) << killed.out << killed.err;
            ASSERT_EQ(cli.run({"--undo"}).exitCode, 0);
            ASSERT_EQ(treeListing(cli.home() / "trip"), original);
            fs::remove_all(journals);
            continue;
        }
        ++interrupted;
        const auto warned = cli.run({"--history"});
        EXPECT_THAT(warned.err, HasSubstr("was interrupted"));
        EXPECT_THAT(warned.out, HasSubstr("interrupted"));

        const auto recovered = cli.run(finish ? std::vector<std::string>{"--recover", "finish"}
                                              : std::vector<std::string>{"--recover"});
        ASSERT_EQ(recovered.exitCode, 0) << recovered.out << recovered.err;
        if (finish) {
            EXPECT_EQ(treeListing(cli.home() / "trip").size(), original.size());
            EXPECT_FALSE(fs::exists(cli.home() / "trip/d3")) << "the run was finished"
                                                          << recovered.out;
            const auto undone = cli.run({"--undo"});
            ASSERT_EQ(undone.exitCode, 0) << undone.out << undone.err;
        }
        ASSERT_EQ(treeListing(cli.home() / "trip"), original) << (finish ? "finished and undone" : "rolled back");
        EXPECT_EQ(readFile(cli.home() / "trip/d7/f_1997.txt"), "1997");
        EXPECT_THAT(cli.run({"--history"}).err, Not(HasSubstr("was interrupted")));
        fs::remove_all(journals);
    }
    EXPECT_GE(interrupted, 1) << "no run was caught in the middle";
}

} // namespace
} // namespace quillory::test
