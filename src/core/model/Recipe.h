// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/Transformer.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A saved chain of rename actions with the sort order of the file list: one JSON object with
// "recipe_format_version", "sortOrder" and "transformers", in that order, each only when present.
struct Recipe {
    static constexpr std::string_view currentVersion = "8.0";

    enum class VersionComparison { older, equal, newer };

    // major.minor.patch of a version text (a lone number is the major version); missing parts are 0.
    struct Version {
        unsigned long long major = 0;
        unsigned long long minor = 0;
        unsigned long long patch = 0;
        auto operator<=>(const Version&) const = default;
    };

    std::optional<std::string> recipeFormatVersion;
    std::optional<std::string> sortOrder;
    std::optional<std::vector<Transformer>> transformers;

    nlohmann::ordered_json toJson() const;
    // Compact JSON text, as written to recipe files. Text that is not valid UTF-8 cannot be stored in
    // JSON and fails rather than being silently altered.
    Result<std::string> toText() const;

    // Decodes a recipe; a record that cannot be read fails the whole recipe, and the error names the
    // record by its position and, when it has one, its id.
    static Result<Recipe> fromJson(const nlohmann::ordered_json& json);
    static Result<Recipe> fromText(std::string_view text);

    static Version parseVersion(std::string_view text);
    // A recipe without a version counts as newer than ours.
    static VersionComparison compareToCurrent(const std::optional<std::string>& version);
    // The message shown when a recipe is too new for this program.
    static std::string incompatibleVersionMessage(const std::optional<std::string>& version);
};

} // namespace quillory
