// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Normalization.h"

#include "text/IcuSupport.h"
#include "text/Utf.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

#include <memory>

namespace quillory::text {
namespace {

using detail::alias;
using detail::toStd;

enum class Form { Nfd, Nfc, Nfkd };

const icu::Normalizer2 *normalizer(Form form) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2 *n = nullptr;
    switch (form) {
    case Form::Nfd:
        n = icu::Normalizer2::getNFDInstance(status);
        break;
    case Form::Nfc:
        n = icu::Normalizer2::getNFCInstance(status);
        break;
    case Form::Nfkd:
        n = icu::Normalizer2::getNFKDInstance(status);
        break;
    }
    return U_SUCCESS(status) ? n : nullptr;
}

// Without normalization data the text is returned unchanged rather than lost.
std::u16string normalize(std::u16string_view text, Form form) {
    const icu::Normalizer2 *n = normalizer(form);
    if (!n)
        return std::u16string(text);
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString result = n->normalize(alias(text), status);
    return U_SUCCESS(status) ? toStd(result) : std::u16string(text);
}

icu::BreakIterator *threadWordIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createWordInstance(icu::Locale::getDefault(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    return iterator.get();
}

template <typename F> std::string viaUtf16(std::string_view utf8, F &&f) {
    return toUtf8(f(std::u16string_view(toUtf16(utf8))));
}

} // namespace

std::u16string nfd(std::u16string_view text) {
    return normalize(text, Form::Nfd);
}
std::u16string nfc(std::u16string_view text) {
    return normalize(text, Form::Nfc);
}
std::u16string nfkd(std::u16string_view text) {
    return normalize(text, Form::Nfkd);
}

bool isNfc(std::u16string_view text) {
    const icu::Normalizer2 *n = normalizer(Form::Nfc);
    if (!n)
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const bool result = n->isNormalized(alias(text), status);
    return U_SUCCESS(status) && result;
}

std::u16string toUpper(std::u16string_view text) {
    icu::UnicodeString s(text.data(), static_cast<int32_t>(text.size()));
    return toStd(s.toUpper());
}

std::u16string toLower(std::u16string_view text) {
    icu::UnicodeString s(text.data(), static_cast<int32_t>(text.size()));
    return toStd(s.toLower());
}

std::u16string capitalizeWords(std::u16string_view text) {
    icu::UnicodeString s(text.data(), static_cast<int32_t>(text.size()));
    // The iterator is not adopted; toTitle sets it to the string and lowers the rest of each word.
    s.toTitle(threadWordIterator());
    return toStd(s);
}

std::u16string foldDiacritics(std::u16string_view text) {
    std::u16string decomposed = nfd(text);
    std::u16string kept;
    kept.reserve(decomposed.size());
    for (std::size_t i = 0; i < decomposed.size();) {
        const std::size_t start = i;
        UChar32 c = decomposed[i++];
        if (U16_IS_LEAD(c) && i < decomposed.size() && U16_IS_TRAIL(decomposed[i])) {
            c = U16_GET_SUPPLEMENTARY(c, decomposed[i]);
            ++i;
        }
        if (u_charType(c) != U_NON_SPACING_MARK)
            kept.append(decomposed, start, i - start);
    }
    return nfc(kept);
}

std::string nfd(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return nfd(t); });
}
std::string nfc(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return nfc(t); });
}
std::string nfkd(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return nfkd(t); });
}
bool isNfc(std::string_view utf8) {
    return isNfc(std::u16string_view(toUtf16(utf8)));
}
std::string toUpper(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return toUpper(t); });
}
std::string toLower(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return toLower(t); });
}
std::string capitalizeWords(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return capitalizeWords(t); });
}
std::string foldDiacritics(std::string_view utf8) {
    return viaUtf16(utf8, [](std::u16string_view t) { return foldDiacritics(t); });
}

std::string foldCase(std::string_view utf8) {
    std::string out(utf8);
    bool ascii = true;
    for (char& c : out) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    if (ascii || !isValidUtf8(utf8))
        return ascii ? out : std::string(utf8);
    return viaUtf16(utf8, [](std::u16string_view t) {
        const std::u16string decomposed = nfd(t);
        icu::UnicodeString s(decomposed.data(), static_cast<int32_t>(decomposed.size()));
        return toStd(s.foldCase(U_FOLD_CASE_DEFAULT));
    });
}

} // namespace quillory::text
