// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace quillory::text {

// Why a pattern does not compile: the regular expression library's own error name (such as
// "U_REGEX_MISMATCHED_PAREN") and, when it names one, the UTF-16 offset in the pattern where it stopped.
struct RegexSyntaxError {
    std::string libraryMessage;
    std::optional<int> offset;
    bool operator==(const RegexSyntaxError&) const = default;
};

} // namespace quillory::text
