// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/File.h"
#include "model/TransformerProperties.h"
#include "model/TransformerState.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

class TokenDetailsList;

// One rename action as kept in the chain and in recipes.
struct Transformer {
    std::string id;
    std::string type;
    TransformScope transformScope = TransformScope::filename;
    bool disabled = false;
    std::optional<std::string> description;
    TransformerProperties properties;
    TransformerState state;        // not stored, not compared
    bool needsInitialSave = false; // not stored, not compared

    // A new record has a new id.
    Transformer() : id(makeId()) {}
    Transformer(std::string type, TransformScope scope = TransformScope::filename)
        : id(makeId()), type(std::move(type)), transformScope(scope) {}

    // "transformer_" + upper-case hex milliseconds since 1970; unique within the process even when
    // several are made in the same millisecond (the later ones take the next free millisecond value).
    static std::string makeId();

    // id, type, scope, properties and description; `disabled` is not compared.
    bool operator==(const Transformer& other) const;
    // Change detection: id, type, scope, disabled, description and every property.
    std::uint64_t changeHash() const;

    // "id", "type", "transformScope", "properties", "disabled", then "description" when present.
    nlohmann::ordered_json toJson(const TokenDetailsList* catalogue = nullptr) const;
    // Missing "type" or "properties", or a wrong value type, is an error. Records of type "case" read
    // as "conversion".
    static Result<Transformer> fromJson(const nlohmann::ordered_json& json);

private:
    // Decoding makes an id only when the record has none.
    struct WithoutId {};
    explicit Transformer(WithoutId) {}
};

} // namespace quillory
