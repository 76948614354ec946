// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Characters.h"

#include "text/Utf.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>

namespace quillory::text {
namespace {

// Below U+0300 no character joins its neighbours (no marks, joiners or prepends), except CR LF.
constexpr char16_t kSimpleLimit = 0x300;

const icu::BreakIterator *prototypeIterator() {
    static const std::unique_ptr<icu::BreakIterator> prototype = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    return prototype.get();
}

// Creating a break iterator loads rules; each thread clones the prototype once.
icu::BreakIterator *threadIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        const icu::BreakIterator *prototype = prototypeIterator();
        return std::unique_ptr<icu::BreakIterator>(prototype ? prototype->clone() : nullptr);
    }();
    return iterator.get();
}

bool isSimple(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t u) { return u < kSimpleLimit; });
}

// Code point boundaries: the fallback should ICU's data be missing.
std::vector<std::size_t> codePointBoundaries(std::u16string_view text) {
    std::vector<std::size_t> boundaries;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && text[i] >= 0xDC00 && text[i] <= 0xDFFF && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) {
            continue;
        }
        boundaries.push_back(i);
    }
    boundaries.push_back(text.size());
    return boundaries;
}

// Calls visit(offset) for every character start and then for the text's length.
template <typename Visit> void forEachBoundary(std::u16string_view utf16, Visit &&visit) {
    if (isSimple(utf16)) {
        for (std::size_t i = 0; i < utf16.size(); ++i) {
            if (i > 0 && utf16[i] == u'\n' && utf16[i - 1] == u'\r')
                continue;
            visit(i);
        }
        visit(utf16.size());
        return;
    }
    icu::BreakIterator *it = threadIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText *ut = it ? utext_openUChars(nullptr, utf16.data(), static_cast<int64_t>(utf16.size()), &status) : nullptr;
    if (it)
        it->setText(ut, status);
    if (!it || U_FAILURE(status)) {
        utext_close(ut);
        for (std::size_t b : codePointBoundaries(utf16))
            visit(b);
        return;
    }
    for (int32_t pos = it->first(); pos != icu::BreakIterator::DONE; pos = it->next()) {
        visit(static_cast<std::size_t>(pos));
    }
    // Drop the iterator's reference to the caller's buffer before it goes away.
    it->setText(icu::UnicodeString());
    utext_close(ut);
}

} // namespace

std::vector<std::size_t> characterBoundaries(std::u16string_view utf16) {
    std::vector<std::size_t> boundaries;
    boundaries.reserve(utf16.size() + 1);
    forEachBoundary(utf16, [&](std::size_t b) { boundaries.push_back(b); });
    if (boundaries.empty() || boundaries.back() != utf16.size())
        boundaries.push_back(utf16.size());
    return boundaries;
}

std::size_t characterCount(std::string_view utf8) {
    const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) {
        std::size_t count = utf8.size();
        for (std::size_t i = 1; i < utf8.size(); ++i) {
            if (utf8[i] == '\n' && utf8[i - 1] == '\r')
                --count;
        }
        return count;
    }
    std::size_t boundaries = 0;
    forEachBoundary(toUtf16(utf8), [&](std::size_t) { ++boundaries; });
    return boundaries - 1;
}

CharacterMap::CharacterMap(std::u16string_view utf16) : boundaries_(characterBoundaries(utf16)) {}

std::size_t CharacterMap::offsetOf(std::size_t characterIndex) const {
    return characterIndex < boundaries_.size() ? boundaries_[characterIndex] : boundaries_.back();
}

std::size_t CharacterMap::characterAt(std::size_t utf16Offset) const {
    if (utf16Offset >= boundaries_.back())
        return characterCount();
    const auto after = std::upper_bound(boundaries_.begin(), boundaries_.end(), utf16Offset);
    return static_cast<std::size_t>(after - boundaries_.begin()) - 1;
}

} // namespace quillory::text
