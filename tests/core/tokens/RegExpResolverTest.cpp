// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/RegExpResolver.h"

#include "text/Regex.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

RegExpToken token(void (*setup)(RegExpToken&)) {
    RegExpToken t;
    setup(t);
    return t;
}

TEST(RegExpResolverTest, PatternsAndLabelsOfCharacterKinds) {
    struct Case {
        RegExpToken token;
        const char* pattern;
        const char* label;
    };
    const Case cases[] = {
        {token([](RegExpToken& t) { t.alphabetic = true; }), "((?:[\\p{L}]\\p{M}*)+)", "One or more letters  "},
        {token([](RegExpToken& t) {
             t.numeric = true;
             t.count = 4;
             t.anchor = RegExpAnchor::start;
         }),
         "^((?:[\\d]){4})", "From Start: 4 numbers "},
        {token([](RegExpToken& t) {
             t.containing = false;
             t.whitespace = true;
         }),
         "((?:[^\\s])+)", "One or more except whitespace  "},
        {token([](RegExpToken& t) {
             t.containing = false;
             t.alphabetic = true;
         }),
         "((?:[^\\p{L}\\p{M}])+)", "One or more except letters  "},
        {token([](RegExpToken& t) {
             t.punctuation = true;
             t.anchor = RegExpAnchor::startEnd;
         }),
         "^((?:[\\p{P}\\p{S}])+)$", "From Start to End: One or more punctuation  "},
        {token([](RegExpToken& t) {
             t.numeric = true;
             t.anchor = RegExpAnchor::end;
             t.count = -3;
         }),
         "((?:[\\d])+)$", "From End: One or more numbers  "},
        {RegExpToken(), "((?:[])+)", "One or more  "},
    };
    for (const auto& c : cases) {
        auto resolved = RegExpResolver::resolve(TokenItem::regex(c.token));
        EXPECT_EQ(resolved.pattern, c.pattern) << c.token.description();
        EXPECT_EQ(resolved.label, c.label) << c.token.description();
    }
}

TEST(RegExpResolverTest, CustomCharactersAreLiteralInsideTheClass) {
    RegExpToken t;
    t.custom = "a-z]";
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
    RegExpToken t;
    t.alphabetic = true;
    t.count = 2;
    auto regex = text::Regex::compile(std::string_view(RegExpResolver::resolve(t).pattern));
    ASSERT_TRUE(regex.ok());
    // "e" + combining acute, then "a": two letters.
    EXPECT_TRUE(regex->matchesWhole(u"e\u0301a"));
}

TEST(RegExpResolverTest, TokenStringJoinsItemsAndIgnoresAttributes) {
    RegExpToken digits;
    digits.numeric = true;
    digits.count = 3;
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
