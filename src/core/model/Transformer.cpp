// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Transformer.h"

#include "model/ChangeHasher.h"

#include <atomic>
#include <chrono>
#include <cstdio>

namespace quillory {

namespace {

using Json = nlohmann::ordered_json;

// The last millisecond value handed out; ids are made from max(now, last + 1) so none repeats.
std::atomic<std::int64_t> lastIdMilliseconds{0};

std::int64_t nextIdMilliseconds() {
    auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
                   .count();
    auto last = lastIdMilliseconds.load();
    std::int64_t next;
    do {
        next = std::max<std::int64_t>(now, last + 1);
    } while (!lastIdMilliseconds.compare_exchange_weak(last, next));
    return next;
}

} // namespace

std::string Transformer::makeId() {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(nextIdMilliseconds()));
    return std::string("transformer_") + hex;
}

bool Transformer::operator==(const Transformer& other) const {
    return id == other.id && type == other.type && transformScope == other.transformScope &&
           properties == other.properties && description == other.description;
}

std::uint64_t Transformer::changeHash() const {
    ChangeHasher hasher;
    hasher.add(std::string_view(id));
    hasher.add(std::string_view(type));
    hasher.add(rawValue(transformScope));
    hasher.add(disabled);
    hasher.add(description.has_value());
    if (description)
        hasher.add(std::string_view(*description));
    properties.hashInto(hasher);
    return hasher.value();
}

nlohmann::ordered_json Transformer::toJson(const TokenDetailsList* catalogue) const {
    Json json = Json::object();
    json["id"] = id;
    json["type"] = type;
    json["transformScope"] = std::string(rawValue(transformScope));
    json["properties"] = properties.toJson(catalogue);
    json["disabled"] = disabled;
    if (description)
        json["description"] = *description;
    return json;
}

Result<Transformer> Transformer::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        return Error{"rename action: not an object"};
    auto field = [&](const char* key) -> const Json* {
        auto found = json.find(key);
        return found == json.end() || found->is_null() ? nullptr : &*found;
    };

    Transformer transformer;
    if (auto id = field("id")) {
        if (!id->is_string())
            return Error{"rename action: \"id\" must be a string"};
        transformer.id = id->get<std::string>();
    }
    auto type = field("type");
    if (!type || !type->is_string())
        return Error{"rename action: \"type\" is missing or not a string"};
    transformer.type = type->get<std::string>();
    // The conversion action was once called "case".
    if (transformer.type == "case")
        transformer.type = "conversion";
    if (auto scope = field("transformScope")) {
        auto parsed = scope->is_string() ? transformScopeFromRaw(scope->get<std::string>()) : std::nullopt;
        if (!parsed)
            return Error{"rename action: unknown \"transformScope\" " + scope->dump()};
        transformer.transformScope = *parsed;
    }
    auto properties = field("properties");
    if (!properties)
        return Error{"rename action: \"properties\" is missing"};
    auto decoded = TransformerProperties::fromJson(*properties);
    if (!decoded)
        return Error{"rename action: " + decoded.error().message};
    transformer.properties = std::move(*decoded);
    if (auto disabled = field("disabled")) {
        if (!disabled->is_boolean())
            return Error{"rename action: \"disabled\" must be a boolean"};
        transformer.disabled = disabled->get<bool>();
    }
    if (auto description = field("description")) {
        if (!description->is_string())
            return Error{"rename action: \"description\" must be a string"};
        transformer.description = description->get<std::string>();
    }
    return transformer;
}

} // namespace quillory
