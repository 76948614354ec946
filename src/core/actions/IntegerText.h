// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// Numbers that actions keep as text: a base-10 integer with an optional sign and nothing else.
std::optional<std::int64_t> parseInteger(std::string_view text);
// The parsed value, or the fallback for an absent, empty, unparsable or out-of-range text.
std::int64_t integerOr(const std::optional<std::string>& text, std::int64_t fallback);

} // namespace quillory
