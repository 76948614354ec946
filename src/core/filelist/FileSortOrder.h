// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillory {

// The orders of the file list. Raw values are stored in recipes under "sortOrder".
enum class FileSortOrder {
    none,
    defaultSort,
    byNameAscending,
    byNameDescending,
    byTransformedNameAscending,
    byTransformedNameDescending,
    byPathAscending,
    byPathDescending,
    byTransformedPathAscending,
    byTransformedPathDescending,
    byDateModifiedAscending,
    byDateModifiedDescending,
    byNumericNameAscending,
    byNumericNameDescending,
    byNumericTransformedNameAscending,
    byNumericTransformedNameDescending,
};

inline constexpr std::size_t fileSortOrderCount = 16;

std::string_view rawValue(FileSortOrder order);
// Nothing for a string that is none of the raw values.
std::optional<FileSortOrder> fileSortOrderFromRaw(std::string_view raw);
// The name used in log lines, "sortByPathAscending" for byPathAscending.
std::string_view sortFunctionName(FileSortOrder order);
bool isDescending(FileSortOrder order);

} // namespace quillory
