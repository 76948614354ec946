// SPDX-License-Identifier: GPL-3.0-or-later
// The vocabulary quillory-cli shows: action kinds, settings, tokens, and the manual page made from them.
#include "Vocabulary.h"

#include "CliApp.h"
#include "CliRunner.h"
#include "TestPaths.h"

#include "model/TransformerProperties.h"
#include "model/TransformerTypes.h"
#include "model/TokenDetailsList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace quillory::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const TokenDetailsList& catalogue() {
    static const auto list = TokenDetailsList::loadEmbedded();
    return list;
}

test::CliOutput inProcess(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    const int code = runCli(arguments, out, err);
    return {code, out.str(), err.str(), {}};
}

TEST(VocabularyTest, TheManualPageHoldsExactlyWhatTheTablesSay) {
    std::ifstream in(std::filesystem::path(test::kSourceDir) / "docs" / "quillory-cli.1");
    std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto begin = page.find(".\\\" BEGIN GENERATED");
    const auto end = page.find(".\\\" END GENERATED");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    const auto body = page.substr(page.find('\n', begin) + 1, end - page.find('\n', begin) - 1);
    EXPECT_EQ(body, manPageSections(catalogue())) << "run scripts/update-man-page.sh";
    // The scope names the program accepts, not the ones it once documented.
    EXPECT_THAT(page, Not(HasSubstr("fullPath")));
}

TEST(VocabularyTest, ListActionsShowsEveryKindAndEverySettingOnce) {
    const auto listed = inProcess({"--list-actions"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    for (const auto& type : transformerTypes())
        EXPECT_THAT(listed.out, HasSubstr(std::string(type.typeId) + " (" + std::string(type.title) + ")"));
    for (const auto& field : TransformerProperties::fields()) {
        const std::regex line("\n    " + std::string(field.key) + " +[a-z/\\[]");
        const auto count = std::distance(std::sregex_iterator(listed.out.begin(), listed.out.end(), line),
                                         std::sregex_iterator());
        EXPECT_EQ(count, 1) << field.key;
    }
    EXPECT_THAT(listed.out, HasSubstr("numbering (Number): --number [START[:STEP]]"));

    const auto trim = inProcess({"--describe", "Trim"});
    ASSERT_EQ(trim.exitCode, 0);
    EXPECT_THAT(trim.out, HasSubstr("--trim-chars CHARS"));
    EXPECT_THAT(trim.out, HasSubstr("one of: trimany, trimanyof"));
    const auto typo = inProcess({"--describe", "replce"});
    EXPECT_EQ(typo.exitCode, 2);
    EXPECT_THAT(typo.err, HasSubstr("did you mean Replace?"));
}

TEST(VocabularyTest, TokensAreListedAndResolvedForAFile) {
    const auto listed = inProcess({"--list-tokens"});
    ASSERT_EQ(listed.exitCode, 0);
    EXPECT_THAT(listed.out, HasSubstr("{DateTimeOriginal}  {{Exif}.DateTimeOriginal}"));
    EXPECT_THAT(listed.out, HasSubstr("{artist}  {id3-artist}"));

    test::CliRunner cli;
    const auto photo = cli.home() / "IMG_0003.JPG";
    std::filesystem::copy_file(std::filesystem::path(test::kSourceDir) / "examples/files/Photos/Amsterdam/IMG_0003.JPG",
                               photo);
    const auto values = cli.run({"--list-tokens", photo.string()});
    ASSERT_EQ(values.exitCode, 0) << values.err;
    EXPECT_THAT(values.out, HasSubstr("{name}                          IMG_0003\n"));
    EXPECT_THAT(values.out, HasSubstr("{DateTimeOriginal}              2020-04-27 140533\n"));
    EXPECT_THAT(values.out, HasSubstr("{city}                          Amsterdam\n"));
    // Tokens without a value for this file are left out.
    EXPECT_THAT(values.out, Not(HasSubstr("{artist}")));
    EXPECT_EQ(cli.run({"--list-tokens", (cli.home() / "missing.jpg").string()}).exitCode, 2);
}

} // namespace
} // namespace quillory::cli
