// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quillory::text;

TEST(Collation, NaturalCaseInsensitiveOrder) {
    EXPECT_LT(localizedStandardCompare("file2", "file10"), 0);
    EXPECT_GT(localizedStandardCompare("file10", "file2"), 0);
    EXPECT_EQ(localizedStandardCompare("a", "A"), 0);
    EXPECT_LT(localizedStandardCompare("apple", "Zebra"), 0);
    EXPECT_LT(localizedStandardCompare("e", "\xC3\xA9"), 0); // accents still order
    std::vector<std::string> names{"file20", "File10", "file2", "file1"};
    std::sort(names.begin(), names.end(),
              [](const auto &a, const auto &b) { return localizedStandardCompare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"file1", "file2", "File10", "file20"}));
}

TEST(Collation, SortKeysOrderLikeCompare) {
    const std::vector<std::string> names{"file20", "File10",  "file2", "file1", "Zebra", "apple", "\xC3\xA9t\xC3\xA9",
                                         "ete",    "caf\xE9", "",      "a",     "A"};
    for (const auto &a : names) {
        for (const auto &b : names) {
            const int byCompare = localizedStandardCompare(a, b);
            const int byKey = localizedStandardSortKey(a).compare(localizedStandardSortKey(b));
            EXPECT_EQ(byCompare < 0, byKey < 0) << a << " / " << b;
            EXPECT_EQ(byCompare == 0, byKey == 0) << a << " / " << b;
        }
    }
    EXPECT_EQ(localizedStandardSortKey("a"), localizedStandardSortKey("A"));
    EXPECT_NE(localizedStandardSortKey("a"), localizedStandardSortKey("b"));
}
