// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Regex.h"

#include "text/Utf.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

using namespace quillory::text;

namespace {

Regex compiled(std::u16string_view pattern, RegexOptions options = {}) {
    auto regex = Regex::compile(pattern, options);
    if (!regex)
        ADD_FAILURE() << regex.error().message;
    return regex ? *regex : *Regex::compile(u"(?!)");
}

std::vector<Span> ranges(const std::vector<RegexMatch> &matches) {
    std::vector<Span> out;
    for (const auto &m : matches)
        out.push_back(m.range());
    return out;
}

std::u16string replaced(std::u16string_view pattern, std::u16string_view text, std::u16string_view tmpl,
                        RegexOptions options = {}) {
    return compiled(pattern, options).replaceAll(text, tmpl);
}

} // namespace

TEST(Regex, InvalidPatternIsAnErrorWithMessage) {
    for (std::u16string_view bad : {u"(abc", u"a{2,1}", u"[z-a]", u"*x", u"\\", u"(?<n>a)(?<n>b)"}) {
        const auto regex = Regex::compile(bad);
        ASSERT_FALSE(regex.ok()) << toUtf8(bad);
        EXPECT_NE(regex.error().message.find("U_REGEX_"), std::string::npos) << regex.error().message;
        EXPECT_NE(regex.error().message.find("offset"), std::string::npos) << regex.error().message;
    }
    EXPECT_TRUE(Regex::compile(std::string_view("caf\xC3\xA9|(x)")).ok());
}

TEST(Regex, TemplatesInsertGroupsAndEscapes) {
    EXPECT_EQ(replaced(u"(\\w+)-(\\d+)", u"photo-12", u"$2_$1"), u"12_photo");
    EXPECT_EQ(replaced(u"(\\d+)", u"cost 5", u"\\$$1"), u"cost $5");
    EXPECT_EQ(replaced(u"x", u"axb", u"\\\\"), u"a\\b");
    EXPECT_EQ(replaced(u"b", u"abc", u"[$0]"), u"a[b]c");
    EXPECT_EQ(replaced(u"(?<year>\\d{4})", u"in 2021", u"${year}!"), u"in 2021!");
    EXPECT_EQ(replaced(u"a", u"a", u"\\u00e9"), u"\u00e9");
    // A group that did not take part inserts nothing.
    EXPECT_EQ(replaced(u"(a)|(b)", u"ab", u"[$1$2]"), u"[a][b]");
    // Group numbers the pattern lacks insert nothing; digits past the group count are literal.
    EXPECT_EQ(replaced(u"(a)", u"a", u"$1$2$3"), u"a");
    EXPECT_EQ(replaced(u"(a)", u"a", u"$10"), u"a0");
    EXPECT_EQ(replaced(u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", u"abcdefghij", u"$10"), u"j");
    // A dollar sign that introduces no group stays; a trailing backslash is dropped.
    EXPECT_EQ(replaced(u"a", u"a", u"$x US$"), u"$x US$");
    EXPECT_EQ(replaced(u"a", u"a", u"b\\"), u"b");
    // escapeTemplate makes any text come out literally.
    const std::u16string literal = u"$1 \\$ ${x} \\u0041";
    EXPECT_EQ(replaced(u"(a)", u"a", escapeTemplate(literal)), literal);
}

TEST(Regex, ExpandTemplateForOneMatch) {
    const Regex regex = compiled(u"(\\d+)x(\\d+)?");
    const std::u16string text = u"img 12x end";
    const auto match = regex.firstMatch(text);
    ASSERT_TRUE(match.has_value());
    ASSERT_EQ(match->groups.size(), 3u);
    EXPECT_EQ(match->range(), (Span{4, 7}));
    EXPECT_FALSE(match->groups[2].has_value());
    EXPECT_EQ(regex.expandTemplate(text, *match, u"<$1|$2>"), u"<12|>");
    EXPECT_EQ(regex.groupCount(), 2u);
}

TEST(Regex, EmptyMatchesTerminateAndAreReportedOnce) {
    EXPECT_EQ(ranges(compiled(u"x*").allMatches(u"ab")), (std::vector<Span>{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(ranges(compiled(u"").allMatches(u"ab")), (std::vector<Span>{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(ranges(compiled(u"^").allMatches(u"ab")), (std::vector<Span>{{0, 0}}));
    EXPECT_EQ(ranges(compiled(u"$").allMatches(u"ab")), (std::vector<Span>{{2, 2}}));
    EXPECT_EQ(ranges(compiled(u"x*").allMatches(u"")), (std::vector<Span>{{0, 0}}));
    // An empty match moves on by a whole code point, never splitting a surrogate pair.
    EXPECT_EQ(ranges(compiled(u"").allMatches(u"\U0001F600")), (std::vector<Span>{{0, 0}, {2, 2}}));
    EXPECT_EQ(replaced(u"x*", u"ab", u"-"), u"-a-b-");
    EXPECT_EQ(replaced(u"^", u"ab", u">"), u">ab");
    EXPECT_EQ(replaced(u"$", u"ab", u"<"), u"ab<");
}

TEST(Regex, OptionsChangeMatching) {
    EXPECT_EQ(compiled(u"abc").allMatches(u"ABC abc").size(), 1u);
    EXPECT_EQ(compiled(u"abc", {.caseInsensitive = true}).allMatches(u"ABC abc").size(), 2u);
    EXPECT_EQ(compiled(u"^\\w", {}).allMatches(u"a\nb").size(), 1u);
    EXPECT_EQ(compiled(u"^\\w", {.multiline = true}).allMatches(u"a\nb").size(), 2u);
    EXPECT_FALSE(compiled(u"a.b").contains(u"a\nb"));
    EXPECT_TRUE(compiled(u"a.b", {.dotAll = true}).contains(u"a\nb"));
    EXPECT_TRUE(compiled(u"\\d+").matchesWhole(u"123"));
    EXPECT_FALSE(compiled(u"\\d+").matchesWhole(u"123a"));
}

TEST(Regex, EscapedPatternsMatchOnlyLiterally) {
    for (std::u16string_view literal : {u"a.b", u"(x)", u"$", u"\\d", u"[", u"a|b", u"x{2}", u"^*+?", u"]}-&#/ ~"}) {
        const Regex regex = compiled(escapePattern(literal));
        EXPECT_TRUE(regex.matchesWhole(literal)) << toUtf8(literal);
    }
    EXPECT_FALSE(compiled(escapePattern(u"a.b")).contains(u"axb"));
    EXPECT_FALSE(compiled(escapePattern(u"\\d")).contains(u"7"));
    EXPECT_FALSE(compiled(escapePattern(u"(x)")).contains(u"x"));
    EXPECT_FALSE(compiled(escapePattern(u"$")).contains(u"abc"));
    // Every printable ASCII character on its own.
    for (char16_t c = 0x20; c < 0x7F; ++c) {
        const std::u16string literal(1, c);
        const auto regex = Regex::compile(escapePattern(literal));
        ASSERT_TRUE(regex.ok()) << char(c);
        EXPECT_TRUE(regex->matchesWhole(literal)) << char(c);
        EXPECT_EQ(regex->allMatches(u"\u00e9\u00e9" + literal + u"\u00e9").size(), 1u) << char(c);
    }
}

TEST(Regex, WindowedSearchKeepsContext) {
    const Regex regex = compiled(u"(?<=-)\\d");
    const std::u16string text = u"-1-2-3-4";
    EXPECT_EQ(ranges(regex.allMatches(text, 2, 6)), (std::vector<Span>{{3, 4}, {5, 6}}));
    // Lookbehind sees the character before the window.
    EXPECT_EQ(ranges(regex.allMatches(text, 1, 2)), (std::vector<Span>{{1, 2}}));
    // A match starting inside the window may run past its end.
    EXPECT_EQ(ranges(compiled(u"\\d-\\d").allMatches(u"1-2-3", 1, 3)), (std::vector<Span>{{2, 5}}));
    EXPECT_TRUE(regex.allMatches(text, 4, 4).empty());
    EXPECT_TRUE(regex.allMatches(text, 6, 2).empty());
    EXPECT_EQ(regex.allMatches(text, 0, 100).size(), 4u);
    // "^" only at the start of the text, not at the start of a window.
    EXPECT_TRUE(compiled(u"^\\d").allMatches(u"12", 1, 2).empty());
    ASSERT_TRUE(regex.firstMatch(text, 4).has_value());
    EXPECT_EQ(regex.firstMatch(text, 4)->range(), (Span{5, 6}));
    EXPECT_FALSE(regex.firstMatch(text, 99).has_value());
}

TEST(Regex, RepeatedSearchesStartAfresh) {
    // Matchers are reused between calls: nothing of one search may leak into the next.
    const Regex digits = compiled(u"^\\d");
    EXPECT_TRUE(digits.allMatches(u"12", 1, 2).empty());
    EXPECT_EQ(ranges(digits.allMatches(u"34")), (std::vector<Span>{{0, 1}}));
    EXPECT_FALSE(digits.firstMatch(u"x5", 0).has_value());
    EXPECT_TRUE(digits.matchesWhole(u"7"));

    // More patterns than are kept at once, used in turn, each still matching its own text.
    std::vector<Regex> many;
    for (int i = 0; i < 50; ++i)
        many.push_back(compiled(u"n" + toUtf16(std::to_string(i)) + u"\\b"));
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 50; ++i) {
            const std::u16string text = u"x n" + toUtf16(std::to_string(i)) + u" y";
            EXPECT_EQ(ranges(many[static_cast<std::size_t>(i)].allMatches(text)).size(), 1u) << i;
            EXPECT_TRUE(many[static_cast<std::size_t>((i + 1) % 50)].allMatches(text).empty()) << i;
        }
}

TEST(Regex, CopiesShareThePatternAcrossThreadsAndOutliveTheOriginal) {
    std::optional<Regex> original = compiled(u"(\\d+)");
    Regex copy = *original;
    const Regex moved = std::move(copy);
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const Regex &regex = t % 2 ? *original : moved;
            for (int i = 0; i < 2000; ++i)
                wrong[t] += regex.replaceAll(u"a1b22", u"<$1>") != u"a<1>b<22>";
        });
    }
    for (auto &thread : threads)
        thread.join();
    for (int w : wrong)
        EXPECT_EQ(w, 0);
    original.reset();
    EXPECT_EQ(moved.replaceAll(u"a1b22", u"<$1>"), u"a<1>b<22>");
    EXPECT_EQ(moved.pattern(), u"(\\d+)");
}
