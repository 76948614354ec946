// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SetTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::applied;

TransformerProperties set(std::string text, std::string find = {}) {
    TransformerProperties p;
    p.setText = test::literal(std::move(text));
    p.setFindText = std::move(find);
    return p;
}

const File kHoliday = File::fromPath("/home/me/Holidays/beach.jpg");
const File kWork = File::fromPath("/home/me/Work/report.pdf");

TEST(SetTransformerTest, EmptyFindTextSetsEveryFile) {
    for (const File &file : {kHoliday, kWork}) {
        EXPECT_EQ(applied<SetTransformer>(set("same"), TransformScope::filename, file).transformed.transformedName,
                  "same");
    }
}

TEST(SetTransformerTest, TestsTheSourceFullPathNotTheTransformedOne) {
    const TransformerProperties p = set("holiday", "/Holidays/");
    // An earlier action moved both files: the holiday file is still set, the work file is not.
    File moved = kHoliday;
    moved.transformed.transformedPath = "/home/me/Elsewhere";
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, moved).transformed.transformedName, "holiday");
    File intoHolidays = kWork;
    intoHolidays.transformed.transformedPath = "/home/me/Holidays";
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, intoHolidays).transformed.transformedName,
              "report");
}

TEST(SetTransformerTest, FindOptions) {
    TransformerProperties p = set("x", "/holidays/");
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kHoliday).transformed.transformedName, "beach");
    p.setFindCaseInsensitive = true;
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kHoliday).transformed.transformedName, "x");
    p = set("x", "\\.pdf$");
    p.setFindRegex = true;
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kWork).transformed.transformedName, "x");
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kHoliday).transformed.transformedName, "beach");
    p = set("x", "/*/beach");
    p.setFindWildcards = true;
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kHoliday).transformed.transformedName, "x");
    p = set("x", "(");
    p.setFindRegex = true;
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::filename, kHoliday).transformed.transformedName, "beach");
}

TEST(SetTransformerTest, AccentedFolderOnPrecomposedPath) {
    const File file = File::fromPath("/home/me/" + std::string(test::kCafeNfc) + "/menu.txt");
    EXPECT_EQ(applied<SetTransformer>(set("x", "/Café/"), TransformScope::filename, file).transformed.transformedName,
              "x");
    EXPECT_EQ(applied<SetTransformer>(set("x", "/Cafe/"), TransformScope::filename, kHoliday)
                  .transformed.transformedName,
              "beach");
}

TEST(SetTransformerTest, AbsentTextEmptiesTheScope) {
    TransformerProperties p = set("");
    p.setText.reset();
    EXPECT_EQ(applied<SetTransformer>(p, TransformScope::ext, kHoliday).transformed.transformedExt, "");
}

TEST(SetTransformerTest, PathExtensionAndFullPathScopes) {
    EXPECT_EQ(applied<SetTransformer>(set("/srv/photos"), TransformScope::path, kHoliday).transformed.transformedPath,
              "/srv/photos");
    EXPECT_EQ(applied<SetTransformer>(set("png"), TransformScope::ext, kHoliday).transformed.transformedExt, "png");
    const File moved = applied<SetTransformer>(set("/srv/new/name.txt"), TransformScope::fullPath, kHoliday);
    EXPECT_EQ(moved.transformed.transformedPath, "/srv/new");
    EXPECT_EQ(moved.transformed.transformedName, "name");
    EXPECT_EQ(moved.transformed.transformedExt, "txt");
}

TEST(SetTransformerTest, ResolverErrorStopsTheAction) {
    TransformerProperties p;
    p.setText = test::withAttribute("x", "exifDate");
    TransformStatus status;
    const File result = applied<SetTransformer>(p, TransformScope::filename, kHoliday, &status);
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isLateUpdateRequired());
    EXPECT_EQ(result.transformed, kHoliday.transformed);
}

} // namespace
} // namespace quillory
