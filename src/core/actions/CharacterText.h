// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/MatchRange.h"
#include "text/Regex.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A text held as UTF-16 together with its character boundaries. The one place where the actions turn
// the regular-expression layer's UTF-16 offsets into user-perceived character positions and back.
class CharacterText {
public:
    explicit CharacterText(std::string_view utf8);
    explicit CharacterText(std::u16string utf16);

    const std::u16string &utf16() const { return utf16_; }
    std::string utf8() const;
    std::size_t length() const { return boundaries_.size() - 1; }

    // UTF-16 offset of a character position; positions past the end give the text's length.
    std::size_t offsetOf(std::size_t position) const;
    // The characters a UTF-16 span touches: a start inside a character moves back to that character's
    // start, an end inside a character moves on to its end, so a range never splits a letter from its marks.
    // An empty span stays empty, at the start of the character it falls in.
    MatchRange rangeOf(std::size_t utf16Start, std::size_t utf16End) const;
    // The ranges of a list of spans in text order; ranges that come to overlap through the widening above
    // are merged, and a repeated empty range is dropped, so edits from the last range to the first stay valid.
    std::vector<MatchRange> rangesOf(const std::vector<text::Span> &spans) const;

    // The text of a character range.
    std::u16string substring(MatchRange range) const;

    // Inserts a text at a character position, clamped to 0 ... length().
    void insert(std::ptrdiff_t position, std::u16string_view inserted);
    // Puts a text in place of a character range.
    void replace(MatchRange range, std::u16string_view replacement);

private:
    void rebuild();

    std::u16string utf16_;
    std::vector<std::size_t> boundaries_;
};

} // namespace quillory
