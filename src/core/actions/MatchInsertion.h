// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/MatchRange.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Inserts `inserted` once per range, walking from the last range to the first so that earlier positions
// stay valid. `position` gives the character position for a range; it is clamped to the current text.
std::string insertAtMatches(std::string_view text, const std::vector<MatchRange> &ranges, std::string_view inserted,
                            const std::function<std::ptrdiff_t(const MatchRange &)> &position);

} // namespace quillory
