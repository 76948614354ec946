// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/PasteboardItem.h"
#include "model/TokenItem.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class TokenDetailsList;

// The text of an action field: literal text mixed with attribute and regular-expression tokens.
// Rendering for a file is the resolver's job (tokens/TokenResolver.h).
struct TokenString {
    // Clipboard format of the item array (JSON array of string dictionaries), then plain text.
    static constexpr std::string_view pasteboardType = "com.quillory.tokenstring.attribute";
    static constexpr std::string_view plainTextType = "text/plain;charset=utf-8";

    std::vector<TokenItem> items;

    TokenString() = default;
    explicit TokenString(std::vector<TokenItem> items) : items(std::move(items)) {}
    // One "string" item holding the text (older recipes, pasted plain text).
    static TokenString fromPlainString(std::string text);

    bool operator==(const TokenString&) const = default;
    bool isEmpty() const { return items.empty(); }

    // "TokenString (n): , <item>, <item>"
    std::string description() const;
    // Attribute items as "{id}", every other item as its value; prefixes and suffixes left out.
    std::string plainText() const;

    // {"items": [...]}
    nlohmann::ordered_json toJson(const TokenDetailsList* catalogue = nullptr) const;
    static Result<TokenString> fromJson(const nlohmann::ordered_json& json);
    // The older form: the object, or else a plain string (null or any other value gives empty text).
    static TokenString fromJsonOrPlainString(const nlohmann::ordered_json& json);

    // Token form first, plain text second. Never fails.
    std::vector<PasteboardItem> toPasteboardItems() const;
    // The token form when it reads, else the plain text when it is valid UTF-8, else empty.
    static TokenString fromPasteboardItems(const std::vector<PasteboardItem>& offered);
};

} // namespace quillory
