// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/RegExpResolver.h"

#include "text/Regex.h"

#include <gtest/gtest.h>

// Tokens are written with designated initializers that name only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace quillory;

namespace {

TEST(RegExpResolverTest, PatternsAndLabelsOfCharacterKinds) {
    struct Case {
        RegExpToken token;
        const char* pattern;
        const char* label;
    };
    const Case cases[] = {
        {{.alphabetic = true}, "((?:[\\p{L}]\\p{M}*)+)", "One or more letters  "},
        {{.numeric = true, .count = 4, .anchor = RegExpAnchor::start}, "^((?:[\\d]){4})", "From Start: 4 numbers "},
        {{.containing = false, .whitespace = true}, "((?:[^\\s])+)", "One or more except whitespace  "},
        {{.containing = false, .alphabetic = true}, "((?:[^\\p{L}\\p{M}])+)", "One or more except letters  "},
        {{.punctuation = true, .anchor = RegExpAnchor::startEnd},
         "^((?:[\\p{P}\\p{S}])+)$",
         "From Start to End: One or more punctuation  "},
        {{.numeric = true, .count = -3, .anchor = RegExpAnchor::end},
         "((?:[\\d])+)$",
         "From End: One or more numbers  "},
        {RegExpToken(), "((?:[])+)", "One or more  "},
    };
    for (const auto& c : cases) {
        auto resolved = RegExpResolver::resolve(TokenItem::regex(c.token));
        EXPECT_EQ(resolved.pattern, c.pattern) << c.token.description();
        EXPECT_EQ(resolved.label, c.label) << c.token.description();
    }
}

TEST(RegExpResolverTest, CustomCharactersAreLiteralInsideTheClass) {
    RegExpToken t{.custom = "a-z]"};
    auto resolved = RegExpResolver::resolve(t);
    EXPECT_EQ(resolved.pattern, "((?:[a\\-z\\]])+)");
    EXPECT_EQ(resolved.label, "One or more a-z]  ");

    // The class matches the four characters, not the range a to z.
    auto regex = text::Regex::compile(std::string_view(resolved.pattern));
    ASSERT_TRUE(regex.ok()) << regex.error().message;
    EXPECT_TRUE(regex->matchesWhole(u"a-z]"));
    EXPECT_FALSE(regex->matchesWhole(u"b"));

    t.custom = "^\\[";
    EXPECT_EQ(RegExpResolver::resolve(t).pattern, "((?:[\\^\\\\\\[])+)");
}

TEST(RegExpResolverTest, LettersTakeTheirCombiningMarksAlong) {
    const RegExpToken t{.alphabetic = true, .count = 2};
    auto regex = text::Regex::compile(std::string_view(RegExpResolver::resolve(t).pattern));
    ASSERT_TRUE(regex.ok());
    // "e" + combining acute, then "a": two letters.
    EXPECT_TRUE(regex->matchesWhole(u"e\u0301a"));
}

TEST(RegExpResolverTest, TokenStringJoinsItemsAndIgnoresAttributes) {
    const RegExpToken digits{.numeric = true, .count = 3};
    TokenString tokens({TokenItem::text("IMG_"), TokenItem::regex(digits)});
    auto resolved = RegExpResolver::resolve(tokens);
    EXPECT_EQ(resolved.pattern, "IMG_((?:[\\d]){3})");
    EXPECT_EQ(resolved.label, "3 numbers ");

    auto withAttribute = tokens;
    withAttribute.items.push_back(TokenItem::attribute("date-created"));
    EXPECT_EQ(RegExpResolver::resolve(withAttribute), resolved);
    EXPECT_EQ(RegExpResolver::resolve(TokenItem::attribute("x")), RegExpPattern());
    // Literal text in a find field is pattern syntax: it is taken as written.
    EXPECT_EQ(RegExpResolver::resolve(TokenItem::text("a.b*")).pattern, "a.b*");
}

} // namespace
