// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace quillory {

// A found stretch of text in user-perceived characters: 0 <= start <= end <= length of the text.
struct MatchRange {
    std::size_t start = 0;
    std::size_t end = 0;

    std::size_t length() const { return end - start; }
    bool operator==(const MatchRange &) const = default;
};

} // namespace quillory
