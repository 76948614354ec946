// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/AttributeResolver.h"

#include "app/Logger.h"
#include "text/DateFormat.h"
#include "tokens/AttributeSourcesOf.h"
#include "tokens/GPSFormatUtil.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/GPSPrecision.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>

namespace quillory {
namespace {

constexpr std::string_view kColonSubstitute = "\xEA\x9E\x89"; // U+A789, how ":" is stored in texts
constexpr std::string_view kOriginalFilename = "original-filename";
constexpr std::string_view kParentDirectory = "parent-directory-";
constexpr std::string_view kLatitude = "{GPS}.Latitude";
constexpr std::string_view kLongitude = "{GPS}.Longitude";
// A file name holds at most 255 bytes: wider padding only ever makes a name that cannot exist.
constexpr int kMaxDigits = 255;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Ids are compared in lower case; they are ASCII, so no allocation is needed for that.
bool containsIgnoringCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.size() > text.size())
        return false;
    for (std::size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < lowerNeedle.size() && lowerAscii(text[i + j]) == lowerNeedle[j])
            ++j;
        if (j == lowerNeedle.size())
            return true;
    }
    return false;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (lowerPrefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (lowerAscii(text[i]) != lowerPrefix[i])
            return false;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<long long> parseInteger(std::string_view text) {
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool takeDigits(std::string_view& text, std::size_t count, char* out) {
    if (text.size() < count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!isDigit(text[i]))
            return false;
        out[i] = text[i];
    }
    text.remove_prefix(count);
    return true;
}

bool takeColonSubstitute(std::string_view& text) {
    if (text.substr(0, kColonSubstitute.size()) != kColonSubstitute)
        return false;
    text.remove_prefix(kColonSubstitute.size());
    return true;
}

// An image date as the map stores it, "2021꞉05꞉03 14꞉22꞉11". Writers put one blank between date and
// time, some two; both are taken.
std::optional<Date> parseStoredImageDate(std::string_view text) {
    char exif[] = "0000:00:00 00:00:00";
    if (!takeDigits(text, 4, exif) || !takeColonSubstitute(text) || !takeDigits(text, 2, exif + 5) ||
        !takeColonSubstitute(text) || !takeDigits(text, 2, exif + 8))
        return std::nullopt;
    std::size_t blanks = 0;
    while (blanks < text.size() && text[blanks] == ' ')
        ++blanks;
    if (blanks < 1 || blanks > 2)
        return std::nullopt;
    text.remove_prefix(blanks);
    if (!takeDigits(text, 2, exif + 11) || !takeColonSubstitute(text) || !takeDigits(text, 2, exif + 14) ||
        !takeColonSubstitute(text) || !takeDigits(text, 2, exif + 17) || !text.empty())
        return std::nullopt;
    return text::parseExifDate(std::string_view(exif, sizeof exif - 1));
}

// "3:12" (a stored "3/12") with 2 digits gives "03-12"; "7" gives "07"; anything else stays.
std::string printTrackNumber(const std::string& text, int digits) {
    std::string separator;
    for (const char c : text)
        if (!isDigit(c))
            separator += c;
    if (!separator.empty()) {
        const auto at = text.find(separator);
        if (at != std::string::npos && text.find(separator, at + separator.size()) == std::string::npos) {
            const auto first = parseInteger(std::string_view(text).substr(0, at));
            const auto second = parseInteger(std::string_view(text).substr(at + separator.size()));
            if (first && second && *first >= 0 && *second >= 0)
                return AttributeResolver::formatNumber(*first, digits) + "-" +
                       AttributeResolver::formatNumber(*second, digits);
        }
    }
    if (const auto whole = parseInteger(text))
        return AttributeResolver::formatNumber(*whole, digits);
    return text;
}

std::optional<std::string_view> textValue(const AttributeMap& attributes, const char* id) {
    const auto found = attributes.find(id);
    if (found == attributes.end())
        return std::nullopt;
    if (const auto* text = found->second.attributeValue.text())
        return std::string_view(*text);
    return std::nullopt;
}

long long truncated(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<long long>::max()))
        return std::numeric_limits<long long>::max();
    if (value <= static_cast<double>(std::numeric_limits<long long>::min()))
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

std::string joinList(const AttributeValue::List& list) {
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += ',';
        if (const auto* element = list[i].text())
            text += *element;
        else if (const auto* integer = list[i].integer())
            text += std::to_string(*integer);
        else if (const auto* real = list[i].real())
            text += GPSFormatUtil::shortestDecimal(*real);
    }
    return text;
}

TransformResult<std::string> fromLookup(const GPSLookupResult& result) {
    switch (result.kind) {
    case GPSLookupResult::Kind::text:
        return result.text;
    case GPSLookupResult::Kind::lateUpdateRequired:
        return TransformError::lateUpdateRequired();
    case GPSLookupResult::Kind::aborted:
        return TransformError::aborted();
    case GPSLookupResult::Kind::failed:
        break;
    }
    return TransformError::fatal(result.error.messageText, result.error.informativeText);
}

} // namespace

AttributeResolver::AttributeResolver(Mode mode, Loader loader, std::shared_ptr<GPSAddressResolver> gps)
    : mode_(mode), loader_(std::move(loader)), gps_(std::move(gps)) {}

std::string AttributeResolver::formatNumber(long long number, int digits) {
    char buffer[kMaxDigits + 32];
    const int width = std::clamp(digits, 0, kMaxDigits);
    const int length = std::snprintf(buffer, sizeof buffer, "%0*lld", width, number);
    return std::string(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

std::string AttributeResolver::printText(const TokenItem& item, const std::string& text) {
    const std::string_view id = item.value;
    if (containsIgnoringCase(id, "date") && !containsIgnoringCase(id, "id3") && !containsIgnoringCase(id, "flac")) {
        // Not a date in the image pattern: nothing, rather than a raw text where a date was asked for.
        const auto date = parseStoredImageDate(text);
        return date ? text::formatDate(*date, item.dateFormat) : std::string();
    }
    if (startsWithIgnoringCase(id, "id3-track") || startsWithIgnoringCase(id, "id3-disk"))
        return printTrackNumber(text, item.numberDigits);
    return text;
}

std::string AttributeResolver::printValue(const TokenItem& item, const AttributeValue& value,
                                          const AttributeMap& attributes) {
    if (value.integer() || value.real()) {
        const double number = value.real() ? *value.real() : static_cast<double>(*value.integer());
        if (item.value == kLatitude || item.value == kLongitude) {
            const auto ref = textValue(attributes, item.value == kLatitude ? "{GPS}.LatitudeRef" : "{GPS}.LongitudeRef");
            return item.gpsFormat != 0 ? GPSFormatUtil::decimalDegrees(number, ref)
                                       : GPSFormatUtil::degreesMinutesSeconds(number, ref);
        }
        return formatNumber(value.integer() ? static_cast<long long>(*value.integer()) : truncated(number),
                            item.numberDigits);
    }
    if (const auto* date = value.date())
        return text::formatDate(*date, item.dateFormat);
    if (const auto* text = value.text())
        return printText(item, *text);
    if (const auto* list = value.list())
        return printText(item, joinList(*list));
    Logger::log("Unsupported value data type in attribute: ", item.type);
    return {};
}

TransformResult<std::string> AttributeResolver::rawText(const TokenItem& item, File& file, std::stop_token stop) {
    if (!item.isAttribute())
        return item.value;
    const AttributeSources needed = attributeSourcesOf(item.value);
    if (!file.attributes.covers(needed)) {
        if (mode_ == Mode::quick)
            return TransformError::lateUpdateRequired();
        // Full resolution never asks for later: without a loader the file simply has no values.
        if (loader_) {
            const AttributeSources had = file.attributes.isLoaded() ? file.attributes.sources : AttributeSources();
            file.attributes = loader_(file, needed | had);
        }
    }
    const auto found = file.attributes.attributes.find(item.value);
    if (found != file.attributes.attributes.end())
        return printValue(item, found->second.attributeValue, file.attributes.attributes);
    return computedText(item, file, stop);
}

TransformResult<std::string> AttributeResolver::computedText(const TokenItem& item, File& file,
                                                             std::stop_token stop) {
    const std::string_view id = item.value;
    if (id == kOriginalFilename)
        return file.source.name;
    if (id.substr(0, kParentDirectory.size()) == kParentDirectory) {
        const std::string_view rest = id.substr(kParentDirectory.size());
        const bool allDigits = std::all_of(rest.begin(), rest.end(), isDigit);
        const auto level = allDigits ? parseInteger(rest) : std::nullopt;
        if (!level || *level < 1 || *level > std::numeric_limits<int>::max())
            return std::string();
        return file.parentDirectory(static_cast<int>(*level));
    }
    if (gps_ && isGPSAddressToken(id)) {
        const AttributeMap& attributes = file.attributes.attributes;
        return fromLookup(mode_ == Mode::quick ? gps_->quickText(attributes, id)
                                               : gps_->fullText(attributes, id, std::move(stop)));
    }
    return std::string();
}

} // namespace quillory
