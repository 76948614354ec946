// SPDX-License-Identifier: GPL-3.0-or-later
// Paths from standard input, including names that hold line feeds.
#include "PathInput.h"

#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(PathInputTest, LinesOrNulSeparatedEntriesWithNothingTrimmed) {
    std::istringstream lines("a.txt\n b .txt\r\n\nlast");
    EXPECT_THAT(cli::readPaths(lines, false), ElementsAre("a.txt", " b .txt\r", "last"));
    std::istringstream nul(std::string("one\ntwo.txt\0three.txt\0\0", 24));
    EXPECT_THAT(cli::readPaths(nul, true), ElementsAre("one\ntwo.txt", "three.txt"));
}

TEST(PathInputTest, FindPrintZeroFeedsTheRenameWithAnyName) {
    CliRunner cli;
    cli.write("in/a_b.txt");
    cli.write("in/line\nfeed_x.txt");
    cli.write("in/left alone.txt");
    const auto result =
        cli.runShell("find in -name '*_*' -print0 | quillory-cli -0 --replace _ ' ' --rename --setting "
                     "autoResolveDuplicates=true");
    ASSERT_EQ(result.exitCode, 1) << result.out << result.err; // a line feed is not allowed in the new name
    EXPECT_THAT(result.out, HasSubstr("line\\nfeed_x.txt"));
    EXPECT_THAT(listing(cli.home() / "in"), ElementsAre("a_b.txt", "left alone.txt", "line\nfeed_x.txt"));

    const auto forced = cli.runShell("find in -name '*_*' -print0 | quillory-cli -0 --replace _ ' ' --rename --force");
    ASSERT_EQ(forced.exitCode, 0) << forced.out << forced.err;
    EXPECT_THAT(listing(cli.home() / "in"), ElementsAre("a b.txt", "left alone.txt", "line\nfeed_x.txt"));

    const auto lines = cli.runShell("printf 'in/a b.txt\\n' | quillory-cli --from-stdin --suffix '!' --json");
    ASSERT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(lines.json().at("files").size(), 1u);
    EXPECT_EQ(cli.runShell("quillory-cli -0 --suffix x < /dev/null").exitCode, 2);
}

} // namespace
} // namespace quillory::test
