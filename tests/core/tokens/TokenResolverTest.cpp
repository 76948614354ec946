// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenResolver.h"

#include "TableTokenResolver.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

using TableResolver = test::TableTokenResolver;

TokenItem wrapped(TokenItem item) {
    item.prefix = "(";
    item.suffix = ")";
    return item;
}

TEST(TokenResolverTest, PrefixAndSuffixWrapOnlyNonEmptyText) {
    TableResolver resolver;
    resolver.values = {{"year", "2021"}, {"empty", ""}};
    auto file = File::fromPath("/tmp/a.txt");
    TokenString tokens({TokenItem::text("x"), wrapped(TokenItem::attribute("empty")),
                        wrapped(TokenItem::attribute("year")), wrapped(TokenItem::text("s")),
                        wrapped(TokenItem::text(""))});
    auto text = resolver.text(tokens, file, {});
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, "x(2021)(s)");
    EXPECT_EQ(*resolver.text(std::optional<TokenString>(), file, {}), "");
    EXPECT_EQ(*resolver.text(TokenString(), file, {}), "");
}

TEST(TokenResolverTest, FirstErrorStopsTheText) {
    TableResolver resolver;
    resolver.errors.emplace("late", TransformError::lateUpdateRequired());
    resolver.errors.emplace("bad", TransformError::fatal("GPS failed", "offline"));
    auto file = File::fromPath("/tmp/a.txt");
    auto text = resolver.text(
        TokenString({TokenItem::text("a"), TokenItem::attribute("late"), TokenItem::attribute("bad")}), file, {});
    ASSERT_FALSE(text.ok());
    EXPECT_TRUE(text.error().isLateUpdateRequired());
    EXPECT_EQ(resolver.calls, 2);
}

TEST(TokenResolverTest, LiteralResolverLeavesAttributesEmpty) {
    LiteralTokenResolver resolver;
    auto file = File::fromPath("/tmp/a.txt");
    auto text = resolver.text(TokenString({TokenItem::text("a"), wrapped(TokenItem::attribute("date-created")),
                                           TokenItem::regex(RegExpToken(), "r")}),
                              file, {});
    EXPECT_EQ(*text, "ar");
}

} // namespace
