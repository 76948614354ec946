// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FileSortOrder.h"

namespace quillory {
namespace {

struct SortOrderNames {
    std::string_view raw;
    std::string_view function;
};

constexpr std::array<SortOrderNames, fileSortOrderCount> names = {{
    {"none", "sortByNone"},
    {"default", "sortByDefault"},
    {"byNameAscending", "sortByNameAscending"},
    {"byNameDescending", "sortByNameDescending"},
    {"byTransformedNameAscending", "sortByTransformedNameAscending"},
    {"byTransformedNameDescending", "sortByTransformedNameDescending"},
    {"byPathAscending", "sortByPathAscending"},
    {"byPathDescending", "sortByPathDescending"},
    {"byTransformedPathAscending", "sortByTransformedPathAscending"},
    {"byTransformedPathDescending", "sortByTransformedPathDescending"},
    {"byDateModifiedAscending", "sortByDateModifiedAscending"},
    {"byDateModifiedDescending", "sortByDateModifiedDescending"},
    {"byNumericNameAscending", "sortByNumericNameAscending"},
    {"byNumericNameDescending", "sortByNumericNameDescending"},
    {"byNumericTransformedNameAscending", "sortByNumericTransformedNameAscending"},
    {"byNumericTransformedNameDescending", "sortByNumericTransformedNameDescending"},
}};

} // namespace

std::string_view rawValue(FileSortOrder order) { return names[static_cast<std::size_t>(order)].raw; }

std::optional<FileSortOrder> fileSortOrderFromRaw(std::string_view raw) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].raw == raw)
            return static_cast<FileSortOrder>(i);
    return std::nullopt;
}

std::string_view sortFunctionName(FileSortOrder order) { return names[static_cast<std::size_t>(order)].function; }

bool isDescending(FileSortOrder order) {
    switch (order) {
    case FileSortOrder::byNameDescending:
    case FileSortOrder::byTransformedNameDescending:
    case FileSortOrder::byPathDescending:
    case FileSortOrder::byTransformedPathDescending:
    case FileSortOrder::byDateModifiedDescending:
    case FileSortOrder::byNumericNameDescending:
    case FileSortOrder::byNumericTransformedNameDescending:
        return true;
    default:
        return false;
    }
}

} // namespace quillory
