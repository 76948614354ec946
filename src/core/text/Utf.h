// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillory::text {

// Lossless UTF-8 <-> UTF-16. Names on Linux are bytes: a byte that is not part of valid UTF-8
// becomes the lone surrogate U+DC80+byte and comes back as the same byte, so any name survives.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// True when every byte is ASCII: no normalisation, case folding beyond A-Z, or marks to think of.
inline bool isAscii(std::string_view text) {
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0x80) != 0)
            return false;
    return true;
}

} // namespace quillory::text
