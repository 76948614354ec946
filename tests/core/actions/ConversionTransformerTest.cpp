// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ConversionTransformer.h"

#include "TableTokenResolver.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

class ConversionTransformerTest : public ::testing::Test {
protected:
    File convert(const std::string& path, TransformScope scope = TransformScope::filename) {
        File file = File::fromPath(path);
        file.resetTransform();
        EXPECT_TRUE(transformer.transformWith(properties, scope, file, 0, resolver, {}).ok());
        return file;
    }
    std::string name(const std::string& fileName) { return convert("/d/" + fileName).transformed.transformedName; }

    ConversionTransformer transformer;
    test::TableTokenResolver resolver;
    TransformerProperties properties;
};

TEST_F(ConversionTransformerTest, CaseConversions) {
    properties.conversionType = "uppercase";
    EXPECT_EQ(name("photo"), "PHOTO");
    EXPECT_EQ(name("stra\u00dfe"), "STRASSE");
    EXPECT_EQ(name("caf\u00e9"), "CAF\u00c9");
    properties.conversionType = "lowercase";
    EXPECT_EQ(name("\u00c0B C"), "\u00e0b c");
    properties.conversionType = "capitalizeall";
    EXPECT_EQ(name("hello WORLD"), "Hello World");
    properties.conversionType = "capitalizefirst";
    EXPECT_EQ(name("hello WORLD"), "Hello world");
    EXPECT_EQ(name("123abc def"), "123Abc def");
    EXPECT_EQ(name("\u00e9t\u00e9 X"), "\u00c9t\u00e9 x");
    // Names with line breaks are converted line by line.
    EXPECT_EQ(name("hello WORLD\nsecond\u2028LINE"), "Hello world\nSecond\u2028Line");
    properties.conversionType = "uppercase";
    EXPECT_EQ(name("ab\r\ncd\u0085e"), "AB\r\nCD\u0085E");
    EXPECT_EQ(name(""), "");
}

TEST_F(ConversionTransformerTest, OnlyMatchesAreConverted) {
    properties.conversionType = "uppercase";
    properties.conversionFindText = "b";
    EXPECT_EQ(name("abcabc"), "aBcaBc");
    properties.conversionFindFirst = true;
    EXPECT_EQ(name("abcabc"), "aBcabc");
    properties.conversionFindFirst = false;
    properties.conversionFindText = "\u00df";
    EXPECT_EQ(name("\u00dfa\u00df"), "SSaSS");
    // The find is case-sensitive unless asked.
    properties.conversionFindText = "B";
    EXPECT_EQ(name("abc"), "abc");
    properties.conversionFindCaseInsensitive = true;
    EXPECT_EQ(name("abc"), "aBc");
    properties.conversionFindText = "x*z";
    properties.conversionFindWildcards = true;
    EXPECT_EQ(name("axyz-xz"), "aXYZ-XZ");
}

TEST_F(ConversionTransformerTest, UnknownTypesAndBadPatternsChangeNothing) {
    properties.conversionType = "sideways";
    EXPECT_EQ(name("Abc"), "Abc");
    properties.conversionType = "uppercase";
    properties.conversionFindText = "(";
    properties.conversionFindRegex = true;
    EXPECT_EQ(name("a(b"), "a(b");
}

TEST_F(ConversionTransformerTest, RemovesDiacritics) {
    properties.conversionType = "removediacritics";
    EXPECT_EQ(name("caf\u00e9 \u00fc \u00c5ngstr\u00f6m"), "cafe u Angstrom");
    EXPECT_EQ(name("nai\u0308ve"), "naive");
}

TEST_F(ConversionTransformerTest, WindowsCompatibility) {
    properties.conversionType = "windowscompatibility";
    EXPECT_EQ(name("a:b?c"), "a_b_c");
    EXPECT_EQ(name("caf\u00e9 \u00fc"), "cafe u");
    EXPECT_EQ(name("\\?%*:|\"<>"), "_________");
    EXPECT_EQ(name("a\x01" "b\tc\x1f"), "a_b_c_");
    EXPECT_EQ(name("\u65e5\u672c x"), "__ x");
    EXPECT_EQ(name("\u00df"), "_");

    const File file = convert("/home/d\u00e9j\u00e0 vu /my file .txt", TransformScope::fullPath);
    EXPECT_EQ(file.transformed.transformedPath, "/home/deja vu");
    EXPECT_EQ(file.transformed.transformedName, "my file");
    EXPECT_EQ(file.transformed.transformedExt, "txt");
}

TEST_F(ConversionTransformerTest, LookupRowsFeedEachOther) {
    properties.conversionType = "lookup";
    properties.conversionLookup = TransformerProperties::LookupTable{{" ", "_"}, {"_+", "_"}};
    EXPECT_EQ(name("a  b"), "a_b");
    properties.conversionLookup = TransformerProperties::LookupTable{{"_+", "_"}, {" ", "_"}};
    EXPECT_EQ(name("a  b"), "a__b");
    properties.conversionLookup = TransformerProperties::LookupTable{{"(\\d+)-(\\d+)", "$2-$1"}};
    EXPECT_EQ(name("10-20"), "20-10");
}

TEST_F(ConversionTransformerTest, LookupIsCaseSensitiveAndMatchesDecomposedText) {
    properties.conversionType = "lookup";
    properties.conversionLookup = TransformerProperties::LookupTable{{"a", "x"}, {"\u00e9", "e"}, {"\uFB01", "F"}};
    EXPECT_EQ(name("Aa \u00e9t\u00e9"), "Ax ete");
    EXPECT_EQ(name("\uFB01"), "\uFB01"); // the row's find is decomposed to "fi", the ligature is not
    EXPECT_EQ(name("fi"), "F");
}

TEST_F(ConversionTransformerTest, BrokenLookupRowsArePassedOver) {
    properties.conversionType = "lookup";
    properties.conversionLookup =
        TransformerProperties::LookupTable{{"a"}, {}, {"(", "x"}, {"", "y"}, {"b", "c"}};
    EXPECT_EQ(name("ab"), "ac");
    properties.conversionLookup.reset();
    EXPECT_EQ(name("ab"), "ab");
}

} // namespace
