// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TransformerProperties.h"

#include "app/Logger.h"
#include "model/TransformerTypes.h"

#include <limits>

namespace quillory {

// Every field once: its group (the type id that owns it), its name (= JSON key) and how it is coded.
#define QUILLORY_TRANSFORMER_PROPERTIES(X)                                                                            \
    X("simple", simpleFindText, String)                                                                               \
    X("simple", simpleReplaceText, TokensOrPlain)                                                                     \
    X("simple", simpleCaseInsensitive, Bool)                                                                          \
    X("simple", simpleWildcards, Bool)                                                                                \
    X("simple", simpleFindFirst, Bool)                                                                                \
    X("insert", insertFindText, String)                                                                               \
    X("insert", insertFindWildcards, Bool)                                                                            \
    X("insert", insertFindRegex, Bool)                                                                                \
    X("insert", insertFindCaseInsensitive, Bool)                                                                      \
    X("insert", insertFindFirst, Bool)                                                                                \
    X("insert", insertText, Tokens)                                                                                   \
    X("insert", insertPosition, String)                                                                               \
    X("insert", insertOffset, Int)                                                                                    \
    X("regularexpression", regexFindText, TokensOrPlain)                                                              \
    X("regularexpression", regexReplaceText, TokensOrPlain)                                                           \
    X("regularexpression", regexCaseInsensitive, Bool)                                                                \
    X("regularexpression", regexFindFirst, Bool)                                                                      \
    X("numbering", numberFindText, String)                                                                            \
    X("numbering", numberFindWildcards, Bool)                                                                         \
    X("numbering", numberFindRegex, Bool)                                                                             \
    X("numbering", numberFindCaseInsensitive, Bool)                                                                   \
    X("numbering", numberFindFirst, Bool)                                                                             \
    X("numbering", numberPosition, String)                                                                            \
    X("numbering", numberPositionOffset, Int)                                                                         \
    X("numbering", numberSeparatorText, String)                                                                       \
    X("numbering", numberFormat, String)                                                                              \
    X("numbering", numberDigitText, NumberText)                                                                       \
    X("numbering", numberStartText, NumberText)                                                                       \
    X("numbering", numberSkipText, NumberText)                                                                        \
    X("numbering", numberRepeatCount, Int)                                                                            \
    X("numbering", numberResetEvery, Bool)                                                                            \
    X("numbering", numberResetEveryText, NumberText)                                                                  \
    X("numbering", numberResetEveryDirectoryChange, Bool)                                                             \
    X("numbering", numberRandom, Bool)                                                                                \
    X("conversion", conversionFindText, String)                                                                       \
    X("conversion", conversionFindWildcards, Bool)                                                                    \
    X("conversion", conversionFindRegex, Bool)                                                                        \
    X("conversion", conversionFindCaseInsensitive, Bool)                                                              \
    X("conversion", conversionFindFirst, Bool)                                                                        \
    X("conversion", conversionType, String)                                                                           \
    X("conversion", conversionLookup, Lookup)                                                                         \
    X("trim", trimFindText, String)                                                                                   \
    X("trim", trimFindWildcards, Bool)                                                                                \
    X("trim", trimFindRegex, Bool)                                                                                    \
    X("trim", trimFindCaseInsensitive, Bool)                                                                          \
    X("trim", trimFindFirst, Bool)                                                                                    \
    X("trim", trimPosition, String)                                                                                   \
    X("trim", trimOffset, Int)                                                                                        \
    X("trim", trimCount, NumberText)                                                                                  \
    X("trim", trimMatch, String)                                                                                      \
    X("trim", trimCharacters, String)                                                                                 \
    X("trim", trimLeadingTrailingSpaces, Bool)                                                                        \
    X("select", selectType, String)                                                                                   \
    X("select", selectMatch, String)                                                                                  \
    X("prefix", prefixFindText, String)                                                                               \
    X("prefix", prefixFindWildcards, Bool)                                                                            \
    X("prefix", prefixFindRegex, Bool)                                                                                \
    X("prefix", prefixFindCaseInsensitive, Bool)                                                                      \
    X("prefix", prefixFindFirst, Bool)                                                                                \
    X("prefix", prefixText, Tokens)                                                                                   \
    X("suffix", suffixFindText, String)                                                                               \
    X("suffix", suffixFindWildcards, Bool)                                                                            \
    X("suffix", suffixFindRegex, Bool)                                                                                \
    X("suffix", suffixFindCaseInsensitive, Bool)                                                                      \
    X("suffix", suffixFindFirst, Bool)                                                                                \
    X("suffix", suffixText, Tokens)                                                                                   \
    X("set", setFindText, String)                                                                                     \
    X("set", setFindWildcards, Bool)                                                                                  \
    X("set", setFindRegex, Bool)                                                                                      \
    X("set", setFindCaseInsensitive, Bool)                                                                            \
    X("set", setText, Tokens)

namespace {

using Json = nlohmann::ordered_json;

Error wrongType(std::string_view key, std::string_view expected) {
    return Error{"properties: \"" + std::string(key) + "\" must be " + std::string(expected)};
}

// The JSON value under the key, or nullptr when it is absent or null.
const Json* present(const Json& json, std::string_view key) {
    auto found = json.find(key);
    if (found == json.end() || found->is_null())
        return nullptr;
    return &*found;
}

// Writing.
void writeString(Json& out, std::string_view key, const std::optional<std::string>& value, const TokenDetailsList*) {
    if (value)
        out[std::string(key)] = *value;
}
void writeTokens(Json& out, std::string_view key, const std::optional<TokenString>& value,
                 const TokenDetailsList* catalogue) {
    if (value)
        out[std::string(key)] = value->toJson(catalogue);
}
void writeBool(Json& out, std::string_view key, const std::optional<bool>& value, const TokenDetailsList*) {
    if (value)
        out[std::string(key)] = *value;
}
void writeInt(Json& out, std::string_view key, const std::optional<int>& value, const TokenDetailsList*) {
    if (value)
        out[std::string(key)] = *value;
}
void writeLookup(Json& out, std::string_view key, const std::optional<TransformerProperties::LookupTable>& value,
                 const TokenDetailsList*) {
    if (value)
        out[std::string(key)] = *value;
}
#define writeTokensOrPlain writeTokens
#define writeNumberText writeString

// Reading.
Status readString(const Json& json, std::string_view key, std::optional<std::string>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    if (!value->is_string())
        return wrongType(key, "a string");
    field = value->get<std::string>();
    return {};
}
// Numbers kept as text also read from a JSON integer, which is what people write by hand.
Status readNumberText(const Json& json, std::string_view key, std::optional<std::string>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    if (value->is_number_integer())
        field = value->dump();
    else if (value->is_string())
        field = value->get<std::string>();
    else
        return wrongType(key, "a string or an integer");
    return {};
}
Status readTokens(const Json& json, std::string_view key, std::optional<TokenString>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    auto tokens = TokenString::fromJson(*value);
    if (!tokens)
        return Error{"properties: \"" + std::string(key) + "\": " + tokens.error().message};
    field = std::move(*tokens);
    return {};
}
// The three fields that older recipes store as plain strings; a present null also counts as plain text.
// Anything else (a number, an array) is a mistake, not an empty text.
Status readTokensOrPlain(const Json& json, std::string_view key, std::optional<TokenString>& field) {
    auto found = json.find(key);
    if (found == json.end())
        return {};
    if (found->is_object())
        return readTokens(json, key, field);
    if (!found->is_string() && !found->is_null())
        return wrongType(key, "a token string or a string");
    field = TokenString::fromJsonOrPlainString(*found);
    return {};
}
Status readBool(const Json& json, std::string_view key, std::optional<bool>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    if (value->is_boolean()) {
        field = value->get<bool>();
    } else if (value->is_string()) {
        // Recipes keep switches as "1" and "0"; one written by hand may say "true", and means it.
        const auto text = value->get<std::string>();
        field = text == "1" || text == "true";
    }
    else
        return wrongType(key, "a boolean or a string");
    return {};
}
Status readInt(const Json& json, std::string_view key, std::optional<int>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    if (value->is_number_unsigned() && value->get<std::uint64_t>() <= std::uint64_t(std::numeric_limits<int>::max()))
        field = static_cast<int>(value->get<std::uint64_t>());
    else if (value->is_number_integer() && !value->is_number_unsigned() &&
             value->get<std::int64_t>() >= std::numeric_limits<int>::min() &&
             value->get<std::int64_t>() <= std::numeric_limits<int>::max())
        field = static_cast<int>(value->get<std::int64_t>());
    else
        return wrongType(key, "an integer");
    return {};
}
Status readLookup(const Json& json, std::string_view key, std::optional<TransformerProperties::LookupTable>& field) {
    auto value = present(json, key);
    if (!value)
        return {};
    if (!value->is_array())
        return wrongType(key, "an array of arrays of strings");
    TransformerProperties::LookupTable table;
    for (const auto& row : *value) {
        if (!row.is_array())
            return wrongType(key, "an array of arrays of strings");
        auto& cells = table.emplace_back();
        for (const auto& cell : row) {
            if (!cell.is_string())
                return wrongType(key, "an array of arrays of strings");
            cells.push_back(cell.get<std::string>());
        }
    }
    field = std::move(table);
    return {};
}

// Hashing: presence first, then the value.
void hashString(ChangeHasher& hasher, const std::optional<std::string>& value) {
    hasher.add(value.has_value());
    if (value)
        hasher.add(std::string_view(*value));
}
void hashTokens(ChangeHasher& hasher, const std::optional<TokenString>& value) {
    hasher.add(value.has_value());
    if (!value)
        return;
    hasher.addInteger(value->items.size());
    for (const auto& item : value->items) {
        for (std::string_view text : {std::string_view(item.type), std::string_view(item.value),
                                      std::string_view(item.dateFormat), std::string_view(item.prefix),
                                      std::string_view(item.suffix), std::string_view(item.regexp.custom),
                                      rawValue(item.regexp.anchor)})
            hasher.add(text);
        for (int number : {item.gpsFormat, item.numberDigits, item.regexp.count})
            hasher.addInteger(static_cast<std::uint64_t>(static_cast<std::int64_t>(number)));
        for (bool flag : {item.regexp.containing, item.regexp.alphabetic, item.regexp.numeric,
                          item.regexp.punctuation, item.regexp.whitespace})
            hasher.add(flag);
    }
}
void hashBool(ChangeHasher& hasher, const std::optional<bool>& value) {
    hasher.add(value.has_value());
    if (value)
        hasher.add(*value);
}
void hashInt(ChangeHasher& hasher, const std::optional<int>& value) {
    hasher.add(value.has_value());
    if (value)
        hasher.addInteger(static_cast<std::uint64_t>(static_cast<std::int64_t>(*value)));
}
void hashLookup(ChangeHasher& hasher, const std::optional<TransformerProperties::LookupTable>& value) {
    hasher.add(value.has_value());
    if (!value)
        return;
    hasher.addInteger(value->size());
    for (const auto& row : *value) {
        hasher.addInteger(row.size());
        for (const auto& cell : row)
            hasher.add(std::string_view(cell));
    }
}
#define hashTokensOrPlain hashTokens
#define hashNumberText hashString

// Older keys fill what the current keys left absent.
Status readOlderKeys(const Json& json, TransformerProperties& p) {
    std::optional<std::string> text;
    auto readInto = [&](std::string_view key) -> Status {
        text.reset();
        return readString(json, key, text);
    };
    if (auto status = readInto("caseType"); !status)
        return status;
    if (!p.conversionType && text)
        p.conversionType = text;
    for (std::string_view key : {"caseMatch", "conversionMatch"}) {
        if (auto status = readInto(key); !status)
            return status;
        if (!p.conversionFindText && text)
            p.conversionFindText = text;
    }
    if (auto status = readInto("trimLocation"); !status)
        return status;
    if (!p.trimPosition && text)
        p.trimPosition = text;
    if (auto status = readInto("numberLocation"); !status)
        return status;
    if (!p.numberPosition && text)
        p.numberPosition = *text == "beginning" ? std::string("start") : *text;
    std::optional<int> offset;
    if (auto status = readInt(json, "numberLocationOffset", offset); !status)
        return status;
    if (!p.numberPositionOffset && offset)
        p.numberPositionOffset = offset;
    if (auto status = readInto("insertMatch"); !status)
        return status;
    // An older insert matched by regular expression only.
    if (!p.insertFindText && text && !text->empty()) {
        p.insertFindText = text;
        p.insertFindRegex = true;
        p.insertFindWildcards = false;
        p.insertFindCaseInsensitive = false;
    }
    if (auto status = readInto("insertLocation"); !status)
        return status;
    if (!p.insertPosition && text)
        p.insertPosition = text;
    return {};
}

} // namespace

const std::vector<std::string_view>& TransformerProperties::keys() {
#define QUILLORY_KEY(group, name, kind) #name,
    static const std::vector<std::string_view> names = {QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_KEY)};
#undef QUILLORY_KEY
    return names;
}

const std::vector<TransformerProperties::Field>& TransformerProperties::fields() {
    using enum ValueKind;
    constexpr ValueKind String = text, Tokens = tokenText, TokensOrPlain = tokenText, Bool = boolean, Int = integer,
                        NumberText = numberText, Lookup = table;
#define QUILLORY_FIELD(group, name, kind) Field{group, #name, kind},
    static const std::vector<Field> all = {QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_FIELD)};
#undef QUILLORY_FIELD
    return all;
}

TransformerProperties TransformerProperties::copy(std::string_view type) const {
    if (!transformerTypeInfo(type)) {
        Logger::error("ERROR: TransformerProperties copy for type '", type, "' not supported.");
        return *this;
    }
    TransformerProperties kept;
#define QUILLORY_COPY(group, name, kind)                                                                            \
    if (type == group)                                                                                             \
        kept.name = name;
    QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_COPY)
#undef QUILLORY_COPY
    return kept;
}

nlohmann::ordered_json TransformerProperties::toJson(const TokenDetailsList* catalogue) const {
    Json out = Json::object();
#define QUILLORY_WRITE(group, name, kind) write##kind(out, #name, name, catalogue);
    QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_WRITE)
#undef QUILLORY_WRITE
    return out;
}

Result<TransformerProperties> TransformerProperties::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        return Error{"\"properties\" must be an object"};
    TransformerProperties p;
#define QUILLORY_READ(group, name, kind)                                                                            \
    if (auto status = read##kind(json, #name, p.name); !status)                                                    \
        return status.error();
    QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_READ)
#undef QUILLORY_READ
    if (auto status = readOlderKeys(json, p); !status)
        return status.error();
    if (p.trimMatch == "any" || p.trimMatch == "anyof" || p.trimMatch == "anyexcept")
        p.trimMatch = "trim" + *p.trimMatch;
    return p;
}

void TransformerProperties::hashInto(ChangeHasher& hasher) const {
#define QUILLORY_HASH(group, name, kind) hash##kind(hasher, name);
    QUILLORY_TRANSFORMER_PROPERTIES(QUILLORY_HASH)
#undef QUILLORY_HASH
}

std::vector<const TokenString*> TransformerProperties::tokenStrings() const {
    std::vector<const TokenString*> present;
    for (const auto* field : {&simpleReplaceText, &insertText, &regexFindText, &regexReplaceText, &prefixText,
                              &suffixText, &setText}) {
        if (*field)
            present.push_back(&**field);
    }
    return present;
}

} // namespace quillory
