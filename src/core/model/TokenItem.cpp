// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenItem.h"

#include "app/Registry.h"
#include "model/TokenDetailsList.h"

#include <charconv>
#include <memory>

namespace quillory {

namespace {

// The catalogue that types attribute tokens: the one given, else the shared one, else the built-in one.
// Never none: without a catalogue a saved recipe would drop every token's date, GPS and number format.
const TokenDetailsList& catalogueFor(const TokenDetailsList* given, std::shared_ptr<TokenDetailsList>& shared) {
    if (given)
        return *given;
    shared = Registry::shared().get<TokenDetailsList>();
    if (shared)
        return *shared;
    static const TokenDetailsList builtIn = TokenDetailsList::loadEmbedded();
    return builtIn;
}

bool catalogueHasType(const TokenItem& item, const TokenDetailsList* catalogue, std::string_view type) {
    if (!item.isAttribute())
        return false;
    std::shared_ptr<TokenDetailsList> shared;
    return catalogueFor(catalogue, shared).hasType(item.value, type);
}

// A whole base-10 integer with an optional sign; anything else is no number.
std::optional<int> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// Optional keys: absent or null leave the default; any other type than the expected one is an error.
template <typename T, typename Check>
Status readOptional(const nlohmann::ordered_json& json, const char* key, T& field, Check isExpected) {
    auto found = json.find(key);
    if (found == json.end() || found->is_null())
        return {};
    if (!isExpected(*found))
        return Error{std::string("token item: \"") + key + "\" has the wrong type"};
    field = found->template get<T>();
    return {};
}

} // namespace

TokenItem TokenItem::text(std::string text) {
    TokenItem item;
    item.value = std::move(text);
    return item;
}

TokenItem TokenItem::attribute(std::string tokenId) {
    TokenItem item;
    item.type = std::string(typeAttribute);
    item.value = std::move(tokenId);
    return item;
}

TokenItem TokenItem::regex(RegExpToken token, std::string value) {
    TokenItem item;
    item.type = std::string(typeRegex);
    item.value = std::move(value);
    item.regexp = std::move(token);
    return item;
}

bool TokenItem::isDateToken(const TokenDetailsList* catalogue) const {
    return catalogueHasType(*this, catalogue, "date");
}

bool TokenItem::isGpsToken(const TokenDetailsList* catalogue) const {
    return catalogueHasType(*this, catalogue, "gps");
}

bool TokenItem::isNumberToken(const TokenDetailsList* catalogue) const {
    return catalogueHasType(*this, catalogue, "number");
}

std::string TokenItem::description() const {
    return "TokenItem: type: " + type + ", value: " + value + ", regexp: " + regexp.description() +
           ", prefix: " + prefix + ", suffix: " + suffix;
}

nlohmann::ordered_json TokenItem::toJson(const TokenDetailsList* catalogue) const {
    std::shared_ptr<TokenDetailsList> shared;
    if (isAttribute())
        catalogue = &catalogueFor(catalogue, shared);
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["type"] = type;
    json["value"] = value;
    json["prefix"] = prefix;
    json["suffix"] = suffix;
    auto has = [&](std::string_view kind) { return catalogue && isAttribute() && catalogue->hasType(value, kind); };
    if (has("date"))
        json["dateFormat"] = dateFormat;
    else if (has("gps"))
        json["gpsFormat"] = gpsFormat;
    else if (isRegex())
        json["regexp"] = regexp.toJson();
    else if (has("number"))
        json["numberDigits"] = numberDigits;
    return json;
}

Result<TokenItem> TokenItem::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        return Error{"token item: not an object"};
    auto type = json.find("type");
    auto value = json.find("value");
    if (type == json.end() || !type->is_string())
        return Error{"token item: \"type\" is missing or not a string"};
    if (value == json.end() || !value->is_string())
        return Error{"token item: \"value\" is missing or not a string"};
    TokenItem item;
    item.type = type->get<std::string>();
    item.value = value->get<std::string>();
    auto isString = [](const auto& j) { return j.is_string(); };
    auto isInteger = [](const auto& j) { return j.is_number_integer(); };
    for (auto status : {readOptional(json, "prefix", item.prefix, isString),
                        readOptional(json, "suffix", item.suffix, isString),
                        readOptional(json, "dateFormat", item.dateFormat, isString),
                        readOptional(json, "gpsFormat", item.gpsFormat, isInteger),
                        readOptional(json, "numberDigits", item.numberDigits, isInteger)})
        if (!status)
            return status.error();
    auto regexp = json.find("regexp");
    if (regexp != json.end() && !regexp->is_null()) {
        auto token = RegExpToken::fromJson(*regexp);
        if (!token)
            return token.error();
        item.regexp = *token;
    }
    return item;
}

std::map<std::string, std::string> TokenItem::toDictionary() const {
    auto flag = [](bool value) { return std::string(value ? "true" : "false"); };
    return {{"type", type},
            {"value", value},
            {"dateFormat", dateFormat},
            {"gpsFormat", std::to_string(gpsFormat)},
            {"numberDigits", std::to_string(numberDigits)},
            {"containing", flag(regexp.containing)},
            {"alphabetic", flag(regexp.alphabetic)},
            {"numeric", flag(regexp.numeric)},
            {"punctuation", flag(regexp.punctuation)},
            {"whitespace", flag(regexp.whitespace)},
            {"custom", regexp.custom},
            {"count", std::to_string(regexp.count)},
            {"anchor", std::string(rawValue(regexp.anchor))},
            {"prefix", prefix},
            {"suffix", suffix}};
}

TokenItem TokenItem::fromDictionary(const std::map<std::string, std::string>& dictionary) {
    auto get = [&](const char* key) -> std::optional<std::string> {
        auto found = dictionary.find(key);
        return found == dictionary.end() ? std::nullopt : std::optional(found->second);
    };
    auto integer = [&](const char* key, int fallback) {
        auto text = get(key);
        return text ? parseInteger(*text).value_or(fallback) : fallback;
    };
    TokenItem item;
    item.type = get("type").value_or(std::string(typeString));
    item.value = get("value").value_or("");
    item.prefix = get("prefix").value_or("");
    item.suffix = get("suffix").value_or("");
    item.dateFormat = get("dateFormat").value_or(std::string(defaultDateFormat));
    item.gpsFormat = integer("gpsFormat", 0);
    item.numberDigits = integer("numberDigits", 2);
    if (!item.isRegex())
        return item;
    auto flag = [&](const char* key) { return get(key) == "true"; };
    item.regexp.containing = flag("containing");
    item.regexp.alphabetic = flag("alphabetic");
    item.regexp.numeric = flag("numeric");
    item.regexp.punctuation = flag("punctuation");
    item.regexp.whitespace = flag("whitespace");
    item.regexp.custom = get("custom").value_or("");
    item.regexp.count = integer("count", 0);
    item.regexp.anchor = regExpAnchorFromRaw(get("anchor").value_or("")).value_or(RegExpAnchor::none);
    return item;
}

} // namespace quillory
