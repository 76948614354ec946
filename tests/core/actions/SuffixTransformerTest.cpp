// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SuffixTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::applied;

TransformerProperties suffix(std::string text, std::string find = {}) {
    TransformerProperties p;
    p.suffixText = test::literal(std::move(text));
    p.suffixFindText = std::move(find);
    return p;
}

std::string suffixedName(const TransformerProperties &p, std::string_view name) {
    return applied<SuffixTransformer>(p, TransformScope::filename, File::fromPath("/tmp/" + std::string(name)))
        .transformed.transformedName;
}

TEST(SuffixTransformerTest, AfterTheWholeTextOrEachMatch) {
    EXPECT_EQ(suffixedName(suffix("_old"), "name"), "name_old");
    EXPECT_EQ(suffixedName(suffix("!", "zzz"), "name"), "name");
    EXPECT_EQ(suffixedName(suffix("-", "x"), "axbx"), "ax-bx-");
    TransformerProperties p = suffix("-", "x");
    p.suffixFindFirst = true;
    EXPECT_EQ(suffixedName(p, "axbx"), "ax-bx");
}

TEST(SuffixTransformerTest, FindOptionsAndCharacters) {
    TransformerProperties p = suffix("#", "\\d+");
    p.suffixFindRegex = true;
    EXPECT_EQ(suffixedName(p, "a1b22"), "a1#b22#");
    p = suffix("!", "É");
    EXPECT_EQ(suffixedName(p, "éte"), "éte");
    p.suffixFindCaseInsensitive = true;
    EXPECT_EQ(suffixedName(p, "éte"), "é!te");
    // A suffix after a decomposed letter goes after its accent, not between them.
    EXPECT_EQ(suffixedName(suffix("!", "e"), std::string(test::kCafeNfd)), std::string(test::kCafeNfd) + "!");
    EXPECT_EQ(suffixedName(suffix("!", "👍"), "a👍🏽b"), "a👍🏽!b");
}

} // namespace
} // namespace quillory
