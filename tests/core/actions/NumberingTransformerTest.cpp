// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/NumberingTransformer.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

using namespace quillory;

namespace {

File fileAt(const std::string& path, int sequenceOffset = 0) {
    File file = File::fromPath(path);
    file.resetTransform();
    file.transformed.sequenceOffset = sequenceOffset;
    return file;
}

std::vector<std::int64_t> values(const TransformerProperties& properties, int count) {
    std::vector<std::int64_t> result;
    const File file = fileAt("/d/a");
    for (int i = 0; i < count; ++i)
        result.push_back(NumberingTransformer::numberValue(properties, file, i));
    return result;
}

std::string format(std::int64_t value, std::string format, std::string digits = "1") {
    TransformerProperties properties;
    properties.numberFormat = std::move(format);
    properties.numberDigitText = std::move(digits);
    return NumberingTransformer::formatNumber(value, properties);
}

TEST(NumberingTransformerTest, RomanNumerals) {
    EXPECT_EQ(format(1994, "roman"), "MCMXCIV");
    EXPECT_EQ(format(0, "roman"), "N");
    EXPECT_EQ(format(-4, "roman"), "-IV");
    EXPECT_EQ(format(100000, "roman"), "");
    EXPECT_EQ(format(123456, "roman"), "\u2182\u2182MMMCDLVI");
    EXPECT_EQ(format(9000, "roman"), "\u2181\u2182");
    EXPECT_EQ(format(4999, "roman", "8"), "M\u2181CMXCIX"); // digits do not pad Roman numerals
    EXPECT_EQ(format(-100001, "roman"), "-I");
}

TEST(NumberingTransformerTest, HexadecimalAndDecimal) {
    EXPECT_EQ(format(255, "hexadecimal", "4"), "00FF");
    EXPECT_EQ(format(-1, "hexadecimal", "1"), "FFFFFFFF");
    EXPECT_EQ(format(-2, "hexadecimal", "10"), "00FFFFFFFE");
    // Random values can use up to 15 hexadecimal digits and keep them all.
    EXPECT_EQ(format(0x123456789A, "hexadecimal", "12"), "00123456789A");
    EXPECT_EQ(format(7, "decimal", "3"), "007");
    EXPECT_EQ(format(-5, "", "3"), "-05");
    EXPECT_EQ(format(-5, "", "1"), "-5");
    EXPECT_EQ(format(std::numeric_limits<std::int64_t>::min(), "decimal", "1"), "-9223372036854775808");
    EXPECT_EQ(format(0, "hexadecimal", "1"), "0");
    EXPECT_EQ(format(1234, "decimal", "2"), "1234");
    EXPECT_EQ(format(7, "decimal", "x"), "7");
    EXPECT_EQ(format(7, "decimal", "-4"), "7");
    EXPECT_EQ(format(7, "decimal", "100000000").size(), std::size_t(NumberingTransformer::maxPaddingDigits));
}

TEST(NumberingTransformerTest, StartStepAndRepeat) {
    TransformerProperties properties;
    EXPECT_EQ(values(properties, 3), (std::vector<std::int64_t>{1, 2, 3}));
    properties.numberStartText = "10";
    properties.numberSkipText = "5";
    properties.numberRepeatCount = 2;
    EXPECT_EQ(values(properties, 5), (std::vector<std::int64_t>{10, 10, 15, 15, 20}));
    properties.numberStartText = "+3";
    properties.numberSkipText = "-1";
    properties.numberRepeatCount = 1;
    EXPECT_EQ(values(properties, 5), (std::vector<std::int64_t>{3, 2, 1, 0, -1}));
    properties.numberStartText = "ten";
    properties.numberSkipText = "";
    EXPECT_EQ(values(properties, 2), (std::vector<std::int64_t>{1, 2}));
}

TEST(NumberingTransformerTest, ResetEvery) {
    TransformerProperties properties;
    properties.numberResetEvery = true;
    properties.numberResetEveryText = "3";
    EXPECT_EQ(values(properties, 7), (std::vector<std::int64_t>{1, 2, 3, 1, 2, 3, 1}));
    // A count that cannot divide means no reset; the pass goes on.
    for (const char* every : {"0", "-2"}) {
        properties.numberResetEveryText = every;
        EXPECT_EQ(values(properties, 4), (std::vector<std::int64_t>{1, 2, 3, 4})) << every;
    }
    properties.numberResetEvery = false;
    properties.numberResetEveryText = "2";
    EXPECT_EQ(values(properties, 3), (std::vector<std::int64_t>{1, 2, 3}));
}

TEST(NumberingTransformerTest, RestartsPerDirectory) {
    TransformerProperties properties;
    properties.numberResetEveryDirectoryChange = true;
    const std::vector<File> files = {fileAt("/a/1", 0), fileAt("/a/2", 0), fileAt("/b/1", 2), fileAt("/b/2", 2),
                                     fileAt("/b/3", 2)};
    std::vector<std::int64_t> result;
    for (int i = 0; i < 5; ++i)
        result.push_back(NumberingTransformer::numberValue(properties, files[i], i));
    EXPECT_EQ(result, (std::vector<std::int64_t>{1, 2, 1, 2, 3}));
}

class NumberingTransformTest : public ::testing::Test {
protected:
    std::string numberFull(const std::string& path, int index) {
        File file = fileAt(path);
        const auto status = transformer.transform(properties, TransformScope::filename, file, index, {});
        EXPECT_TRUE(status.ok());
        return file.transformed.transformedName;
    }

    NumberingTransformer transformer;
    TransformerProperties properties;
};

TEST_F(NumberingTransformTest, InsertsAfterOrBeforeTheText) {
    properties.numberSeparatorText = "-";
    properties.numberFormat = "decimal";
    properties.numberDigitText = "3";
    EXPECT_EQ(numberFull("/d/a.txt", 0), "a-001");
    EXPECT_EQ(numberFull("/d/b.txt", 1), "b-002");
    EXPECT_EQ(numberFull("/d/c.txt", 2), "c-003");
    properties.numberPosition = "start";
    properties.numberSeparatorText = " ";
    EXPECT_EQ(numberFull("/d/a.txt", 0), "001 a");
}

TEST_F(NumberingTransformTest, InsertsAtEachMatchWithOffset) {
    properties.numberFindText = "_";
    EXPECT_EQ(numberFull("/d/a_b_c", 0), "a_1b_1c");
    properties.numberPosition = "start";
    properties.numberPositionOffset = -1;
    EXPECT_EQ(numberFull("/d/a_b_c", 1), "2a_2b_c");
    properties.numberPositionOffset = -10;
    properties.numberFindFirst = true;
    EXPECT_EQ(numberFull("/d/a_b_c", 2), "3a_b_c");
    properties.numberFindText = "zz";
    EXPECT_EQ(numberFull("/d/a_b_c", 2), "a_b_c");
}

TEST_F(NumberingTransformTest, OffsetsCountCharactersAndKeepPrecomposedNames) {
    properties.numberPositionOffset = -1;
    EXPECT_EQ(numberFull("/d/caf\u00e9", 0), "caf1\u00e9");
    // At either end of the whole name: precomposed letters stay so.
    properties.numberPositionOffset = 0;
    properties.numberSeparatorText = "\u00b7";
    EXPECT_EQ(numberFull("/d/caf\u00e9", 1), "caf\u00e9\u00b72");
    properties.numberPosition = "start";
    EXPECT_EQ(numberFull("/d/\u00e9t\u00e9", 2), "3\u00b7\u00e9t\u00e9");
    EXPECT_EQ(numberFull("/d/.hidden", 3), "4\u00b7.hidden");
}

TEST_F(NumberingTransformTest, RandomNumbersAreUniqueAndStable) {
    properties.numberRandom = true;
    properties.numberDigitText = "2";
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i)
        names.push_back(numberFull("/d/f", i));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names[0].size(), 3u); // "f" + two digits

    // A second pass, quick or full, finds the same numbers.
    for (int i = 0; i < 150; ++i) {
        File file = fileAt("/d/f");
        EXPECT_TRUE(transformer.transformQuick(properties, TransformScope::filename, file, i, {}).ok());
        EXPECT_EQ(file.transformed.transformedName, names[i]);
        EXPECT_EQ(numberFull("/d/f", i), names[i]);
    }

    transformer.state().randomNumberGenerator->reset();
    std::vector<std::string> renamed;
    for (int i = 0; i < 150; ++i)
        renamed.push_back(numberFull("/d/f", i));
    EXPECT_NE(renamed, names);
    EXPECT_EQ(std::set<std::string>(renamed.begin(), renamed.end()).size(), renamed.size());
}

TEST_F(NumberingTransformTest, QuickPassDefersRandomNumbers) {
    properties.numberRandom = true;
    properties.numberStartText = "7";
    File file = fileAt("/d/f");
    const auto status = transformer.transformQuick(properties, TransformScope::filename, file, 4, {});
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isLateUpdateRequired());
    // The sequence value stands in, and nothing was drawn.
    EXPECT_EQ(file.transformed.transformedName, "f11");
    EXPECT_FALSE(transformer.state().randomNumberGenerator->number(4).has_value());
}

} // namespace
