// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace quillory::text {

// Unicode normal forms and case mapping over UTF-16 text. All are locale-independent except the case
// mappings, which use the default locale (as the platform's case mapping does).
std::u16string nfd(std::u16string_view text);
std::u16string nfc(std::u16string_view text);
std::u16string nfkd(std::u16string_view text);
bool isNfc(std::u16string_view text);

// Full case mapping: "straße" upper-cased is "STRASSE".
std::u16string toUpper(std::u16string_view text);
std::u16string toLower(std::u16string_view text);
// Title case of every word (word breaks by the platform's rules); letters after the first are lowered.
std::u16string capitalizeWords(std::u16string_view text);

// Diacritic folding: NFD, drop the nonspacing marks, NFC.
std::u16string foldDiacritics(std::u16string_view text);

// UTF-8 conveniences over the above.
std::string nfd(std::string_view utf8);
std::string nfc(std::string_view utf8);
std::string nfkd(std::string_view utf8);
bool isNfc(std::string_view utf8);
std::string toUpper(std::string_view utf8);
std::string toLower(std::string_view utf8);
std::string capitalizeWords(std::string_view utf8);
std::string foldDiacritics(std::string_view utf8);

// A name as a file system that ignores letter case compares it: canonical decomposition, then full
// locale-independent case folding ("Straße" and "STRASSE" fold alike). Bytes that are not UTF-8 are
// opaque to such a file system and come back unchanged.
std::string foldCase(std::string_view utf8);

} // namespace quillory::text
