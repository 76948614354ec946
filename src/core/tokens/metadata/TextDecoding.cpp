// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/TextDecoding.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <vector>

namespace quillory::metadata {

namespace {

std::optional<std::string> utf16ToUtf8(const std::u16string& units) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8(nullptr, 0, &length, units.data(), static_cast<int32_t>(units.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), length, &length, units.data(), static_cast<int32_t>(units.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt; // lone surrogates
    return out;
}

} // namespace

std::optional<std::string> decodeWindows1252(std::string_view bytes) {
    if (bytes.empty())
        return std::string();
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::u16string units(bytes.size() * 2, u'\0');
    int32_t length = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                                   static_cast<int32_t>(bytes.size()), &status);
    ucnv_close(converter);
    if (U_FAILURE(status))
        return std::nullopt;
    units.resize(static_cast<std::size_t>(length));
    return utf16ToUtf8(units);
}

std::optional<std::string> decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return utf16ToUtf8(units);
}

std::optional<std::string> decodeUtf8(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    return std::string(bytes);
}

} // namespace quillory::metadata
