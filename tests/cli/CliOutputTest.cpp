// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli when standard output cannot be written: a message and a failing status, never a silent 0.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class CliOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists("/dev/full"))
            GTEST_SKIP() << "no /dev/full here";
        cli.write("trip/a.txt", "A");
    }
    // The command line with standard output on a device that is always full.
    CliOutput runIntoFullDevice(const std::string& arguments) const {
        return cli.runShell("quillory-cli " + arguments + " > /dev/full");
    }

    CliRunner cli;
};

TEST_F(CliOutputTest, APreviewThatCannotBeWrittenFails) {
    for (const std::string format : {"", "--json"}) {
        const auto preview = runIntoFullDevice("--prefix p_ trip " + format);
        EXPECT_EQ(preview.exitCode, 4) << format << preview.err;
        EXPECT_THAT(preview.err, HasSubstr("quillory-cli: cannot write the output: No space left on device\n"));
        EXPECT_THAT(listing(cli.home() / "trip"), ElementsAre("a.txt"));
    }
    // Written in more than one piece: the first failed write is not forgotten by the end.
    const auto actions = runIntoFullDevice("--list-actions");
    EXPECT_EQ(actions.exitCode, 4) << actions.err;
    EXPECT_THAT(actions.err, HasSubstr("quillory-cli: cannot write the output: No space left on device\n"));
    EXPECT_EQ(runIntoFullDevice("--version").exitCode, 4);
    // Bad usage is told as before: nothing was meant for standard output.
    EXPECT_EQ(runIntoFullDevice("--prefix p_ trip --no-such-option").exitCode, 2);
}

TEST_F(CliOutputTest, ARenameWhoseReportIsLostSaysSoAndKeepsItsRenames) {
    const auto json = runIntoFullDevice("--prefix p_ trip --rename --json");
    EXPECT_EQ(json.exitCode, 4) << json.err;
    EXPECT_THAT(json.err, HasSubstr("Renamed 1 of 1 file."));
    EXPECT_THAT(json.err, HasSubstr("quillory-cli: cannot write the output: No space left on device\n"));
    EXPECT_THAT(listing(cli.home() / "trip"), ElementsAre("p_a.txt"));

    const auto table = runIntoFullDevice("--prefix q_ trip --rename");
    EXPECT_EQ(table.exitCode, 4) << table.err;
    EXPECT_THAT(table.err, HasSubstr("cannot write the output"));
    EXPECT_THAT(listing(cli.home() / "trip"), ElementsAre("q_p_a.txt"));
    // Both runs are recorded, to be undone like any other.
    const auto history = cli.run({"--history"}).out;
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 2) << history;
}

} // namespace
} // namespace quillory::test
