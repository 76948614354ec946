// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DisplayWidth.h"

#include <gtest/gtest.h>

using namespace quillory::text;

TEST(DisplayWidthTest, ControlCharactersAndBrokenBytesBecomeVisibleEscapes) {
    EXPECT_EQ(visibleEscapes("a\nb\tc\rd"), "a\\nb\\tc\\rd");
    EXPECT_EQ(visibleEscapes("\x1b[31mred"), "\\x1b[31mred");
    EXPECT_EQ(visibleEscapes("del\x7f"), "del\\x7f");
    EXPECT_EQ(visibleEscapes("c1\xc2\x9b"), "c1\\x9b");         // U+009B, the one-byte escape sequence start
    EXPECT_EQ(visibleEscapes("bad\xff\xfe.txt"), "bad\\xff\\xfe.txt"); // not UTF-8
    EXPECT_EQ(visibleEscapes("Björk 日本 ♫ 🎵"), "Björk 日本 ♫ 🎵");
}

TEST(DisplayWidthTest, WideCharactersTakeTwoColumnsMarksAndJoinersNone) {
    EXPECT_EQ(displayWidth("abc"), 3u);
    EXPECT_EQ(displayWidth("日本"), 4u);
    EXPECT_EQ(displayWidth("ｱ"), 1u);                   // half-width katakana
    EXPECT_EQ(displayWidth("Ｆ"), 2u);                  // full-width Latin
    EXPECT_EQ(displayWidth("e\xcc\x81"), 1u);            // e + combining acute
    EXPECT_EQ(displayWidth("🎵"), 2u);
    EXPECT_EQ(displayWidth("👨\u200d👩\u200d👧"), 2u);  // one family picture
    EXPECT_EQ(displayWidth("\u2764\ufe0f"), 2u);         // heart as emoji
    EXPECT_EQ(displayWidth("한국"), 4u);
    EXPECT_EQ(displayWidth("\\x1b"), 4u);
}
