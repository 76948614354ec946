// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli input: how deep folders are read, hidden entries, folders outside the allowed ones.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class CliInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"trip/a.txt", "trip/.hidden.txt", "trip/sub/b.txt", "trip/sub/deep/c.txt",
                                 "trip/.cache/d.txt", "trip/sub/.e.txt"})
            cli.write(file, "x");
    }
    std::string trip() const { return (cli.home() / "trip").string(); }

    // The listed files below trip, as relative paths in list order.
    std::vector<std::string> listed(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--json", "--prefix", "x"});
        const auto result = cli.run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const auto document = result.json();
        std::vector<std::string> names;
        for (const auto& file : document.at("files"))
            names.push_back(file.at("displayName").get<std::string>().substr(trip().size() + 1));
        return names;
    }

    CliRunner cli;
};

TEST_F(CliInputTest, DepthLimitsHowFarFoldersAreReadAndHiddenEntriesNeedAskingFor) {
    EXPECT_THAT(listed({trip()}), ElementsAre("a.txt", "sub/b.txt", "sub/deep/c.txt"));
    EXPECT_THAT(listed({"--no-recursive", trip()}), ElementsAre("a.txt"));
    EXPECT_THAT(listed({"--depth", "0", trip()}), ElementsAre("a.txt"));
    EXPECT_THAT(listed({"--depth", "1", trip()}), ElementsAre("a.txt", "sub/b.txt"));
    EXPECT_THAT(listed({"--depth", "5", trip()}), ElementsAre("a.txt", "sub/b.txt", "sub/deep/c.txt"));
    EXPECT_THAT(listed({"--include-hidden", "--depth", "1", trip()}),
                ElementsAre(".hidden.txt", "a.txt", ".cache/d.txt", "sub/.e.txt", "sub/b.txt"));
    // A file given by name is listed whatever its name.
    EXPECT_THAT(listed({"--no-recursive", trip() + "/.hidden.txt"}), ElementsAre(".hidden.txt"));

    const auto contradiction = cli.run({"--no-recursive", "--depth", "2", trip()});
    EXPECT_EQ(contradiction.exitCode, 2);
    EXPECT_THAT(contradiction.err, HasSubstr("contradict"));
    EXPECT_EQ(cli.run({"--depth", "-1", trip()}).exitCode, 2);
}

TEST_F(CliInputTest, FoldersOutsideTheAllowedOnesAreToldOnceWithTheAllowOption) {
    // The temporary folder around the home folder is not allowed; "my files" needs quoting.
    const auto outside = cli.temp().path() / "my files";
    std::vector<std::string> arguments = {"--prefix", "x"};
    for (int i = 0; i < 5; ++i)
        arguments.push_back(cli.temp().write("my files/f" + std::to_string(i) + ".txt", "x").string());
    arguments.push_back(cli.temp().write("my files/inner/g.txt", "x").parent_path().string());
    arguments.push_back(trip() + "/a.txt");
    const auto result = cli.run(arguments);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_THAT(result.err, HasSubstr("renaming is not allowed in " + outside.string() +
                                      " (only in the home folder, mounted volumes and the allowed folders); to "
                                      "rename there, add --allow '" +
                                      outside.string() + "'\n"));
    EXPECT_EQ(result.err.find("--allow"), result.err.rfind("--allow")) << result.err;
    EXPECT_THAT(result.out, HasSubstr("->  xa.txt"));
    EXPECT_THAT(result.out, Not(HasSubstr("xf0.txt"))) << "nothing from the folder that was refused";

    // With the option given, the same files open.
    arguments.insert(arguments.begin(), {"--allow", outside.string()});
    const auto allowed = cli.run(arguments);
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    EXPECT_THAT(allowed.err, Not(HasSubstr("not allowed")));
    EXPECT_THAT(allowed.out, HasSubstr("->  xg.txt"));
}

TEST_F(CliInputTest, PathsThatCannotBeOpenedAreShownEscaped) {
    // A list made on Windows leaves a carriage return at the end of each path.
    const auto crlf = cli.runShell("printf '%s\\r\\n' '" + trip() + "/a.txt' | quillory-cli --from-stdin --prefix x");
    EXPECT_EQ(crlf.exitCode, 1);
    EXPECT_THAT(crlf.err, HasSubstr("cannot open " + trip() + "/a.txt\\r: No such file or folder\n"));
    EXPECT_EQ(crlf.err.find('\r'), std::string::npos);

    // Outside the allowed folders, the --allow to add gives the same bytes when pasted into a shell.
    const auto outside = cli.temp().write("odd\x1b[2Jname/f.txt", "x").parent_path();
    const auto refused = cli.run({"--prefix", "x", outside.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err,
                HasSubstr("renaming is not allowed in " + cli.temp().path().string() + "/odd\\x1b[2Jname ("));
    EXPECT_THAT(refused.err, HasSubstr("--allow $'" + cli.temp().path().string() + "/odd\\x1b[2Jname'\n"));
    EXPECT_EQ(refused.err.find('\x1b'), std::string::npos);
}

} // namespace
} // namespace quillory::test
