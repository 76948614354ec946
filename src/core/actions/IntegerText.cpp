// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/IntegerText.h"

#include <charconv>

namespace quillory {

std::optional<std::int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    // from_chars takes a leading "-" but not "+", and nothing like "--1" or "+-1".
    if (text.empty() || text.front() == '+' || (text.front() == '-' && text.size() > 1 && text[1] == '-'))
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::int64_t integerOr(const std::optional<std::string>& text, std::int64_t fallback) {
    if (!text)
        return fallback;
    return parseInteger(*text).value_or(fallback);
}

} // namespace quillory
