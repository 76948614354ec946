// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CharacterText.h"

#include "text/Characters.h"
#include "text/Utf.h"

#include <algorithm>

namespace quillory {

CharacterText::CharacterText(std::string_view utf8) : utf16_(text::toUtf16(utf8)) {
    rebuild();
}

CharacterText::CharacterText(std::u16string utf16) : utf16_(std::move(utf16)) {
    rebuild();
}

void CharacterText::rebuild() {
    boundaries_ = text::characterBoundaries(utf16_);
}

std::string CharacterText::utf8() const {
    return text::toUtf8(utf16_);
}

std::size_t CharacterText::offsetOf(std::size_t position) const {
    return position < boundaries_.size() ? boundaries_[position] : boundaries_.back();
}

MatchRange CharacterText::rangeOf(std::size_t utf16Start, std::size_t utf16End) const {
    const auto characterBefore = [this](std::size_t offset) {
        const auto after = std::upper_bound(boundaries_.begin(), boundaries_.end(), offset);
        return static_cast<std::size_t>(after - boundaries_.begin()) - 1;
    };
    const auto characterAfter = [this](std::size_t offset) {
        const auto atOrAfter = std::lower_bound(boundaries_.begin(), boundaries_.end(), offset);
        return static_cast<std::size_t>(atOrAfter - boundaries_.begin());
    };
    const std::size_t total = utf16_.size();
    const std::size_t start = characterBefore(std::min(utf16Start, total));
    if (utf16End <= utf16Start)
        return {std::min(start, length()), std::min(start, length())};
    const std::size_t end = characterAfter(std::min(std::max(utf16End, utf16Start), total));
    return {std::min(start, length()), std::min(std::max(end, start), length())};
}

std::vector<MatchRange> CharacterText::rangesOf(const std::vector<text::Span> &spans) const {
    std::vector<MatchRange> ranges;
    ranges.reserve(spans.size());
    for (const text::Span &span : spans) {
        const MatchRange range = rangeOf(span.start, span.end);
        if (!ranges.empty() && range.start < ranges.back().end) {
            ranges.back().end = std::max(ranges.back().end, range.end);
            continue;
        }
        if (!ranges.empty() && range == ranges.back())
            continue;
        ranges.push_back(range);
    }
    return ranges;
}

std::u16string CharacterText::substring(MatchRange range) const {
    const std::size_t from = offsetOf(range.start);
    const std::size_t to = std::max(from, offsetOf(range.end));
    return utf16_.substr(from, to - from);
}

void CharacterText::insert(std::ptrdiff_t position, std::u16string_view inserted) {
    const std::size_t clamped = position < 0 ? 0 : std::min(static_cast<std::size_t>(position), length());
    utf16_.insert(offsetOf(clamped), inserted);
    rebuild();
}

void CharacterText::replace(MatchRange range, std::u16string_view replacement) {
    const std::size_t from = offsetOf(range.start);
    const std::size_t to = std::max(from, offsetOf(range.end));
    utf16_.replace(from, to - from, replacement);
    rebuild();
}

} // namespace quillory
