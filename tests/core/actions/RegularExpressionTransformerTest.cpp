// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/RegularExpressionTransformer.h"

#include "TableTokenResolver.h"

#include <gtest/gtest.h>

using namespace quillory;

namespace {

class RegularExpressionTransformerTest : public ::testing::Test {
protected:
    RegularExpressionTransformerTest() {
        // The attribute is not loaded yet, as in a quick pass.
        resolver->errors.emplace("exifDate", TransformError::lateUpdateRequired());
        transformer.setResolvers({resolver, resolver});
    }

    std::string name(const std::string& fileName) {
        File file = File::fromPath("/d/" + fileName);
        file.resetTransform();
        const auto status = transformer.transform(properties, TransformScope::filename, file, 0, {});
        EXPECT_TRUE(status.ok());
        return file.transformed.transformedName;
    }
    void set(const std::string& find, const std::string& replace) {
        properties.regexFindText = TokenString::fromPlainString(find);
        properties.regexReplaceText = TokenString::fromPlainString(replace);
    }

    RegularExpressionTransformer transformer;
    std::shared_ptr<test::TableTokenResolver> resolver = std::make_shared<test::TableTokenResolver>();
    TransformerProperties properties;
};

TEST_F(RegularExpressionTransformerTest, ReplacesWithCaptureGroupsFirstOnlyOrIgnoringCase) {
    set("(\\d+)-(\\d+)", "$2-$1");
    EXPECT_EQ(name("10-20"), "20-10");
    set("a", "x");
    EXPECT_EQ(name("banana"), "bxnxnx");
    properties.regexFindFirst = true;
    EXPECT_EQ(name("banana"), "bxnana");
    properties = {};
    set("abc", "x");
    EXPECT_EQ(name("ABC"), "ABC");
    properties.regexCaseInsensitive = true;
    EXPECT_EQ(name("ABC"), "x");
    // An invalid expression changes nothing.
    set("(", "x");
    EXPECT_EQ(name("a(b"), "a(b");
}

TEST_F(RegularExpressionTransformerTest, AccentsAreMatchedOnPrecomposedNames) {
    set("e", "E");
    EXPECT_EQ(name("caf\u00e9"), "caf\u00c9");
    set("e\\p{M}*", "[$0]");
    EXPECT_EQ(name("caf\u00e9"), "caf[\u00e9]");
}

TEST_F(RegularExpressionTransformerTest, ResolvedReplacementsAreTemplates) {
    resolver->values.emplace("title", "<$1>");
    properties.regexFindText = TokenString::fromPlainString("(b)");
    properties.regexReplaceText = TokenString({TokenItem::attribute("title")});
    EXPECT_EQ(name("abc"), "a<b>c");
}

TEST_F(RegularExpressionTransformerTest, ExpressionFromRegexTokens) {
    RegExpToken digits;
    digits.numeric = true;
    digits.count = 3;
    properties.regexFindText = TokenString({TokenItem::text("IMG_"), TokenItem::regex(digits)});
    properties.regexReplaceText = TokenString::fromPlainString("Photo $1");
    EXPECT_EQ(RegularExpressionTransformer::expression(properties), "IMG_((?:[\\d]){3})");
    EXPECT_EQ(name("IMG_123"), "Photo 123");
}

TEST_F(RegularExpressionTransformerTest, AnEmptyExpressionResolvesNothing) {
    properties.regexReplaceText = TokenString({TokenItem::attribute("exifDate")});
    EXPECT_EQ(name("abc"), "abc");
    properties.regexFindText = TokenString();
    EXPECT_EQ(name("abc"), "abc");
    EXPECT_EQ(resolver->calls, 0);
}

} // namespace
