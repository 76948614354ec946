// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RegExpToken.h"

namespace quillory {

nlohmann::ordered_json RegExpToken::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["containing"] = containing;
    json["alphabetic"] = alphabetic;
    json["numeric"] = numeric;
    json["punctuation"] = punctuation;
    json["whitespace"] = whitespace;
    json["custom"] = custom;
    json["count"] = count;
    json["anchor"] = std::string(rawValue(anchor));
    return json;
}

namespace {

Result<bool> requiredBool(const nlohmann::ordered_json& json, const char* key) {
    auto found = json.find(key);
    if (found == json.end() || !found->is_boolean())
        return Error{std::string("regexp: \"") + key + "\" must be a boolean"};
    return found->get<bool>();
}

} // namespace

Result<RegExpToken> RegExpToken::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        return Error{"regexp: not an object"};
    RegExpToken token;
    const std::pair<const char*, bool*> flags[] = {{"containing", &token.containing},
                                                   {"alphabetic", &token.alphabetic},
                                                   {"numeric", &token.numeric},
                                                   {"punctuation", &token.punctuation},
                                                   {"whitespace", &token.whitespace}};
    for (auto [key, field] : flags) {
        auto value = requiredBool(json, key);
        if (!value)
            return value.error();
        *field = *value;
    }
    auto custom = json.find("custom");
    if (custom == json.end() || !custom->is_string())
        return Error{"regexp: \"custom\" must be a string"};
    token.custom = custom->get<std::string>();
    auto count = json.find("count");
    if (count == json.end() || !count->is_number_integer())
        return Error{"regexp: \"count\" must be an integer"};
    token.count = count->get<int>();
    auto anchor = json.find("anchor");
    if (anchor == json.end() || !anchor->is_string())
        return Error{"regexp: \"anchor\" must be a string"};
    auto parsed = regExpAnchorFromRaw(anchor->get<std::string>());
    if (!parsed)
        return Error{"regexp: unknown anchor \"" + anchor->get<std::string>() + "\""};
    token.anchor = *parsed;
    return token;
}

std::string RegExpToken::description() const {
    auto flag = [](bool value) { return value ? "true" : "false"; };
    return std::string("RegExpToken(containing: ") + flag(containing) + ", alphabetic: " + flag(alphabetic) +
           ", numeric: " + flag(numeric) + ", punctuation: " + flag(punctuation) + ", whitespace: " +
           flag(whitespace) + ", custom: \"" + custom + "\", count: " + std::to_string(count) +
           ", anchor: " + std::string(rawValue(anchor)) + ")";
}

} // namespace quillory
