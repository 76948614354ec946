// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/ChangeHasher.h"
#include "model/TokenString.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class TokenDetailsList;

// The settings of every action kind in one flat record. Every field is optional; an absent field takes
// the default of its action. Declaration order is the JSON order.
struct TransformerProperties {
    using LookupTable = std::vector<std::vector<std::string>>;

    // simple
    std::optional<std::string> simpleFindText;
    std::optional<TokenString> simpleReplaceText;
    std::optional<bool> simpleCaseInsensitive;
    std::optional<bool> simpleWildcards;
    std::optional<bool> simpleFindFirst;
    // insert
    std::optional<std::string> insertFindText;
    std::optional<bool> insertFindWildcards;
    std::optional<bool> insertFindRegex;
    std::optional<bool> insertFindCaseInsensitive;
    std::optional<bool> insertFindFirst;
    std::optional<TokenString> insertText;
    std::optional<std::string> insertPosition;
    std::optional<int> insertOffset;
    // regularexpression
    std::optional<TokenString> regexFindText;
    std::optional<TokenString> regexReplaceText;
    std::optional<bool> regexCaseInsensitive;
    std::optional<bool> regexFindFirst;
    // numbering
    std::optional<std::string> numberFindText;
    std::optional<bool> numberFindWildcards;
    std::optional<bool> numberFindRegex;
    std::optional<bool> numberFindCaseInsensitive;
    std::optional<bool> numberFindFirst;
    std::optional<std::string> numberPosition;
    std::optional<int> numberPositionOffset;
    std::optional<std::string> numberSeparatorText;
    std::optional<std::string> numberFormat;
    std::optional<std::string> numberDigitText;
    std::optional<std::string> numberStartText;
    std::optional<std::string> numberSkipText;
    std::optional<int> numberRepeatCount;
    std::optional<bool> numberResetEvery;
    std::optional<std::string> numberResetEveryText;
    std::optional<bool> numberResetEveryDirectoryChange;
    std::optional<bool> numberRandom;
    // conversion
    std::optional<std::string> conversionFindText;
    std::optional<bool> conversionFindWildcards;
    std::optional<bool> conversionFindRegex;
    std::optional<bool> conversionFindCaseInsensitive;
    std::optional<bool> conversionFindFirst;
    std::optional<std::string> conversionType;
    std::optional<LookupTable> conversionLookup;
    // trim
    std::optional<std::string> trimFindText;
    std::optional<bool> trimFindWildcards;
    std::optional<bool> trimFindRegex;
    std::optional<bool> trimFindCaseInsensitive;
    std::optional<bool> trimFindFirst;
    std::optional<std::string> trimPosition;
    std::optional<int> trimOffset;
    std::optional<std::string> trimCount;
    std::optional<std::string> trimMatch;
    std::optional<std::string> trimCharacters;
    std::optional<bool> trimLeadingTrailingSpaces;
    // select
    std::optional<std::string> selectType;
    std::optional<std::string> selectMatch;
    // prefix
    std::optional<std::string> prefixFindText;
    std::optional<bool> prefixFindWildcards;
    std::optional<bool> prefixFindRegex;
    std::optional<bool> prefixFindCaseInsensitive;
    std::optional<bool> prefixFindFirst;
    std::optional<TokenString> prefixText;
    // suffix
    std::optional<std::string> suffixFindText;
    std::optional<bool> suffixFindWildcards;
    std::optional<bool> suffixFindRegex;
    std::optional<bool> suffixFindCaseInsensitive;
    std::optional<bool> suffixFindFirst;
    std::optional<TokenString> suffixText;
    // set
    std::optional<std::string> setFindText;
    std::optional<bool> setFindWildcards;
    std::optional<bool> setFindRegex;
    std::optional<bool> setFindCaseInsensitive;
    std::optional<TokenString> setText;

    static constexpr std::size_t keyCount = 71;

    bool operator==(const TransformerProperties&) const = default;

    // Only the fields of the type's group; an unknown type logs an error and returns a plain copy.
    TransformerProperties copy(std::string_view type) const;

    // Present fields only, in declaration order.
    nlohmann::ordered_json toJson(const TokenDetailsList* catalogue = nullptr) const;
    // Lenient reading: booleans from "1", plain strings for the three older token fields, older keys.
    static Result<TransformerProperties> fromJson(const nlohmann::ordered_json& json);

    // Mixes presence and value of every field into a running hash.
    void hashInto(ChangeHasher& hasher) const;

    // The JSON keys in declaration order.
    static const std::vector<std::string_view>& keys();

    // Every token-string field that is present, in declaration order.
    std::vector<const TokenString*> tokenStrings() const;

    // Every field with the action kind that owns it and how its value is written in JSON.
    enum class ValueKind { text, tokenText, boolean, integer, numberText, table };
    struct Field {
        std::string_view group;
        std::string_view key;
        ValueKind kind;
    };
    static const std::vector<Field>& fields();
};

} // namespace quillory
