// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/FileSortOrder.h"

#include <array>
#include <string_view>

namespace quillory {

// The sort menu's items, in menu order.
enum class SortMenuItem {
    noSort,
    defaultSort,
    byNameAscending,
    byNameDescending,
    byNumericNameAscending,
    byNumericNameDescending,
    byPathAscending,
    byPathDescending,
    byDateModifiedAscending,
    byDateModifiedDescending,
    byTransformedNameAscending,
    byTransformedNameDescending,
    byNumericTransformedNameAscending,
    byNumericTransformedNameDescending,
    byTransformedPathAscending,
    byTransformedPathDescending,
};

std::array<SortMenuItem, 16> allSortMenuItems();
std::string_view title(SortMenuItem item);
FileSortOrder sortOrder(SortMenuItem item);

} // namespace quillory
