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

TEST(PrefixTransformerTest, PathExtensionAndFullPathScopes) {
    const File photo = File::fromPath("/home/me/Photos/IMG_0042.jpg");
    EXPECT_EQ(applied<PrefixTransformer>(prefix("My", "Photos"), TransformScope::path, photo)
                  .transformed.transformedPath,
              "/home/me/MyPhotos");
    EXPECT_EQ(applied<PrefixTransformer>(prefix("x"), TransformScope::ext, photo).transformed.transformedExt,
              "xjpg");
    const File moved = applied<PrefixTransformer>(prefix("2024/", "IMG"), TransformScope::fullPath, photo);
    EXPECT_EQ(moved.transformed.transformedPath, "/home/me/Photos/2024");
    EXPECT_EQ(moved.transformed.transformedName, "IMG_0042");
}

TEST(PrefixTransformerTest, AbsentTextAddsNothingAndAttributesMayDelay) {
    TransformerProperties p = prefix("");
    p.prefixText.reset();
    EXPECT_EQ(prefixedName(p, "name"), "name");
    p.prefixText = test::withAttribute("x", "exifDate");
    TransformStatus status;
    applied<PrefixTransformer>(p, TransformScope::filename, File::fromPath("/tmp/name"), &status);
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isLateUpdateRequired());
}

} // namespace
} // namespace quillory
