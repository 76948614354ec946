// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PrefixTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::applied;

TransformerProperties prefix(std::string text, std::string find = {}) {
    TransformerProperties p;
    p.prefixText = test::literal(std::move(text));
    p.prefixFindText = std::move(find);
    return p;
}

std::string prefixedName(const TransformerProperties &p, std::string_view name) {
    return applied<PrefixTransformer>(p, TransformScope::filename, File::fromPath("/tmp/" + std::string(name)))
        .transformed.transformedName;
}

TEST(PrefixTransformerTest, BeforeTheWholeTextOrEachMatch) {
    EXPECT_EQ(prefixedName(prefix("new_"), "name"), "new_name");
    EXPECT_EQ(prefixedName(prefix("-", "x"), "axbx"), "a-xb-x");
    TransformerProperties p = prefix("-", "x");
    p.prefixFindFirst = true;
    EXPECT_EQ(prefixedName(p, "axbx"), "a-xbx");
    EXPECT_EQ(prefixedName(prefix("-", "z"), "axbx"), "axbx");
    p = prefix("");
    p.prefixText.reset(); // absent text adds nothing
    EXPECT_EQ(prefixedName(p, "name"), "name");
}

TEST(PrefixTransformerTest, FindOptions) {
    TransformerProperties p = prefix("#", "\\d+");
    p.prefixFindRegex = true;
    EXPECT_EQ(prefixedName(p, "a1b22"), "a#1b#22");
    p = prefix("-", "X");
    p.prefixFindCaseInsensitive = true;
    EXPECT_EQ(prefixedName(p, "axbx"), "a-xb-x");
    p = prefix("-", "b*");
    p.prefixFindWildcards = true;
    EXPECT_EQ(prefixedName(p, "ab1"), "a-b1");
    p = prefix("-", "[");
    p.prefixFindRegex = true;
    EXPECT_EQ(prefixedName(p, "a[b"), "a[b");
    EXPECT_EQ(prefixedName(prefix("-", "["), "a[b"), "a-[b");
}

TEST(PrefixTransformerTest, AccentedFindTextOnPrecomposedName) {
    const std::string name = std::string(test::kCafeNfc) + " cafe";
    EXPECT_EQ(prefixedName(prefix("-", "é"), name), "Caf-é cafe");
    EXPECT_EQ(prefixedName(prefix("-", "e"), name), "Caf-é caf-e");
}

TEST(PrefixTransformerTest, InsertedTextTakesTheFormOfTheName) {
    EXPECT_EQ(prefixedName(prefix("é "), std::string(test::kCafeNfc)), "\xC3\xA9 " + std::string(test::kCafeNfc));
    EXPECT_EQ(prefixedName(prefix("é "), std::string(test::kCafeNfd)), "e\xCC\x81 " + std::string(test::kCafeNfd));
    // Compatibility forms inserted stay as given; only canonical forms follow the name.
    EXPECT_EQ(prefixedName(prefix("ﬁ"), "x"), "ﬁx");
}

} // namespace
} // namespace quillory
