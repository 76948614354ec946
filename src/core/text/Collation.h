// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillory::text {

// The localized standard comparison used for natural ordering in lists: case-insensitive,
// digit runs compared by value (file2 < file10), locale-aware. Returns <0, 0 or >0.
// Thread-safe; each thread keeps its own collator.
int localizedStandardCompare(std::string_view a, std::string_view b);

// A binary sort key with the same order as localizedStandardCompare, for sorting many names.
std::string localizedStandardSortKey(std::string_view text);

} // namespace quillory::text
