// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Normalization.h"

#include <gtest/gtest.h>

using namespace quillory::text;

TEST(Normalization, NormalFormsRoundTrip) {
    EXPECT_EQ(nfkd(std::string("\xEF\xAC\x81le")), "file"); // U+FB01 ligature
    EXPECT_EQ(nfkd(std::u16string_view(u"x\u00B2")), u"x2");
    EXPECT_EQ(nfd(std::u16string_view(u"\u00e9")), u"e\u0301");
    EXPECT_EQ(nfc(std::u16string_view(u"e\u0301")), u"\u00e9");
    const std::u16string composed = u"Cr\u00e8me Br\u00fbl\u00e9e \uAC00";
    EXPECT_NE(nfd(composed), composed);
    EXPECT_EQ(nfc(nfd(composed)), composed);
    EXPECT_TRUE(isNfc(composed));
    EXPECT_FALSE(isNfc(nfd(composed)));
    EXPECT_FALSE(isNfc(std::string("e\xCC\x81")));
    // Escaped invalid bytes pass through untouched.
    EXPECT_EQ(nfc(std::string("caf\xE9")), "caf\xE9");
}

TEST(Normalization, CaseMapping) {
    EXPECT_EQ(toUpper(std::string("straße")), "STRASSE");
    EXPECT_EQ(toLower(std::string("\xC3\x89T\xC3\x89")), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(toUpper(std::u16string_view(u"\u00e9t\u00e9")), u"\u00c9T\u00c9");
    EXPECT_EQ(capitalizeWords(std::string("hello wORLD")), "Hello World");
    EXPECT_EQ(capitalizeWords(std::string("the QUICK-brown fox.jpg")), "The Quick-Brown Fox.jpg");
    EXPECT_EQ(capitalizeWords(std::u16string_view(u"\u00e9cole NORMALE")), u"\u00c9cole Normale");
}

TEST(Normalization, FoldDiacriticsDropsOnlyNonspacingMarks) {
    EXPECT_EQ(foldDiacritics(std::string("Crème Brûlée")), "Creme Brulee");
    EXPECT_EQ(foldDiacritics(std::u16string_view(u"A\u030A\u00c5ngstr\u00f6m")), u"AAngstrom");
    // Letters that are not base+mark stay; Hangul recomposes.
    EXPECT_EQ(foldDiacritics(std::u16string_view(u"\u00df\u00f8\uAC00")), u"\u00df\u00f8\uAC00");
}

TEST(Normalization, FoldCaseComparesNamesAsACaseInsensitiveVolume) {
    EXPECT_EQ(foldCase(std::string_view("Report.TXT")), "report.txt");
    // Full folding: sharp s is "ss"; a precomposed and a decomposed accent fold alike.
    EXPECT_EQ(foldCase(std::string_view("STRASSE")), foldCase(std::string_view("straße")));
    EXPECT_EQ(foldCase(std::string_view("CAF\xC3\x89")), foldCase(std::string_view("cafe\xCC\x81")));
    EXPECT_NE(foldCase(std::string_view("cafe")), foldCase(std::string_view("caf\xC3\xA9")));
    // Bytes that are not UTF-8 are opaque: unchanged, even their ASCII letters.
    EXPECT_EQ(foldCase(std::string_view("Caf\xE9")), "Caf\xE9");
}
