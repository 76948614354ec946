// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Characters.h"

#include "text/Utf.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace quillory::text;

TEST(Characters, CombiningMarksAndEmojiSequencesCountAsOne) {
    EXPECT_EQ(characterCount("e\xCC\x81"), 1u); // e + combining acute
    EXPECT_EQ(characterCount("a\u0301\u0323b"), 2u);                   // two marks on one letter
    EXPECT_EQ(characterCount("caf\xC3\xA9"), 4u);                      // precomposed
    EXPECT_EQ(characterCount("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"), 1u); // thumbs up + skin tone
    // family: man ZWJ woman ZWJ girl
    EXPECT_EQ(characterCount("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"), 1u);
    EXPECT_EQ(characterCount("\xF0\x9F\x87\xB3\xF0\x9F\x87\xB1"), 1u);     // flag: two regional indicators
    EXPECT_EQ(characterCount("\xED\x95\x9C"), 1u);                         // Hangul syllable
    EXPECT_EQ(characterCount("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB"), 1u); // Hangul jamo L V T
}

TEST(Characters, AsciiAndLatinTextCountsUnitsWithCrLfAsOne) {
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("photo.jpg"), 9u);
    EXPECT_EQ(characterCount("a\r\nb"), 3u);
    EXPECT_EQ(characterCount("a\n\rb"), 4u);
    EXPECT_EQ(characterBoundaries(u"x\r\ny"), (std::vector<std::size_t>{0, 1, 3, 4}));
    EXPECT_EQ(characterBoundaries(u"\u00e9t\u00e9"), (std::vector<std::size_t>{0, 1, 2, 3}));
    // A Latin letter followed by a mark leaves the simple path and still joins.
    EXPECT_EQ(characterBoundaries(u"ae\u0301z"), (std::vector<std::size_t>{0, 1, 3, 4}));
    // Invalid bytes are escapes, one character each.
    EXPECT_EQ(characterCount("caf\xE9"), 4u);
}

TEST(Characters, MapConvertsBetweenIndicesAndOffsets) {
    // "a", "e"+mark, thumbs up+skin tone (4 units), "z"
    const std::u16string text = u"ae\u0301\U0001F44D\U0001F3FDz";
    const CharacterMap map(text);
    ASSERT_EQ(map.characterCount(), 4u);
    EXPECT_EQ(map.offsetOf(0), 0u);
    EXPECT_EQ(map.offsetOf(1), 1u);
    EXPECT_EQ(map.offsetOf(2), 3u);
    EXPECT_EQ(map.offsetOf(3), 7u);
    EXPECT_EQ(map.offsetOf(4), 8u);
    EXPECT_EQ(map.offsetOf(99), 8u);
    EXPECT_EQ(map.characterAt(0), 0u);
    EXPECT_EQ(map.characterAt(2), 1u); // inside "e"+mark
    EXPECT_EQ(map.characterAt(5), 2u); // inside the emoji
    EXPECT_EQ(map.characterAt(7), 3u);
    EXPECT_EQ(map.characterAt(8), 4u);
    EXPECT_EQ(map.characterAt(100), 4u);
    const CharacterMap empty(u"");
    EXPECT_EQ(empty.characterCount(), 0u);
    EXPECT_EQ(empty.offsetOf(0), 0u);
    EXPECT_EQ(empty.characterAt(0), 0u);
}

TEST(Characters, ThreadsCountIndependently) {
    const std::string text = "e\xCC\x81\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBDx";
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i)
                wrong[t] += characterCount(text) != 3u;
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (int w : wrong)
        EXPECT_EQ(w, 0);
}
