// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace quillory {

// Where a regular-expression token must sit in the name.
enum class RegExpAnchor { none, start, end, startEnd };

std::string_view rawValue(RegExpAnchor anchor);
// std::nullopt for an unknown raw value; callers that are lenient take RegExpAnchor::none.
std::optional<RegExpAnchor> regExpAnchorFromRaw(std::string_view raw);

} // namespace quillory
