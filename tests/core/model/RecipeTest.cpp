// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Recipe.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TEST(RecipeVersionTest, ComparisonReadsMajorMinorPatch) {
    EXPECT_EQ(Recipe::parseVersion("8.0.3"), (Recipe::Version{8, 0, 3}));
    EXPECT_EQ(Recipe::parseVersion("v12.4"), (Recipe::Version{12, 4, 0}));
    EXPECT_EQ(Recipe::parseVersion("5"), (Recipe::Version{5, 0, 0}));
    EXPECT_EQ(Recipe::parseVersion("draft"), (Recipe::Version{}));
    EXPECT_EQ(Recipe::compareToCurrent(std::string("7.10")), Recipe::VersionComparison::older);
    EXPECT_EQ(Recipe::compareToCurrent(std::string("8.0")), Recipe::VersionComparison::equal);
    EXPECT_EQ(Recipe::compareToCurrent(std::string("99999999999999999999999.0")), Recipe::VersionComparison::newer);
    EXPECT_EQ(Recipe::compareToCurrent(std::nullopt), Recipe::VersionComparison::newer);
}

} // namespace
} // namespace quillory
