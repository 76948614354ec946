// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenTemplate.h"

#include "text/NearestNames.h"
#include "model/TokenDetailsList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <set>

using namespace quillory;
using ::testing::HasSubstr;

namespace {

const TokenDetailsList& catalogue() {
    static const auto list = TokenDetailsList::loadEmbedded();
    return list;
}

TokenString parsed(std::string_view text) {
    auto result = TokenTemplate::parse(text, catalogue());
    EXPECT_TRUE(result.ok()) << text << ": " << (result.ok() ? "" : result.error().message);
    return result.ok() ? *result : TokenString();
}

std::string parseError(std::string_view text) {
    auto result = TokenTemplate::parse(text, catalogue());
    EXPECT_FALSE(result.ok()) << text;
    return result.ok() ? std::string() : result.error().message;
}

TEST(TokenTemplateTest, TextAndTokensBecomeItemsWithTheirFormats) {
    auto date = TokenItem::attribute("{Exif}.DateTimeOriginal");
    date.dateFormat = "yyyy-MM-dd HHmmss";
    auto track = TokenItem::attribute("id3-track-number");
    track.numberDigits = 3;
    auto latitude = TokenItem::attribute("{GPS}.Latitude");
    latitude.gpsFormat = 1;
    EXPECT_EQ(parsed("{DateTimeOriginal:yyyy-MM-dd HHmmss} {GPS-AddressCity}"),
              TokenString({date, TokenItem::text(" "), TokenItem::attribute("GPS-AddressCity")}));
    EXPECT_EQ(parsed("{id3-track-number:3}. {artist} - {title}"),
              TokenString({track, TokenItem::text(". "), TokenItem::attribute("id3-artist"), TokenItem::text(" - "),
                           TokenItem::attribute("id3-title")}));
    EXPECT_EQ(parsed("{latitude:decimal}"), TokenString({latitude}));
    // Ids and aliases in any case; a date without a pattern keeps the default one.
    EXPECT_EQ(parsed("{PARENT}{Name}{modified}"),
              TokenString({TokenItem::attribute("parent-directory-1"), TokenItem::attribute("original-filename"),
                           TokenItem::attribute("date-modified")}));
    EXPECT_EQ(parsed("{regex-numbers}").items.at(0).type, TokenItem::typeRegex);
    EXPECT_TRUE(parsed("{numbers}").items.at(0).regexp.numeric);
}

TEST(TokenTemplateTest, PlainTextAndDoubledBracesAreOneTextItem) {
    EXPECT_EQ(parsed("a_b"), TokenString::fromPlainString("a_b"));
    EXPECT_EQ(parsed(""), TokenString::fromPlainString(""));
    EXPECT_EQ(parsed("{{x}} $1 \\d"), TokenString::fromPlainString("{x} $1 \\d"));
    EXPECT_EQ(parsed("{{{name}}}"), TokenString({TokenItem::text("{"), TokenItem::attribute("original-filename"),
                                                 TokenItem::text("}")}));
}

TEST(TokenTemplateTest, FaultsSayWhatIsWrongAndSuggestTheNearestIds) {
    EXPECT_THAT(parseError("{artst}"), HasSubstr("unknown token {artst}; did you mean {artist}"));
    EXPECT_THAT(parseError("x {DateTimeOrignal}"), HasSubstr("{DateTimeOriginal}"));
    EXPECT_EQ(parseError("{zzzzzzzz}"), "unknown token {zzzzzzzz}");
    EXPECT_THAT(parseError("a {name"), HasSubstr("'{' at character 3 is not closed"));
    EXPECT_THAT(parseError("a}"), HasSubstr("closes no token"));
    EXPECT_THAT(parseError("{name:upper}"), HasSubstr("takes no format"));
    EXPECT_THAT(parseError("{id3-track:x}"), HasSubstr("digit count"));
    EXPECT_THAT(parseError("{latitude:deg}"), HasSubstr("'dms' or 'decimal'"));
    EXPECT_THAT(parseError("{modified:}"), HasSubstr("empty"));
}

TEST(TokenTemplateTest, EveryIdAndAliasFindsItsOwnRowAndNoNameIsShared) {
    std::set<std::string> seen;
    auto folded = [](std::string text) {
        for (auto& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const auto names = TokenTemplate::names(catalogue());
    ASSERT_GT(names.size(), 80u);
    for (const auto& name : names) {
        for (const auto& written : {name.tokenId, name.alias}) {
            const auto* found = TokenTemplate::find(written, catalogue());
            ASSERT_NE(found, nullptr) << written;
            EXPECT_EQ(found->tokenId, name.tokenId) << written;
        }
        EXPECT_TRUE(seen.insert(folded(name.tokenId)).second) << name.tokenId;
        if (name.alias != name.tokenId) {
            EXPECT_TRUE(seen.insert(folded(name.alias)).second) << name.alias;
        }
        // Aliases are typed in braces: no braces or colons in them.
        EXPECT_EQ(name.alias.find_first_of("{}:"), std::string::npos) << name.alias;
    }
}

TEST(NearestNamesTest, CloseNamesFirstFarOnesNeverAndTheSentenceReads) {
    const std::vector<std::string> names = {"simple", "insert", "suffix", "simpleFindText"};
    EXPECT_EQ(text::nearestNames("simpel", names), std::vector<std::string>{"simple"});
    EXPECT_EQ(text::nearestNames("findtext", names), std::vector<std::string>{"simpleFindText"});
    EXPECT_EQ(text::nearestNames("SUFIX", names), std::vector<std::string>{"suffix"});
    EXPECT_TRUE(text::nearestNames("qqqqqqqq", names).empty());
    EXPECT_EQ(text::didYouMean({"a", "b", "c"}), "did you mean a, b or c?");
    EXPECT_EQ(text::didYouMean({}), "");
}

} // namespace
