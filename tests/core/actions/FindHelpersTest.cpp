// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/FindHelpers.h"

#include "actions/NormalizationSeam.h"

#include <gtest/gtest.h>

namespace quillory {

void PrintTo(const MatchRange &range, std::ostream *out) {
    *out << "(" << range.start << ", " << range.end << ")";
}

namespace {

using Ranges = std::vector<MatchRange>;

FindOptions literal(std::string text) {
    return FindOptions{std::move(text)};
}
FindOptions wildcard(std::string text) {
    return FindOptions{std::move(text), true};
}
FindOptions regex(std::string text) {
    return FindOptions{std::move(text), false, true};
}

// The actions hand the helpers the decomposed form of a name.
std::string nfd(std::string_view text) {
    return NormalizationSeam::decomposed(text);
}

TEST(FindHelpersTest, LiteralPatternLetsMarksFollowEveryOrdinaryCharacter) {
    EXPECT_EQ(literalPattern("a.b"), R"(a\p{M}*\.b\p{M}*)");
    EXPECT_EQ(literalPattern("(x)"), R"(\(x\p{M}*\))");
    EXPECT_EQ(literalPattern("$"), R"(\$\p{M}*)");
    EXPECT_EQ(literalPattern(""), "");
}

TEST(FindHelpersTest, WildcardPatternTurnsStarsIntoGroups) {
    EXPECT_EQ(wildcardPattern("*"), "([^/]+)");
    EXPECT_EQ(wildcardPattern("a*b"), R"(a\p{M}*([^/]*?)b\p{M}*)");
    EXPECT_EQ(wildcardPattern("a*"), R"(a\p{M}*([^/]*))");
    EXPECT_EQ(wildcardPattern("**"), "^(.*)");
    EXPECT_EQ(wildcardPattern("**x"), R"(^(.*?)x\p{M}*)");
    EXPECT_EQ(wildcardPattern("a**"), R"(a\p{M}*(.*))");
    EXPECT_EQ(wildcardPattern("a**z"), R"(a\p{M}*(.*?)z\p{M}*)");
    // Three stars are a double star and a single one.
    EXPECT_EQ(wildcardPattern("***x"), R"(^(.*?)([^/]*?)x\p{M}*)");
    EXPECT_EQ(wildcardPattern("ab"), literalPattern("ab"));
}

TEST(FindHelpersTest, EmptyFindTextMatchesTheWholeTextInCharacters) {
    EXPECT_EQ(findMatches(nfd("café"), regex("")), (Ranges{{0, 4}}));
    EXPECT_EQ(findMatches("", literal("")), (Ranges{{0, 0}}));
    EXPECT_EQ(findMatches("👨‍👩‍👧x", FindOptions{"", false, false, true, true}), (Ranges{{0, 2}}));
}

TEST(FindHelpersTest, LiteralFindTextWithMetacharactersIsFoundLiterally) {
    EXPECT_EQ(findMatches("axb a.b", literal("a.b")), (Ranges{{4, 7}}));
    EXPECT_EQ(findMatches("x (x)", literal("(x)")), (Ranges{{2, 5}}));
    EXPECT_EQ(findMatches("a$b$", literal("$")), (Ranges{{1, 2}, {3, 4}}));
    EXPECT_EQ(findMatches("a\\b", literal("\\")), (Ranges{{1, 2}}));
    EXPECT_TRUE(findMatches("ab", literal("$")).empty());
    EXPECT_EQ(findMatches("a?b|c^d[e]{f}+*", literal("?b|c^d[e]{f}+*")), (Ranges{{1, 15}}));
    EXPECT_TRUE(findMatches("ab|cd", literal("?b|c")).empty());
}

TEST(FindHelpersTest, FindFirstAndCaseInsensitive) {
    EXPECT_EQ(findMatches("banana", literal("a")), (Ranges{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(findMatches("banana", FindOptions{"a", false, false, false, true}), (Ranges{{1, 2}}));
    EXPECT_TRUE(findMatches("BANANA", literal("nan")).empty());
    EXPECT_EQ(findMatches("BANANA", FindOptions{"nan", false, false, true}), (Ranges{{2, 5}}));
}

TEST(FindHelpersTest, PositionsCountCharactersNotCodeUnits) {
    // Decomposed letters, a skin-toned emoji and a family sequence are one character each.
    const std::string text = nfd("éé👍🏽👨‍👩‍👧x");
    EXPECT_EQ(findMatches(text, literal("x")), (Ranges{{4, 5}}));
    EXPECT_EQ(findMatches(text, literal("👍🏽")), (Ranges{{2, 3}}));
    // A match of a bare mark covers the whole letter it belongs to.
    EXPECT_EQ(findMatches(nfd("aé"), regex("\\p{M}")), (Ranges{{1, 2}}));
}

TEST(FindHelpersTest, AccentedFindTextFindsAccentedLettersOnly) {
    EXPECT_EQ(findMatches(nfd("café"), literal("é")), (Ranges{{3, 4}}));
    EXPECT_TRUE(findMatches("cafe", literal("é")).empty());
    // A plain letter takes the marks that follow it.
    EXPECT_EQ(findMatches(nfd("café"), literal("e")), (Ranges{{3, 4}}));
}

TEST(FindHelpersTest, WildcardsStayInsideOneComponentUnlessDoubled) {
    EXPECT_TRUE(findMatches("/a/b/z", wildcard("a*z")).empty());
    EXPECT_EQ(findMatches("/a/b/z", wildcard("a**z")), (Ranges{{1, 6}}));
    EXPECT_EQ(findMatches("a1z/a2z", wildcard("a*z")), (Ranges{{0, 3}, {4, 7}}));
    EXPECT_TRUE(findMatches("", wildcard("*")).empty());
    EXPECT_EQ(findMatches("x", wildcard("*")), (Ranges{{0, 1}}));
    // Wildcards win over a regular expression: as one, "a*z" would find the "z".
    EXPECT_TRUE(findMatches("/a/b/z", FindOptions{"a*z", true, true}).empty());
}

TEST(FindHelpersTest, InvalidRegexFindsNothing) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(findMatches("a(b", regex("(")).empty());
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" getMatches error: "), std::string::npos);
    EXPECT_TRUE(rangeSearch("(", {}, "a(b").empty());
    EXPECT_EQ(replaceMatches("a(b", "(", "x", false, false), "a(b");
}

TEST(FindHelpersTest, RangeSearchReportsEachEmptyMatchOnceAndTerminates) {
    EXPECT_EQ(rangeSearch("x*", {}, "abc"), (Ranges{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(rangeSearch("a*", {}, "baa"), (Ranges{{0, 0}, {1, 3}}));
    EXPECT_EQ(rangeSearch("x*", {}, ""), (Ranges{{0, 0}}));
    EXPECT_EQ(rangeSearch("(?=a)", {}, "aaa"), (Ranges{{0, 0}, {1, 1}, {2, 2}}));
    // The search steps over a whole letter with its marks, never into it.
    EXPECT_EQ(rangeSearch("\\p{M}?", {}, nfd("éa")), (Ranges{{0, 0}, {1, 1}, {2, 2}}));
}

TEST(FindHelpersTest, RangeSearchAnchorsOnlyAtTheRealStart) {
    EXPECT_EQ(rangeSearch("^a", {}, "aaa"), (Ranges{{0, 1}}));
    EXPECT_EQ(rangeSearch("a", {}, "aXa"), (Ranges{{0, 1}, {2, 3}}));
}

TEST(FindHelpersTest, RangeSearchOptions) {
    EXPECT_TRUE(rangeSearch("A", {}, "a").empty());
    EXPECT_EQ(rangeSearch("A", {true, false}, "a"), (Ranges{{0, 1}}));
    EXPECT_TRUE(rangeSearch(literalPattern("é"), {}, "e").empty());
    EXPECT_EQ(rangeSearch(literalPattern("é"), {false, true}, "e"), (Ranges{{0, 1}}));
    EXPECT_EQ(rangeSearch(literalPattern("é"), {false, true}, nfd("é")), (Ranges{{0, 1}}));
}

TEST(FindHelpersTest, ReplaceMatchesWithWildcardCaptures) {
    EXPECT_EQ(replaceMatches("a-b_c", wildcardPattern("*-*_*"), "$3$2$1", false, false), "cba");
    EXPECT_EQ(replaceMatches("", wildcardPattern("*"), "x", false, false), "");
}

TEST(FindHelpersTest, ReplaceMatchesFindFirstCaseAndTemplateSyntax) {
    EXPECT_EQ(replaceMatches("banana", literalPattern("a"), "x", false, false), "bxnxnx");
    EXPECT_EQ(replaceMatches("banana", literalPattern("a"), "x", false, true), "bxnana");
    EXPECT_EQ(replaceMatches("BaNaNa", literalPattern("n"), "x", false, false), "BaNaNa");
    EXPECT_EQ(replaceMatches("BaNaNa", literalPattern("n"), "x", true, false), "Baxaxa");
    EXPECT_EQ(replaceMatches("a", literalPattern("a"), "\\$1", false, false), "$1");
    EXPECT_EQ(replaceMatches("a.b", literalPattern("."), "(x)", false, false), "a(x)b");
}

TEST(FindHelpersTest, ReplaceMatchesAccentsBothWays) {
    // A plain find letter takes a decomposed accent with it; an accented one leaves plain letters alone.
    EXPECT_EQ(replaceMatches(nfd("café"), literalPattern("e"), "x", false, false), "cafx");
    EXPECT_EQ(replaceMatches("cafe", literalPattern("é"), "x", false, false), "cafe");
    EXPECT_EQ(replaceMatches(nfd("café cafe"), literalPattern("é"), "x", false, false), "cafx cafe");
    EXPECT_EQ(replaceMatches(nfd("CAFÉ"), literalPattern("é"), "x", true, false), "CAFx");
}

} // namespace
} // namespace quillory
