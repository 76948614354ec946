// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TransformerProperties.h"

#include <string>

namespace quillory {

// The find settings of one action, built fresh for each call from the action's property group. An absent
// text counts as empty and an absent flag as false.
struct FindOptions {
    std::string findText;
    bool wildcards = false;
    bool regex = false;
    bool caseInsensitive = false;
    bool findFirst = false;

    bool operator==(const FindOptions &) const = default;

    // One builder per action group. Replace never uses the regex flag and Set has no find-first. The RegEx
    // action's find text is a token string, so that action builds its options itself.
    static FindOptions simple(const TransformerProperties &properties);
    static FindOptions insert(const TransformerProperties &properties);
    static FindOptions prefix(const TransformerProperties &properties);
    static FindOptions suffix(const TransformerProperties &properties);
    static FindOptions set(const TransformerProperties &properties);
    static FindOptions numbering(const TransformerProperties &properties);
    static FindOptions conversion(const TransformerProperties &properties);
    static FindOptions trim(const TransformerProperties &properties);
};

} // namespace quillory
