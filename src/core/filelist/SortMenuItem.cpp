// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/SortMenuItem.h"

namespace quillory {
namespace {

struct MenuEntry {
    SortMenuItem item;
    std::string_view title;
    FileSortOrder order;
};

constexpr std::array<MenuEntry, 16> entries = {{
    {SortMenuItem::noSort, "No sorting", FileSortOrder::none},
    {SortMenuItem::defaultSort, "Sort by path and name", FileSortOrder::defaultSort},
    {SortMenuItem::byNameAscending, "Sort by name ascending", FileSortOrder::byNameAscending},
    {SortMenuItem::byNameDescending, "Sort by name descending", FileSortOrder::byNameDescending},
    {SortMenuItem::byNumericNameAscending, "Sort by numeric name ascending", FileSortOrder::byNumericNameAscending},
    {SortMenuItem::byNumericNameDescending, "Sort by numeric name descending",
     FileSortOrder::byNumericNameDescending},
    {SortMenuItem::byPathAscending, "Sort by path ascending", FileSortOrder::byPathAscending},
    {SortMenuItem::byPathDescending, "Sort by path descending", FileSortOrder::byPathDescending},
    {SortMenuItem::byDateModifiedAscending, "Sort by date modified ascending",
     FileSortOrder::byDateModifiedAscending},
    {SortMenuItem::byDateModifiedDescending, "Sort by date modified descending",
     FileSortOrder::byDateModifiedDescending},
    {SortMenuItem::byTransformedNameAscending, "Sort by transformed name ascending",
     FileSortOrder::byTransformedNameAscending},
    {SortMenuItem::byTransformedNameDescending, "Sort by transformed name descending",
     FileSortOrder::byTransformedNameDescending},
    {SortMenuItem::byNumericTransformedNameAscending, "Sort by numeric transformed name ascending",
     FileSortOrder::byNumericTransformedNameAscending},
    {SortMenuItem::byNumericTransformedNameDescending, "Sort by numeric transformed name descending",
     FileSortOrder::byNumericTransformedNameDescending},
    {SortMenuItem::byTransformedPathAscending, "Sort by transformed path ascending",
     FileSortOrder::byTransformedPathAscending},
    {SortMenuItem::byTransformedPathDescending, "Sort by transformed path descending",
     FileSortOrder::byTransformedPathDescending},
}};

} // namespace

std::array<SortMenuItem, 16> allSortMenuItems() {
    std::array<SortMenuItem, 16> items{};
    for (std::size_t i = 0; i < entries.size(); ++i)
        items[i] = entries[i].item;
    return items;
}

std::string_view title(SortMenuItem item) { return entries[static_cast<std::size_t>(item)].title; }

FileSortOrder sortOrder(SortMenuItem item) { return entries[static_cast<std::size_t>(item)].order; }

} // namespace quillory
