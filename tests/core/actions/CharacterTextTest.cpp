// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CharacterText.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

// "e" + combining acute, "x", a thumbs-up with skin tone: UTF-16 offsets 0-2, 2-3, 3-7.
const std::string kText = "e\xCC\x81x\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD";

TEST(CharacterTextTest, SpansWidenToWholeCharacters) {
    const CharacterText text(kText);
    ASSERT_EQ(text.length(), 3u);
    EXPECT_EQ(text.offsetOf(2), 3u);
    EXPECT_EQ(text.offsetOf(9), 7u);
    EXPECT_EQ(text.rangeOf(0, 1), (MatchRange{0, 1}));
    EXPECT_EQ(text.rangeOf(1, 2), (MatchRange{0, 1}));
    EXPECT_EQ(text.rangeOf(3, 5), (MatchRange{2, 3}));
    EXPECT_EQ(text.rangeOf(2, 3), (MatchRange{1, 2}));
    // An empty span stays empty, at the start of its character.
    EXPECT_EQ(text.rangeOf(1, 1), (MatchRange{0, 0}));
    EXPECT_EQ(text.rangeOf(7, 7), (MatchRange{3, 3}));
}

TEST(CharacterTextTest, RangesThatMeetInOneCharacterMerge) {
    const CharacterText text(kText);
    const std::vector<text::Span> spans{{0, 1}, {1, 2}, {2, 2}, {2, 2}, {2, 3}, {5, 7}};
    EXPECT_EQ(text.rangesOf(spans), (std::vector<MatchRange>{{0, 1}, {1, 1}, {1, 2}, {2, 3}}));
}

TEST(CharacterTextTest, InsertAndReplaceByCharacter) {
    CharacterText text(kText);
    text.insert(1, u"-");
    EXPECT_EQ(text.utf8(), "e\xCC\x81-x\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
    text.insert(-5, u"<");
    text.insert(50, u">");
    EXPECT_EQ(text.length(), 6u);
    EXPECT_EQ(text.substring({0, 1}), u"<");
    EXPECT_EQ(text.substring({5, 6}), u">");
    text.replace({1, 4}, u"!");
    EXPECT_EQ(text.utf8(), "<!\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD>");
}

} // namespace
} // namespace quillory
