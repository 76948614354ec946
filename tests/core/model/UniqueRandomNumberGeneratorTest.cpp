// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/UniqueRandomNumberGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

using namespace quillory;

namespace {

TEST(UniqueRandomNumberGeneratorTest, RangeGrowsWithTheNumberOfSlots) {
    UniqueRandomNumberGenerator generator;
    EXPECT_EQ(generator.randomRange(2, 10), 100);
    EXPECT_EQ(generator.randomRange(0, 10), 10);
    EXPECT_EQ(generator.randomRange(1, 16), 16);
    generator.drawUnique(100, 1, 10); // 101 slots: indices up to 100 need three digits
    EXPECT_EQ(generator.randomRange(1, 10), 1000);
    EXPECT_EQ(generator.randomRange(4, 10), 10000);
    EXPECT_EQ(generator.randomRange(1, 16), 256);
}

TEST(UniqueRandomNumberGeneratorTest, WidthsAreCappedToFitSixtyFourBits) {
    UniqueRandomNumberGenerator generator;
    EXPECT_EQ(generator.randomRange(18, 10), 1'000'000'000'000'000'000);
    EXPECT_EQ(generator.randomRange(40, 10), 1'000'000'000'000'000'000);
    EXPECT_EQ(generator.randomRange(40, 16), std::int64_t{1} << 60);
    const auto value = generator.drawUnique(0, 40, 10);
    EXPECT_GE(value, 0);
    EXPECT_LT(value, 1'000'000'000'000'000'000);
}

TEST(UniqueRandomNumberGeneratorTest, DrawsEveryValueOnceBeforeWidening) {
    UniqueRandomNumberGenerator generator;
    std::vector<std::int64_t> values;
    for (std::size_t i = 0; i < 150; ++i)
        values.push_back(generator.drawUnique(i, 2, 10));
    // While at most 100 slots exist the draws come from 0...99, so the first hundred are all of them.
    std::vector<std::int64_t> first(values.begin(), values.begin() + 100);
    std::sort(first.begin(), first.end());
    std::vector<std::int64_t> all(100);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(first, all);
    EXPECT_EQ(std::set<std::int64_t>(values.begin(), values.end()).size(), values.size());
    EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](auto v) { return v >= 0 && v < 1000; }));
}

TEST(UniqueRandomNumberGeneratorTest, KeepsValuesUntilReset) {
    UniqueRandomNumberGenerator generator;
    for (std::size_t i = 0; i < 50; ++i)
        generator.drawUnique(i, 6, 10);
    const auto drawn = generator.numbers();
    for (std::size_t i = 0; i < 50; ++i)
        EXPECT_EQ(generator.drawUnique(i, 6, 10), drawn[i]);
    EXPECT_EQ(generator.number(7), drawn[7]);
    EXPECT_FALSE(generator.number(50).has_value());

    generator.reset();
    EXPECT_TRUE(generator.numbers().empty());
    EXPECT_FALSE(generator.number(7).has_value());
    std::vector<std::int64_t> redrawn;
    for (std::size_t i = 0; i < 50; ++i)
        redrawn.push_back(generator.drawUnique(i, 6, 10));
    EXPECT_NE(redrawn, drawn);
}

TEST(UniqueRandomNumberGeneratorTest, SlotsDrawnOutOfOrderLeaveGaps) {
    UniqueRandomNumberGenerator generator;
    generator.drawUnique(3, 1, 10);
    const auto numbers = generator.numbers();
    ASSERT_EQ(numbers.size(), 4u);
    EXPECT_EQ(numbers[0], -1);
    EXPECT_EQ(numbers[2], -1);
    EXPECT_GE(numbers[3], 0);
    EXPECT_FALSE(generator.number(0).has_value());
}

TEST(UniqueRandomNumberGeneratorTest, CollidingDrawsWidenTheRangeInsteadOfRepeating) {
    // A source that always answers the top of its range collides on every attempt after the first value.
    std::vector<std::int64_t> bounds;
    UniqueRandomNumberGenerator generator([&bounds](std::int64_t upper) {
        if (bounds.empty() || bounds.back() != upper)
            bounds.push_back(upper);
        return upper - 1;
    });
    EXPECT_EQ(generator.drawUnique(0, 1, 10), 9);
    EXPECT_EQ(generator.drawUnique(1, 1, 10), 99);
    EXPECT_EQ(generator.drawUnique(2, 1, 10), 999);
    EXPECT_EQ(bounds, (std::vector<std::int64_t>{10, 100, 10, 100, 1000}));
}

} // namespace
