// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Recipe.h"

#include "app/JsonInput.h"

#include <charconv>
#include <limits>
#include <regex>

namespace quillory {

using Json = nlohmann::ordered_json;

namespace {

unsigned long long versionPart(const std::ssub_match& match) {
    unsigned long long value = 0;
    const char* first = &*match.first;
    auto [end, error] = std::from_chars(first, first + match.length(), value);
    // An absurdly long number is still a very large version, not zero.
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<unsigned long long>::max();
    return value;
}

std::optional<std::string> optionalString(const Json& json, const char* key, std::string& error) {
    auto found = json.find(key);
    if (found == json.end() || found->is_null())
        return std::nullopt;
    if (!found->is_string()) {
        error = std::string("\"") + key + "\" must be a string";
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::string describeRecord(std::size_t position, const Json& record) {
    std::string text = "rename action " + std::to_string(position);
    if (record.is_object()) {
        auto id = record.find("id");
        if (id != record.end() && id->is_string())
            text += " (id \"" + id->get<std::string>() + "\")";
    }
    return text;
}

} // namespace

Json Recipe::toJson() const {
    Json json = Json::object();
    if (recipeFormatVersion)
        json["recipe_format_version"] = *recipeFormatVersion;
    if (sortOrder)
        json["sortOrder"] = *sortOrder;
    if (transformers) {
        Json list = Json::array();
        for (const auto& transformer : *transformers)
            list.push_back(transformer.toJson());
        json["transformers"] = std::move(list);
    }
    return json;
}

Result<std::string> Recipe::toText() const {
    try {
        return toJson().dump();
    } catch (const nlohmann::json::exception& error) {
        return Error{"recipe: " + std::string(error.what())};
    }
}

Result<Recipe> Recipe::fromJson(const Json& json) {
    if (!json.is_object())
        return Error{"recipe: the JSON text is not an object"};
    Recipe recipe;
    std::string error;
    recipe.recipeFormatVersion = optionalString(json, "recipe_format_version", error);
    if (error.empty())
        recipe.sortOrder = optionalString(json, "sortOrder", error);
    if (!error.empty())
        return Error{"recipe: " + error};

    auto list = json.find("transformers");
    if (list == json.end() || list->is_null())
        return recipe;
    if (!list->is_array())
        return Error{"recipe: \"transformers\" must be an array"};
    std::vector<Transformer> transformers;
    transformers.reserve(list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
        const Json& record = (*list)[i];
        auto decoded = Transformer::fromJson(record);
        if (!decoded)
            return Error{"recipe: " + describeRecord(i, record) + ": " + decoded.error().message};
        transformers.push_back(std::move(*decoded));
    }
    recipe.transformers = std::move(transformers);
    return recipe;
}

Result<Recipe> Recipe::fromText(std::string_view text) {
    if (JsonInput::depth(text) > JsonInput::maxDepth)
        return Error{"recipe: " + JsonInput::tooDeepMessage()};
    Json json;
    try {
        json = Json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& error) {
        return Error{"recipe: " + std::string(error.what())};
    }
    return fromJson(json);
}

Recipe::Version Recipe::parseVersion(std::string_view text) {
    static const std::regex threeParts("([0-9]+)\\.([0-9]+)\\.([0-9]+)");
    static const std::regex twoParts("([0-9]+)\\.([0-9]+)");
    static const std::regex onePart("([0-9]+)");
    const std::string value(text);
    std::smatch match;
    Version version;
    if (std::regex_search(value, match, threeParts)) {
        version.major = versionPart(match[1]);
        version.minor = versionPart(match[2]);
        version.patch = versionPart(match[3]);
    } else if (std::regex_search(value, match, twoParts)) {
        version.major = versionPart(match[1]);
        version.minor = versionPart(match[2]);
    } else if (std::regex_search(value, match, onePart)) {
        // "10" is a tenth major version, not an unreadable one that would pass as the oldest.
        version.major = versionPart(match[1]);
    }
    return version;
}

Recipe::VersionComparison Recipe::compareToCurrent(const std::optional<std::string>& version) {
    if (!version)
        return VersionComparison::newer;
    const Version file = parseVersion(*version);
    const Version current = parseVersion(currentVersion);
    if (file < current)
        return VersionComparison::older;
    if (file == current)
        return VersionComparison::equal;
    return VersionComparison::newer;
}

std::string Recipe::incompatibleVersionMessage(const std::optional<std::string>& version) {
    return "The Recipe file is created by an incompatible version of Quillory.\n\nThe opened file format has version " +
           version.value_or("") + "\nCurrently supported file format is version " + std::string(currentVersion);
}

} // namespace quillory
