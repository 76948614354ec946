// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Regex.h"
#include "text/RegexTimeoutWatch.h"

#include <gtest/gtest.h>

namespace quillory::text {
namespace {

// A small limit keeps the runaway cases quick; the default is restored for the other tests.
class RegexTimeLimitTest : public ::testing::Test {
protected:
    void SetUp() override { Regex::setTimeLimit(5); }
    void TearDown() override { Regex::setTimeLimit(Regex::defaultTimeLimit); }

    const std::u16string runaway = std::u16string(60, u'a') + u"!";
    const Regex nested = Regex::compile(std::u16string_view(u"(a+)+$")).value();
};

TEST_F(RegexTimeLimitTest, NestedRepetitionStopsAndIsRecordedForEveryKindOfMatch) {
    {
        const RegexTimeoutWatch watch;
        EXPECT_FALSE(nested.firstMatch(runaway).has_value());
        EXPECT_TRUE(watch.timedOut());
    }
    {
        const RegexTimeoutWatch watch;
        EXPECT_TRUE(nested.allMatches(runaway).empty());
        EXPECT_EQ(nested.replaceAll(runaway, u"x"), runaway);
        EXPECT_TRUE(watch.timedOut());
    }
    {
        const RegexTimeoutWatch watch;
        EXPECT_FALSE(nested.matchesWhole(runaway));
        EXPECT_TRUE(watch.timedOut());
    }
}

TEST_F(RegexTimeLimitTest, OrdinaryMatchesAndNoMatchesAreNotTimeouts) {
    const RegexTimeoutWatch outer;
    EXPECT_TRUE(nested.matchesWhole(u"aaaa"));
    const Regex digits = Regex::compile(std::u16string_view(u"\\d+")).value();
    EXPECT_EQ(digits.allMatches(u"a1b22c333").size(), 3u);
    EXPECT_FALSE(digits.contains(std::u16string(2000, u'x')));
    EXPECT_FALSE(outer.timedOut());
}

TEST_F(RegexTimeLimitTest, AnInnerTimeoutIsSeenByTheOuterWatchButNotByALaterOne) {
    const RegexTimeoutWatch outer;
    {
        const RegexTimeoutWatch inner;
        nested.firstMatch(runaway);
        EXPECT_TRUE(inner.timedOut());
    }
    EXPECT_TRUE(outer.timedOut());
    const RegexTimeoutWatch later;
    EXPECT_FALSE(later.timedOut());
}

TEST(RegexSyntaxErrorTest, NamesTheLibraryErrorAndTheOffset) {
    EXPECT_FALSE(Regex::syntaxError("(a)+\\d").has_value());
    const auto paren = Regex::syntaxError("ab(");
    ASSERT_TRUE(paren.has_value());
    EXPECT_EQ(paren->libraryMessage, "U_REGEX_MISMATCHED_PAREN");
    EXPECT_EQ(paren->offset, 3);
    const auto interval = Regex::syntaxError("a{2,1}");
    ASSERT_TRUE(interval.has_value());
    EXPECT_EQ(interval->libraryMessage, "U_REGEX_MAX_LT_MIN");
    ASSERT_TRUE(Regex::syntaxError("\\p{Bogus}").has_value());
}

} // namespace
} // namespace quillory::text
