// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// One row of the Convert action's lookup table: a regular expression and its replacement template.
struct LookupTableRow {
    std::string find;
    std::string replace;

    bool operator==(const LookupTableRow&) const = default;

    // The pair [find, replace] as stored in conversionLookup.
    std::vector<std::string> toPair() const { return {find, replace}; }
    // A stored row; one with fewer than two strings (a hand-edited recipe) gives none.
    static std::optional<LookupTableRow> fromPair(const std::vector<std::string>& pair) {
        if (pair.size() < 2)
            return std::nullopt;
        return LookupTableRow{pair[0], pair[1]};
    }
};

} // namespace quillory
