// SPDX-License-Identifier: GPL-3.0-or-later
// The everyday jobs as one short line each, run exactly as the README shows them.
#include "CliRunner.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Names = std::map<std::string, std::string>; // path below home -> new name

// A home folder holding copies of the example files, and the example recipes where the README has them.
void copyExamples(const CliRunner& cli) {
    const std::filesystem::path examples = std::filesystem::path(kSourceDir) / "examples";
    std::filesystem::copy(examples / "files", cli.home(), std::filesystem::copy_options::recursive);
    std::filesystem::create_directory_symlink(examples, cli.home() / "examples");
}

// The command lines of the README's quillory-cli section, without their comments.
std::vector<std::string> readmeCommands() {
    std::ifstream in(std::filesystem::path(kSourceDir) / "README.md");
    std::vector<std::string> commands;
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## "))
            inSection = line == "## Using quillory-cli";
        if (!inSection || !line.starts_with("    quillory-cli "))
            continue;
        line = line.substr(4, line.find("  # ") == std::string::npos ? std::string::npos : line.find("  # ") - 4);
        while (line.ends_with(' '))
            line.pop_back();
        commands.push_back(line);
    }
    return commands;
}

// What the preview of a command line proposes, from its JSON document.
Names proposed(const CliRunner& cli, const std::string& command) {
    const auto result = cli.runShell(command + " --json");
    EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.err;
    Names names;
    if (result.exitCode != 0)
        return names;
    const auto document = result.json();
    for (const auto& file : document.at("files")) {
        const std::string path = file.at("displayName");
        const std::string ext = file.at("transformedExt");
        names[std::filesystem::relative(path, cli.home()).string()] =
            file.at("transformedName").get<std::string>() + (ext.empty() ? "" : "." + ext);
    }
    return names;
}

TEST(CliEverydayTest, EveryReadmeExampleIsOneShortLineThatDoesItsJob) {
    // Each README line and the names it must give; a README line without an entry here fails the test.
    const std::map<std::string, Names> expected = {
        {"quillory-cli --replace _ ' ' ~/Documents",
         {{"Documents/My_Report  FINAL (2).txt", "My Report  FINAL (2).txt"},
          {"Documents/meeting_notes_2021_05_03.TXT", "meeting notes 2021 05 03.TXT"},
          {"Documents/scan_002.PDF", "scan 002.PDF"}}},
        {"quillory-cli --scope ext --case lower ~/Photos --rename", {}},
        {"quillory-cli --number --digits 3 --separator ' ' ~/Documents",
         {{"Documents/My_Report  FINAL (2).txt", "001 My_Report  FINAL (2).txt"},
          {"Documents/meeting_notes_2021_05_03.TXT", "002 meeting_notes_2021_05_03.TXT"},
          {"Documents/scan_002.PDF", "003 scan_002.PDF"}}},
        {"quillory-cli --set '{DateTimeOriginal:yyyy-MM-dd} {city}' --trim-chars ' ' ~/Photos",
         {{"Photos/Amsterdam/IMG_0003.JPG", "2020-04-27 Amsterdam.JPG"},
          {"Photos/Amsterdam/IMG_0010.JPG", "2019-07-14.JPG"},
          {"Photos/New York/IMG_0002.JPG", "2018-01-02 New York City.JPG"},
          {"Photos/Sydney/DSC_0042.JPG", "2021-12-31 Sydney.JPG"}}},
        {"quillory-cli --set '{artist}{flac-artist} - {title}{flac-title}' ~/Music",
         {{"Music/Downloads/07-naive_melody.mp3", "Sigur Rós - Naïve Melody 日本.mp3"},
          {"Music/Downloads/bjork song.flac", "Björk - Fête de la Musique.flac"},
          {"Music/Downloads/track_03 (copy).mp3", "Café Tacvba - Über den Wolken ♫.mp3"}}},
        {"quillory-cli --replace '(\\d+)' '[$1]' --regex --first ~/Documents",
         {{"Documents/My_Report  FINAL (2).txt", "My_Report  FINAL ([2]).txt"},
          {"Documents/meeting_notes_2021_05_03.TXT", "meeting_notes_[2021]_05_03.TXT"},
          {"Documents/scan_002.PDF", "scan_[002].PDF"}}},
        {"quillory-cli -r examples/recipes/tidy-names.recipe ~/Documents",
         {{"Documents/My_Report  FINAL (2).txt", "My Report Final (2).txt"},
          {"Documents/meeting_notes_2021_05_03.TXT", "Meeting Notes 2021 05 03.txt"},
          {"Documents/scan_002.PDF", "Scan 002.pdf"}}},
    };
    const auto commands = readmeCommands();
    ASSERT_EQ(commands.size(), expected.size());
    for (const auto& command : commands) {
        SCOPED_TRACE(command);
        EXPECT_LE(command.size(), 85u);
        const auto wanted = expected.find(command);
        ASSERT_NE(wanted, expected.end()) << "a README example without a test";
        CliRunner cli;
        copyExamples(cli);
        if (command.ends_with(" --rename")) {
            const auto result = cli.runShell(command);
            ASSERT_EQ(result.exitCode, 0) << result.err;
            EXPECT_THAT(result.out, HasSubstr("Renamed 4 of 4 files."));
            EXPECT_THAT(listing(cli.home() / "Photos/Amsterdam"), ElementsAre("IMG_0003.jpg", "IMG_0010.jpg"));
            continue;
        }
        if (command == commands.front()) {
            // As written: a preview that leaves the disk alone and says how to go on.
            const auto asWritten = cli.runShell(command);
            ASSERT_EQ(asWritten.exitCode, 0) << asWritten.err;
            EXPECT_THAT(asWritten.err, HasSubstr("Nothing was renamed; add --rename to do it"));
            EXPECT_THAT(listing(cli.home() / "Documents"), ::testing::Contains("scan_002.PDF"));
        }
        EXPECT_EQ(proposed(cli, command), wanted->second);
    }
}

TEST(CliEverydayTest, TheTableStaysAlignedAndHarmlessWhateverTheNames) {
    CliRunner cli;
    cli.write("trip/a/x.txt");
    cli.write("trip/b/x.txt");
    cli.write("trip/a/日本.txt");
    cli.write("trip/a/e\033[31mvil\n.txt");
    const auto result = cli.run({"--suffix", "!", (cli.home() / "trip").string()});
    EXPECT_EQ(result.exitCode, 1) << result.err; // the line feed is not allowed in a name
    // Repeated names show their folder below the opened one; wide characters count two columns;
    // control characters are shown, not sent to the terminal.
    EXPECT_THAT(result.out, HasSubstr("a/e\\x1b[31mvil\\n.txt  ->  e\\x1b[31mvil\\n!.txt"));
    EXPECT_THAT(result.out, HasSubstr("\na/x.txt               ->  x!.txt\n"));
    EXPECT_THAT(result.out, HasSubstr("\na/日本.txt            ->  日本!.txt\n"));
    EXPECT_THAT(result.out, HasSubstr("\nb/x.txt               ->  x!.txt\n"));
    EXPECT_EQ(result.out.find('\033'), std::string::npos);

    cli.write("one/only.txt");
    const auto single = cli.run({"--suffix", "!", (cli.home() / "one").string()});
    EXPECT_THAT(single.out, HasSubstr("only.txt  ->  only!.txt\n1 file: 1 to rename"));
    EXPECT_THAT(single.err, HasSubstr("Nothing was renamed; add --rename to do it"));
    const auto dry = cli.run({"-n", "--suffix", "!", (cli.home() / "one").string()});
    EXPECT_EQ(dry.out, single.out);
    EXPECT_EQ(cli.run({"-n", "--rename", (cli.home() / "one").string()}).exitCode, 2);
    EXPECT_THAT(listing(cli.home() / "one"), ElementsAre("only.txt"));
}

} // namespace
} // namespace quillory::test
