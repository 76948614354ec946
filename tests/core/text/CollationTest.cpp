// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace quillory::text;

TEST(Collation, NaturalCaseInsensitiveOrder) {
    EXPECT_LT(localizedStandardCompare("file2", "file10"), 0);
    EXPECT_GT(localizedStandardCompare("file10", "file2"), 0);
    EXPECT_EQ(localizedStandardCompare("a", "A"), 0);
    EXPECT_LT(localizedStandardCompare("apple", "Zebra"), 0);
    EXPECT_LT(localizedStandardCompare("e", "\xC3\xA9"), 0); // accents still order
    std::vector<std::string> names{"file20", "File10", "file2", "file1"};
    std::sort(names.begin(), names.end(),
              [](const auto &a, const auto &b) { return localizedStandardCompare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"file1", "file2", "File10", "file20"}));
}

TEST(Collation, SortKeysOrderLikeCompare) {
    const std::vector<std::string> names{"file20", "File10",  "file2", "file1", "Zebra", "apple", "\xC3\xA9t\xC3\xA9",
                                         "ete",    "caf\xE9", "",      "a",     "A"};
    for (const auto &a : names) {
        for (const auto &b : names) {
            const int byCompare = localizedStandardCompare(a, b);
            const int byKey = localizedStandardSortKey(a).compare(localizedStandardSortKey(b));
            EXPECT_EQ(byCompare < 0, byKey < 0) << a << " / " << b;
            EXPECT_EQ(byCompare == 0, byKey == 0) << a << " / " << b;
        }
    }
}

namespace {

// Names with shared prefixes, numbers with and without leading zeros, both cases, punctuation and
// characters ICU ignores, so that most pairs differ late and in awkward places.
std::string randomAsciiName(std::mt19937& random) {
    static const std::string pieces[] = {"file", "File", "IMG_", "img", "0",  "00", "1",   "01", "9",  "10",
                                         "123",  "0123", " ",    ".",   "-",  "_",  "a",   "A",  "z",  "Z",
                                         "~",    "(",    ")",    "\t",  "\x01", "\x7F", "@", "[",  "`",  "{"};
    std::uniform_int_distribution<std::size_t> pieceCount(0, 6);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> anyAscii(1, 0x7F);
    std::string name;
    for (std::size_t n = pieceCount(random); n > 0; --n)
        name += piece(random) % 7 == 0 ? std::string(1, static_cast<char>(anyAscii(random))) : pieces[piece(random)];
    return name;
}

int sign(int value) { return (value > 0) - (value < 0); }

} // namespace

TEST(Collation, AsciiKeysOrderAsIcuDoesInEveryLocaleThatHasThem) {
    std::mt19937 random(20261207);
    // Turkish "I", Hawaiian vowels and Thai punctuation (ignored) are ranked differently, but still one
    // element a character.
    for (const char* locale : {"", "root", "en_US", "en_US_POSIX", "de_DE", "fr_CA", "sv", "fi", "th", "ja", "zh",
                               "ar", "tr", "haw"}) {
        const StandardCollator icu(locale);
        ASSERT_TRUE(icu.valid()) << locale;
        const auto ascii = AsciiCollation::of(icu);
        ASSERT_TRUE(ascii) << locale;
        std::vector<std::string> names;
        for (int i = 0; i < 3000; ++i)
            names.push_back(randomAsciiName(random));
        for (std::size_t i = 0; i + 1 < names.size(); ++i) {
            const std::string& a = names[i];
            // Half the pairs share a random prefix.
            const std::string b = i % 2 ? names[i + 1] : a.substr(0, a.size() / 2) + names[i + 1];
            ASSERT_TRUE(AsciiCollation::covers(a) && AsciiCollation::covers(b));
            ASSERT_EQ(sign(ascii->key(a).compare(ascii->key(b))), sign(icu.compare(a, b)))
                << locale << ": \"" << a << "\" / \"" << b << "\"";
        }
    }
}

TEST(Collation, AsciiOrderIsMadeOnlyWhereAsciiIsNotContracted) {
    // The machine default of C.UTF-8 is en_US_POSIX: ASCII by code point, every letter apart.
    const auto posix = AsciiCollation::of(StandardCollator("en_US_POSIX"));
    ASSERT_TRUE(posix);
    EXPECT_LT(posix->key("B"), posix->key("a"));
    EXPECT_LT(posix->key("file2"), posix->key("file10"));
    EXPECT_FALSE(AsciiCollation::of(StandardCollator("da"))); // "aa" sorts after "z"
    EXPECT_FALSE(AsciiCollation::of(StandardCollator("cs"))); // "ch" sorts after "h"
    EXPECT_FALSE(AsciiCollation::of(StandardCollator("es@collation=traditional"))); // "ll" after "l"

    EXPECT_TRUE(AsciiCollation::covers("IMG_0001.JPG"));
    EXPECT_FALSE(AsciiCollation::covers("caf\xC3\xA9"));
    EXPECT_TRUE(AsciiCollation::covers("a" + std::string(254, '7')));
    EXPECT_FALSE(AsciiCollation::covers("a" + std::string(255, '7'))); // ICU splits such a number
}
