// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Private to the text layer: bridges between std strings and ICU strings.

#include "text/Utf.h"

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace quillory::text::detail {

// A read-only ICU string over the caller's UTF-16 buffer (no copy); valid while the buffer lives.
inline icu::UnicodeString alias(std::u16string_view text) {
    return icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size()));
}

inline std::u16string toStd(const icu::UnicodeString &text) {
    return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

inline icu::UnicodeString fromUtf8(std::string_view utf8) {
    const std::u16string units = toUtf16(utf8);
    return icu::UnicodeString(units.data(), static_cast<int32_t>(units.size()));
}

} // namespace quillory::text::detail
