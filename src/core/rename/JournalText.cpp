// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/JournalText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quillory::journaltext {

namespace {

// True when one of the eight bytes may need escaping: a byte up to the blank, DEL or "%". Bytes from
// 0x80 on never do. A false alarm only sends the word down the byte-by-byte path.
bool mayNeedEscape(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t low = (word - ones * 0x21) & ~word & highs; // a byte below 0x21
    return (low | hasZero(word ^ (ones * 0x7f)) | hasZero(word ^ (ones * '%'))) != 0;
}

} // namespace

void appendEscaped(std::string& out, std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    static constexpr auto escaped = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[c] = c <= 0x20 || c == 0x7f || c == '%';
        return table;
    }();
    // Runs of plain bytes, by far the common case, go in one piece; they are found eight bytes at a time.
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            if (!mayNeedEscape(word)) {
                i += 8;
                continue;
            }
        }
        const std::size_t end = std::min(text.size(), i + 8);
        for (; i < end; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (!escaped[c])
                continue;
            out.append(text.data() + start, i - start);
            const char code[3] = {'%', digits[c >> 4], digits[c & 15]};
            out.append(code, 3);
            start = i + 1;
        }
    }
    out.append(text.data() + start, text.size() - start);
}

std::optional<std::string> unescape(std::string_view field) {
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return std::nullopt;
        const int high = hex(field[i + 1]);
        const int low = hex(field[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t blank = std::min(line.find(' ', start), line.size());
        if (blank > start)
            out.push_back(line.substr(start, blank - start));
        start = blank + 1;
    }
    return out;
}

} // namespace quillory::journaltext
