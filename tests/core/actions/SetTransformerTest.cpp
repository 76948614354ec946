// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/SetTransformer.h"

#include "StubTokenResolver.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TransformerProperties set(std::string text, std::string find = {}) {
    TransformerProperties p;
    p.setText = test::literal(std::move(text));
    p.setFindText = std::move(find);
    return p;
}

std::string setName(const TransformerProperties &p, const File &file) {
    return test::applied<SetTransformer>(p, TransformScope::filename, file).transformed.transformedName;
}

const File kHoliday = File::fromPath("/home/me/Holidays/beach.jpg");
const File kWork = File::fromPath("/home/me/Work/report.pdf");

TEST(SetTransformerTest, EmptyFindTextSetsEveryFile) {
    for (const File &file : {kHoliday, kWork})
        EXPECT_EQ(setName(set("same"), file), "same");
}

TEST(SetTransformerTest, TestsTheSourceFullPathNotTheTransformedOne) {
    const TransformerProperties p = set("holiday", "/Holidays/");
    // An earlier action moved both files: the holiday file is still set, the work file is not.
    File moved = kHoliday;
    moved.transformed.transformedPath = "/home/me/Elsewhere";
    EXPECT_EQ(setName(p, moved), "holiday");
    File intoHolidays = kWork;
    intoHolidays.transformed.transformedPath = "/home/me/Holidays";
    EXPECT_EQ(setName(p, intoHolidays), "report");
}

TEST(SetTransformerTest, FindOptions) {
    TransformerProperties p = set("x", "/holidays/");
    EXPECT_EQ(setName(p, kHoliday), "beach");
    p.setFindCaseInsensitive = true;
    EXPECT_EQ(setName(p, kHoliday), "x");
    p = set("x", "\\.pdf$");
    p.setFindRegex = true;
    EXPECT_EQ(setName(p, kWork), "x");
    EXPECT_EQ(setName(p, kHoliday), "beach");
    p = set("x", "/*/beach");
    p.setFindWildcards = true;
    EXPECT_EQ(setName(p, kHoliday), "x");
    p = set("x", "(");
    p.setFindRegex = true;
    EXPECT_EQ(setName(p, kHoliday), "beach");
}

TEST(SetTransformerTest, AccentedFolderOnPrecomposedPath) {
    EXPECT_EQ(setName(set("x", "/Café/"), File::fromPath("/home/me/" + std::string(test::kCafeNfc) + "/menu.txt")),
              "x");
    EXPECT_EQ(setName(set("x", "/Cafe/"), kHoliday), "beach");
}

TEST(SetTransformerTest, AbsentTextEmptiesTheScope) {
    TransformerProperties p = set("");
    p.setText.reset();
    EXPECT_EQ(test::applied<SetTransformer>(p, TransformScope::ext, kHoliday).transformed.transformedExt, "");
}

} // namespace
} // namespace quillory
