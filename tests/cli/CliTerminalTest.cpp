// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli on a terminal: tinted rows, and the continue-or-abort question answered by the user.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* green = "\033[32m";
constexpr const char* red = "\033[31m";
constexpr const char* yellow = "\033[33m";

// The tint that opens the terminal line holding text, or "" when the line starts untinted.
std::string tintOfLine(const std::string& terminal, const std::string& text) {
    const auto at = terminal.find(text);
    if (at == std::string::npos)
        return "missing";
    const auto lineStart = terminal.rfind('\n', at);
    const auto start = lineStart == std::string::npos ? 0 : lineStart + 1;
    if (terminal.compare(start, 2, "\033[") != 0)
        return "";
    return terminal.substr(start, terminal.find('m', start) - start + 1);
}

CliRunner::Terminal outputOnTerminal(bool noColor) {
    CliRunner::Terminal terminal;
    terminal.output = true;
    terminal.noColor = noColor;
    return terminal;
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(CliTerminalTest, RowsAreTintedOnATerminalUnlessNoColorIsSet) {
    CliRunner cli;
    cli.write("trip/a_b.txt");
    cli.write("trip/bad.txt");
    cli.write("trip/plain.txt");
    const std::vector<std::string> arguments = {"-a", replace("_", " "), "-a", replace("bad", ""),
                                                (cli.home() / "trip").string()};

    const auto tinted = cli.run(arguments, outputOnTerminal(false));
    EXPECT_EQ(tinted.exitCode, 1);
    EXPECT_EQ(tintOfLine(tinted.terminal, "a_b.txt"), green) << tinted.terminal;
    EXPECT_EQ(tintOfLine(tinted.terminal, "bad.txt"), red);
    EXPECT_EQ(tintOfLine(tinted.terminal, "plain.txt"), "");

    const auto plain = cli.run(arguments, outputOnTerminal(true));
    EXPECT_THAT(plain.terminal, HasSubstr("a_b.txt"));
    EXPECT_THAT(plain.terminal, Not(HasSubstr("\033[")));

    const auto warned = cli.run({"-a", setTo("same"), (cli.home() / "trip").string()}, outputOnTerminal(false));
    EXPECT_EQ(tintOfLine(warned.terminal, "bad.txt"), yellow) << warned.terminal;
}

// a.txt and b.txt go into the folder x, which takes nothing: both moves fail at run time, and the user
// answers the question on the terminal.
TEST(CliQuestionTest, EachAnswerContinuesAbortsOrSilencesTheQuestion) {
    struct Case {
        const char* typed;
        int prompts;
        const char* cd; // what became of c_d.txt
        const char* report;
    };
    const Case cases[] = {
        {"c\nc\n", 2, "c d.txt", "Renamed 1 of 3 files"}, // continue asks again at the next failure
        {"n\n", 1, "c d.txt", "Renamed 1 of 3 files"},    // do not ask again about the same error
        {"maybe\na\n", 2, "c_d.txt", "the run was aborted: 1 tried, 1 failed, 2 not tried"}, // unknown: asked again
    };
    const std::string intoX = action(
        "regularexpression", {{"regexFindText", "/([ab])\\.txt$"}, {"regexReplaceText", "/x/$1.txt"}}, "fullpath");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CliRunner cli;
        for (const char* name : {"a.txt", "b.txt", "c_d.txt"})
            cli.write(std::string("trip/") + name, name);
        const auto trip = cli.home() / "trip";
        const ImmutableFolder x(trip / "x");
        const auto result =
            cli.run({"--rename", "-a", intoX, "-a", replace("_", " "), trip.string()}, CliRunner::typing(c.typed));
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(occurrences(result.terminal, "[c]ontinue, [a]bort"), c.prompts) << result.terminal;
        EXPECT_THAT(listing(trip), ElementsAre("a.txt", "b.txt", c.cd, "x/"));
        EXPECT_THAT(result.out, HasSubstr(c.report));
    }
}

} // namespace
} // namespace quillory::test
