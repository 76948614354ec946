// SPDX-License-Identifier: GPL-3.0-or-later
// The shell completions of packaging/completions: they load, and they offer the words the tool itself
// lists (quillory-cli --complete WHAT), so they cannot fall behind it.
#include "CliRunner.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace quillory::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

const std::filesystem::path kCompletions = std::filesystem::path(kSourceDir) / "packaging/completions";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool have(const std::string& shell) {
    for (const char* folder : {"/usr/bin/", "/bin/"})
        if (std::filesystem::exists(std::string(folder) + shell))
            return true;
    return false;
}

class CliCompletionTest : public ::testing::Test {
protected:
    // The words bash offers for a command line whose last word is being completed.
    std::vector<std::string> bashComplete(const std::vector<std::string>& words) const {
        std::string array;
        for (const auto& word : words)
            array += " '" + word + "'";
        cli.write("complete.sh", "source '" + (kCompletions / "quillory-cli").string() +
                                     "'\ncomplete -p quillory-cli\nCOMP_WORDS=(" + array +
                                     ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
                                     "\n_quillory_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n");
        const auto result = cli.runShell("bash complete.sh");
        EXPECT_EQ(result.exitCode, 0) << result.err;
        auto offered = lines(result.out);
        EXPECT_THAT(offered, Contains("complete -o filenames -F _quillory_cli quillory-cli"));
        std::erase(offered, "complete -o filenames -F _quillory_cli quillory-cli");
        std::erase(offered, "");
        std::sort(offered.begin(), offered.end());
        return offered;
    }

    CliRunner cli;
};

TEST_F(CliCompletionTest, TheToolListsTheWordsOfEveryPosition) {
    const auto options = lines(cli.run({"--complete", "options"}).out);
    EXPECT_THAT(options, IsSupersetOf({"--rename", "--case", "--depth", "--no-recursive", "--include-hidden",
                                       "--list-recipes", "-r", "--recipe", "--scope", "--help"}));
    EXPECT_THAT(options, AllOf(Not(Contains("--complete")), Not(Contains("--man-sections"))));
    EXPECT_THAT(lines(cli.run({"--complete", "scopes"}).out), ElementsAre("name", "path", "ext", "full"));
    EXPECT_THAT(lines(cli.run({"--complete", "kinds"}).out), IsSupersetOf({"simple", "numbering", "conversion"}));
    EXPECT_THAT(lines(cli.run({"--complete", "tokens"}).out), IsSupersetOf({"{city}", "{modified}"}));
    EXPECT_EQ(cli.run({"--complete", "nonsense"}).exitCode, 2);
}

TEST_F(CliCompletionTest, BashCompletesOptionsValuesKindsAndRecipeNames) {
    EXPECT_THAT(bashComplete({"quillory-cli", "--case", ""}), ElementsAre("lower", "sentence", "title", "upper"));
    EXPECT_THAT(bashComplete({"quillory-cli", "--case", "t"}), ElementsAre("title"));
    const auto kinds = bashComplete({"quillory-cli", "--describe", ""});
    EXPECT_EQ(kinds.size(), lines(cli.run({"--complete", "kinds"}).out).size());
    EXPECT_THAT(kinds, IsSupersetOf({"simple", "numbering"}));
    EXPECT_THAT(bashComplete({"quillory-cli", "--scope", "e"}), ElementsAre("ext"));
    EXPECT_THAT(bashComplete({"quillory-cli", "--no-r"}), ElementsAre("--no-recursive"));
    EXPECT_THAT(bashComplete({"quillory-cli", "--setting", "gps"}), ElementsAre("gpsAddressLookup=", "gpsGeocoder="));

    ASSERT_EQ(cli.run({"--replace", "_", " ", "--save-recipe", "tidy", "."}).exitCode, 0);
    EXPECT_THAT(bashComplete({"quillory-cli", "-r", "ti"}), Contains("tidy"));
    EXPECT_THAT(bashComplete({"quillory-cli", "--prefix", "{cit"}), ElementsAre("{city}"));
}

TEST_F(CliCompletionTest, ZshAndFishCompletionsParse) {
    if (!have("zsh") || !have("fish"))
        GTEST_SKIP() << "zsh or fish is not installed (scripts/setup.sh installs them)";
    const auto zsh = cli.runShell("zsh -n '" + (kCompletions / "_quillory-cli").string() + "'");
    EXPECT_EQ(zsh.exitCode, 0) << zsh.err;
    const auto fish = cli.runShell("fish --no-config -n '" + (kCompletions / "quillory-cli.fish").string() + "'");
    EXPECT_EQ(fish.exitCode, 0) << fish.err;
    // fish loads it and offers the case names after --case.
    const auto offered = cli.runShell("fish --no-config -c \"source '" + (kCompletions / "quillory-cli.fish").string() +
                                      "'; complete -C 'quillory-cli --case '\"");
    EXPECT_THAT(offered.out, AllOf(HasSubstr("lower"), HasSubstr("sentence")));
}

} // namespace
} // namespace quillory::test
