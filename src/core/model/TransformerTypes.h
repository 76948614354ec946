// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace quillory {

// The action kinds: type id, title and help text, in the order recipes are checked against.
struct TransformerTypeInfo {
    std::string_view typeId;
    std::string_view title;
    std::string_view helpText;
};

namespace TransformerType {
inline constexpr std::string_view simple = "simple";
inline constexpr std::string_view insert = "insert";
inline constexpr std::string_view prefix = "prefix";
inline constexpr std::string_view suffix = "suffix";
inline constexpr std::string_view set = "set";
inline constexpr std::string_view numbering = "numbering";
inline constexpr std::string_view conversion = "conversion";
inline constexpr std::string_view trim = "trim";
inline constexpr std::string_view regularExpression = "regularexpression";
inline constexpr std::string_view select = "select";
} // namespace TransformerType

const std::array<TransformerTypeInfo, 10>& transformerTypes();
// nullptr for a type id outside the table.
const TransformerTypeInfo* transformerTypeInfo(std::string_view typeId);

} // namespace quillory
