// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DisplayWidth.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>

namespace quillory::text {
namespace {

std::string hexEscape(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02x", value & 0xFF);
    return buffer;
}

bool isControl(UChar32 c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

int columns(UChar32 c) {
    const auto category = u_charType(c);
    if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK || category == U_FORMAT_CHAR)
        return 0;
    // Hangul vowels and final consonants join the syllable before them.
    if (c >= 0x1160 && c <= 0x11FF)
        return 0;
    const auto width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    if (width == U_EA_WIDE || width == U_EA_FULLWIDTH || u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION))
        return 2;
    return 1;
}

} // namespace

std::string visibleEscapes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        if (c < 0) {
            for (std::int32_t j = start; j < i; ++j)
                out += hexEscape(data[j]);
            continue;
        }
        if (!isControl(c)) {
            out.append(bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c < 0x100 ? hexEscape(static_cast<unsigned>(c)) : "?";
        }
    }
    return out;
}

std::size_t displayWidth(std::string_view utf8) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    std::size_t total = 0;
    UChar32 previous = 0;
    int previousColumns = 0;
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        int width = c < 0 ? 1 : columns(c);
        // A joined emoji sequence shows as one picture.
        if (previous == 0x200D && u_hasBinaryProperty(c, UCHAR_EMOJI))
            width = 0;
        // The emoji variation selector widens a symbol that is narrow as text (U+2764 U+FE0F).
        if (c == 0xFE0F && previousColumns == 1 && u_hasBinaryProperty(previous, UCHAR_EMOJI))
            width = 1;
        total += static_cast<std::size_t>(width);
        previous = c;
        previousColumns = width;
    }
    return total;
}

} // namespace quillory::text
