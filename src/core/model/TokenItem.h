// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/RegExpToken.h"

#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <string_view>

namespace quillory {

class TokenDetailsList;

// One item of a token string: literal text ("string"), an attribute token ("attribute", value = token
// id) or a regular-expression token ("regex", described by regexp).
struct TokenItem {
    static constexpr std::string_view typeString = "string";
    static constexpr std::string_view typeAttribute = "attribute";
    static constexpr std::string_view typeRegex = "regex";
    static constexpr std::string_view defaultDateFormat = "yyyy-MM-dd HHmmss";

    std::string type = std::string(typeString);
    std::string value;
    std::string dateFormat = std::string(defaultDateFormat);
    int gpsFormat = 0;    // 0: degrees, minutes, seconds; otherwise decimal degrees
    int numberDigits = 2; // zero-padded minimum width of numbers
    RegExpToken regexp;
    std::string prefix;   // put around the item's text when that text is not empty
    std::string suffix;

    TokenItem() = default;
    static TokenItem text(std::string text);
    static TokenItem attribute(std::string tokenId);
    static TokenItem regex(RegExpToken token, std::string value = {});

    bool operator==(const TokenItem&) const = default;
    bool isAttribute() const { return type == typeAttribute; }
    bool isRegex() const { return type == typeRegex; }

    // Whether the catalogue gives this attribute the type "date", "gps" or "number". Without a catalogue
    // argument the shared one of the registry is used; without any catalogue all three are false.
    bool isDateToken(const TokenDetailsList* catalogue = nullptr) const;
    bool isGpsToken(const TokenDetailsList* catalogue = nullptr) const;
    bool isNumberToken(const TokenDetailsList* catalogue = nullptr) const;

    std::string description() const;

    // JSON object: "type", "value", "prefix", "suffix", then at most one format key.
    nlohmann::ordered_json toJson(const TokenDetailsList* catalogue = nullptr) const;
    // "type" and "value" required; every other key optional and read whatever the type.
    static Result<TokenItem> fromJson(const nlohmann::ordered_json& json);

    // The string dictionary of the clipboard form, and its lenient reading.
    std::map<std::string, std::string> toDictionary() const;
    static TokenItem fromDictionary(const std::map<std::string, std::string>& dictionary);
};

} // namespace quillory
