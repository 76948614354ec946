// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// A moment in time with millisecond precision, as dates are kept in attribute maps.
using Date = std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds>;

namespace text {

// Formats with a date pattern ("yyyy-MM-dd HHmmss"), in the default locale and time zone.
std::string formatDate(Date date, std::string_view pattern);
// Parses text with a pattern; std::nullopt when the text does not fit.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern);
// Parses ISO 8601 dates as metadata writes them: "2021", "2021-05", "2021-05-03",
// "2021-05-03T14:22:11", with an optional "Z" or offset. Times without an offset are local.
std::optional<Date> parseIsoDate(std::string_view text);
// Also accepted: a space instead of "T", fractional seconds, and offsets "+02", "+0200", "+02:00".
// Dates as Exif writes them, "2021:05:03 14:22:11" (seconds optional), in local time. Unset dates
// ("0000:00:00 00:00:00") and impossible ones give std::nullopt.
std::optional<Date> parseExifDate(std::string_view text);

} // namespace text
} // namespace quillory
