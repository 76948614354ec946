// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/PositionTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillory {
namespace {

// Paths that differ only near their end, as the files of one folder do, many more than the table was
// sized for: it grows, keeps the first of two equal texts and finds each at its position.
TEST(PositionTableTest, FindsEveryPathAtItsPositionThroughGrowthAndKeepsTheFirstOfEqualTexts) {
    std::vector<std::string> paths;
    for (int i = 0; i < 5000; ++i)
        paths.push_back("/photos/2024/summer/IMG_" + std::to_string(i) + ".jpg");
    paths.push_back(""); // an empty text is a text like any other
    paths.push_back(paths[42]);
    const auto textOf = [&paths](std::size_t i) { return std::string_view(paths[i]); };

    PositionTable table(8);
    for (std::size_t i = 0; i + 1 < paths.size(); ++i)
        EXPECT_TRUE(table.add(paths[i], i, textOf)) << paths[i];
    EXPECT_FALSE(table.add(paths.back(), paths.size() - 1, textOf)) << "already there";

    for (std::size_t i = 0; i + 1 < paths.size(); ++i) {
        const auto found = table.find(paths[i], textOf);
        ASSERT_TRUE(found) << paths[i];
        EXPECT_EQ(*found, i);
    }
    EXPECT_FALSE(table.find("/photos/2024/summer/IMG_5000.jpg", textOf));
    EXPECT_FALSE(table.find("/photos/2024/summer/IMG_1.jp", textOf));
}

} // namespace
} // namespace quillory
