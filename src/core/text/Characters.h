// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::text {

// User-perceived characters (extended grapheme clusters): a letter and its combining marks, or an
// emoji sequence, count as one. Positions, offsets and lengths in names use these units.

// Number of user-perceived characters of a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// The UTF-16 offsets at which user-perceived characters begin, followed by the text's length:
// boundaries[i] is the offset of character i, boundaries.back() == text.size().
std::vector<std::size_t> characterBoundaries(std::u16string_view utf16);

// Maps between character indices and UTF-16 offsets of one text. Built once per text so that a
// search with many matches converts its ranges cheaply.
class CharacterMap {
public:
    explicit CharacterMap(std::u16string_view utf16);

    std::size_t characterCount() const { return boundaries_.size() - 1; }
    // UTF-16 offset of a character index; an index past the end clamps to the text's length.
    std::size_t offsetOf(std::size_t characterIndex) const;
    // Character index of a UTF-16 offset; an offset inside a character maps to that character,
    // one past the end maps to characterCount().
    std::size_t characterAt(std::size_t utf16Offset) const;

private:
    std::vector<std::size_t> boundaries_;
};

} // namespace quillory::text
