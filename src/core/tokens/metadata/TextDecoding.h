// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Byte-to-UTF-8 decoding shared by the tag parsers. Each returns nothing when the bytes do not decode.
namespace quillory::metadata {

std::optional<std::string> decodeWindows1252(std::string_view bytes);
std::optional<std::string> decodeUtf16(std::string_view bytes, bool bigEndian);
std::optional<std::string> decodeUtf8(std::string_view bytes);

} // namespace quillory::metadata
