// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace quillory::gui {

// What the editor shows for one setting of an action kind.
struct ActionField {
    enum class Kind { text, tokens, flag, choice, integer, lookup };
    using Choice = std::pair<std::string_view, std::string_view>; // value, label

    std::string_view key; // the property key of the record
    std::string_view label;
    Kind kind = Kind::text;
    std::vector<Choice> choices = {};     // choice fields; the first is shown when the setting is absent
    std::string_view placeholder = {};    // text fields: what an empty field means
    int minimum = -9999;                  // integer fields
    // Shown only while the field `shownWhen` has one of these values ("true"/"false" for switches).
    std::string_view shownWhen = {};
    std::vector<std::string_view> shownFor = {};
};

// The settings of an action kind in the order the form shows them; empty for an unknown kind.
const std::vector<ActionField>& actionFields(std::string_view type);

} // namespace quillory::gui
