// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/RegExpAnchor.h"

#include <nlohmann/json.hpp>

#include <string>

namespace quillory {

// A pattern described by character kinds, for users who do not write regular expressions.
struct RegExpToken {
    bool containing = true; // false: anything except the selected characters
    bool alphabetic = false;
    bool numeric = false;
    bool punctuation = false;
    bool whitespace = false;
    std::string custom;     // further characters, taken literally
    int count = 0;          // exact length; 0 or less means one or more
    RegExpAnchor anchor = RegExpAnchor::none;

    bool operator==(const RegExpToken&) const = default;

    // The "regexp" object; reading requires all eight keys.
    nlohmann::ordered_json toJson() const;
    static Result<RegExpToken> fromJson(const nlohmann::ordered_json& json);
    std::string description() const;
};

} // namespace quillory
