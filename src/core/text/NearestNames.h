// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory::text {

// The candidates closest to a mistyped name (edit distance, ignoring ASCII case), nearest first, at most
// `limit` of them; none when nothing is close enough to be a plausible typo.
std::vector<std::string> nearestNames(std::string_view wanted, const std::vector<std::string>& candidates,
                                      std::size_t limit = 3);

// "did you mean A, B or C?" for the names, or empty text when there are none.
std::string didYouMean(const std::vector<std::string>& names);

} // namespace quillory::text
