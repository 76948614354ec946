// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Utf.h"

#include <cstdint>
#include <cstring>

namespace quillory::text {
namespace {

// Length of the valid UTF-8 sequence at p (1..4), or 0 when the bytes there are not valid UTF-8.
// Overlongs, encoded surrogates, code points past U+10FFFF and truncated sequences are all invalid.
inline int validSequenceLength(const unsigned char *p, const unsigned char *end, char32_t &cp) {
    const unsigned char b0 = p[0];
    const std::ptrdiff_t left = end - p;
    auto cont = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !cont(p[1]))
            return 0;
        cp = (char32_t(b0 & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3)
            return 0;
        const unsigned char b1 = p[1];
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < lo || b1 > hi || !cont(p[2]))
            return 0;
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4)
            return 0;
        const unsigned char b1 = p[1];
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (b1 < lo || b1 > hi || !cont(p[2]) || !cont(p[3]))
            return 0;
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(b1 & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline bool eightAscii(const unsigned char *p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & kHighBits) == 0;
}

} // namespace

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.resize(utf8.size()); // UTF-16 never needs more units than UTF-8 has bytes
    char16_t *dst = out.data();
    auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        while (end - p >= 8 && eightAscii(p)) {
            for (int i = 0; i < 8; ++i)
                dst[i] = p[i];
            dst += 8;
            p += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            *dst++ = *p++;
            continue;
        }
        char32_t cp = 0;
        const int n = validSequenceLength(p, end, cp);
        if (n == 0) {
            // Not UTF-8: keep the byte as an escape surrogate so it comes back unchanged.
            *dst++ = char16_t(0xDC00 + *p);
            ++p;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = char16_t(0xD800 + (cp >> 10));
            *dst++ = char16_t(0xDC00 + (cp & 0x3FF));
            p += n;
        } else {
            *dst++ = char16_t(cp);
            p += n;
        }
    }
    out.resize(std::size_t(dst - out.data()));
    return out;
}

std::string toUtf8(std::u16string_view utf16) {
    std::string out;
    out.resize(utf16.size() * 3); // a BMP unit needs at most 3 bytes, a pair 4 for 2 units
    auto *dst = reinterpret_cast<unsigned char *>(out.data());
    const char16_t *p = utf16.data();
    const char16_t *end = p + utf16.size();
    while (p < end) {
        const char16_t u = *p++;
        if (u < 0x80) {
            *dst++ = static_cast<unsigned char>(u);
        } else if (u < 0x800) {
            *dst++ = static_cast<unsigned char>(0xC0 | (u >> 6));
            *dst++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        } else if (u >= 0xD800 && u <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(*p++) - 0xDC00);
            *dst++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
            *dst++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
            *dst++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            *dst++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            // An escaped byte from toUtf16.
            *dst++ = static_cast<unsigned char>(u - 0xDC00);
        } else {
            // Other BMP characters, and any other lone surrogate, in the 3-byte form. A lone surrogate
            // written this way is not valid UTF-8, so it reads back as three escaped bytes: the bytes
            // survive, the surrogate does not (no valid name contains one).
            *dst++ = static_cast<unsigned char>(0xE0 | (u >> 12));
            *dst++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *dst++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        }
    }
    out.resize(std::size_t(dst - reinterpret_cast<unsigned char *>(out.data())));
    return out;
}

bool isValidUtf8(std::string_view text) {
    auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        while (end - p >= 8 && eightAscii(p))
            p += 8;
        if (p == end)
            break;
        char32_t cp = 0;
        const int n = validSequenceLength(p, end, cp);
        if (n == 0)
            return false;
        p += n;
    }
    return true;
}

} // namespace quillory::text
