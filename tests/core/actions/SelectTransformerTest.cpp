// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SelectTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::applied;

TransformerProperties select(std::optional<std::string> type, std::optional<std::string> match) {
    TransformerProperties p;
    p.selectType = std::move(type);
    p.selectMatch = std::move(match);
    return p;
}

bool selected(const TransformerProperties &p, const File &file, TransformScope scope = TransformScope::filename) {
    return applied<SelectTransformer>(p, scope, file).transformed.isSelected;
}

const File kImage = File::fromPath("/home/me/Photos/img_001.jpg");
const File kDoc = File::fromPath("/home/me/Docs/report.pdf");

TEST(SelectTransformerTest, MatchingIgnoresCaseAndNotMatchingInverts) {
    EXPECT_TRUE(selected(select("matching", "^IMG"), kImage));
    EXPECT_FALSE(selected(select("matching", "^IMG"), kDoc));
    EXPECT_FALSE(selected(select("notmatching", "^IMG"), kImage));
    EXPECT_TRUE(selected(select("notmatching", "^IMG"), kDoc));
    // Any other type counts as "notmatching"; anchors hold at the real ends of the text.
    EXPECT_TRUE(selected(select("whatever", "^IMG"), kDoc));
    EXPECT_FALSE(selected(select("matching", "^001"), kImage));
    EXPECT_TRUE(selected(select("matching", "001$"), kImage));
}

TEST(SelectTransformerTest, EmptyOrInvalidExpressionMatchesNothing) {
    for (const auto &match : {std::optional<std::string>(), std::optional<std::string>("")}) {
        EXPECT_FALSE(selected(select("matching", match), kImage));
        EXPECT_TRUE(selected(select("notmatching", match), kImage));
    }
    testing::internal::CaptureStdout();
    EXPECT_FALSE(selected(select("matching", "(img"), kImage));
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" isMatch error: "), std::string::npos);
    EXPECT_TRUE(selected(select("notmatching", "(img"), kImage));
}

// Each select decides afresh, whatever an earlier one chose.
TEST(SelectTransformerTest, ALaterSelectDecidesAfresh) {
    File file = kDoc;
    for (const bool before : {false, true}) {
        file.transformed.isSelected = before;
        EXPECT_TRUE(selected(select("all", "^IMG"), file));
        EXPECT_TRUE(selected(select("all", std::nullopt), file));
        EXPECT_TRUE(selected(select(std::nullopt, "^IMG"), file));
        EXPECT_TRUE(selected(select("matching", "report"), file));
        EXPECT_FALSE(selected(select("notmatching", "report"), file));
        EXPECT_FALSE(selected(select("matching", "^IMG"), file));
    }
}

TEST(SelectTransformerTest, EveryScopeTestsItsOwnTransformedText) {
    File file = kImage;
    file.transformed.transformedPath = "/home/me/Sorted";
    EXPECT_TRUE(selected(select("matching", "sorted$"), file, TransformScope::path));
    EXPECT_FALSE(selected(select("matching", "photos"), file, TransformScope::path));
    EXPECT_FALSE(selected(select("matching", "sorted"), file, TransformScope::filename));
    EXPECT_TRUE(selected(select("matching", "^jpe?g$"), file, TransformScope::ext));
    EXPECT_TRUE(selected(select("matching", "^/home/me/sorted/img_\\d+\\.jpg$"), file, TransformScope::fullPath));
    // The text itself is never rewritten.
    const File after = applied<SelectTransformer>(select("matching", "img"), TransformScope::fullPath, file);
    EXPECT_EQ(after.transformed.fullPath(), file.transformed.fullPath());
}

TEST(SelectTransformerTest, AccentedExpressionOnPrecomposedName) {
    const File file = File::fromPath("/tmp/" + std::string(test::kCafeNfc) + ".txt");
    EXPECT_TRUE(selected(select("matching", "CAFÉ"), file));
    EXPECT_FALSE(selected(select("matching", "cafe$"), file));
}

} // namespace
} // namespace quillory
