// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenString.h"

#include "text/Utf.h"

#include <algorithm>

namespace quillory {

namespace {

const PasteboardItem* findOffered(const std::vector<PasteboardItem>& offered, std::initializer_list<std::string_view> types) {
    for (const auto& item : offered)
        if (std::find(types.begin(), types.end(), item.type) != types.end())
            return &item;
    return nullptr;
}

// The clipboard's token form: a JSON array of objects whose values are all strings.
std::optional<TokenString> readTokenData(std::string_view data) {
    auto json = nlohmann::json::parse(data, nullptr, false);
    if (json.is_discarded() || !json.is_array())
        return std::nullopt;
    TokenString tokens;
    for (const auto& entry : json) {
        if (!entry.is_object())
            return std::nullopt;
        std::map<std::string, std::string> dictionary;
        for (const auto& [key, value] : entry.items()) {
            if (!value.is_string())
                return std::nullopt;
            dictionary.emplace(key, value.get<std::string>());
        }
        tokens.items.push_back(TokenItem::fromDictionary(dictionary));
    }
    return tokens;
}

} // namespace

TokenString TokenString::fromPlainString(std::string text) {
    return TokenString({TokenItem::text(std::move(text))});
}

std::string TokenString::description() const {
    std::string out = "TokenString (" + std::to_string(items.size()) + "): ";
    for (const auto& item : items)
        out += ", " + item.description();
    return out;
}

std::string TokenString::plainText() const {
    std::string out;
    for (const auto& item : items)
        out += item.isAttribute() ? "{" + item.value + "}" : item.value;
    return out;
}

nlohmann::ordered_json TokenString::toJson(const TokenDetailsList* catalogue) const {
    auto array = nlohmann::ordered_json::array();
    for (const auto& item : items)
        array.push_back(item.toJson(catalogue));
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["items"] = std::move(array);
    return json;
}

Result<TokenString> TokenString::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        return Error{"token string: not an object"};
    auto items = json.find("items");
    if (items == json.end() || !items->is_array())
        return Error{"token string: \"items\" is missing or not an array"};
    TokenString tokens;
    tokens.items.reserve(items->size());
    for (const auto& entry : *items) {
        auto item = TokenItem::fromJson(entry);
        if (!item)
            return item.error();
        tokens.items.push_back(std::move(*item));
    }
    return tokens;
}

TokenString TokenString::fromJsonOrPlainString(const nlohmann::ordered_json& json) {
    auto tokens = fromJson(json);
    if (tokens)
        return std::move(*tokens);
    return fromPlainString(json.is_string() ? json.get<std::string>() : std::string());
}

std::vector<PasteboardItem> TokenString::toPasteboardItems() const {
    auto array = nlohmann::json::array();
    for (const auto& item : items)
        array.push_back(item.toDictionary());
    // Invalid UTF-8 in a value cannot go into JSON; then only the plain text is offered.
    std::vector<PasteboardItem> result;
    try {
        result.push_back({std::string(pasteboardType), array.dump()});
    } catch (const nlohmann::json::exception&) {
    }
    result.push_back({std::string(plainTextType), plainText()});
    return result;
}

TokenString TokenString::fromPasteboardItems(const std::vector<PasteboardItem>& offered) {
    if (auto token = findOffered(offered, {pasteboardType})) {
        if (auto tokens = readTokenData(token->data))
            return std::move(*tokens);
    }
    if (auto plain = findOffered(offered, {plainTextType, "text/plain", "UTF8_STRING"})) {
        if (text::isValidUtf8(plain->data))
            return fromPlainString(plain->data);
    }
    return {};
}

} // namespace quillory
