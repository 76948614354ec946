// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenItem.h"
#include "model/TokenString.h"

#include <string>

namespace quillory {

// The regular expression a token string stands for, and a label for the token editor.
struct RegExpPattern {
    std::string pattern;
    std::string label;
    bool operator==(const RegExpPattern&) const = default;
};

class RegExpResolver {
public:
    // "string": the value as written (it is pattern syntax); "regex": built from regexp; others: empty.
    static RegExpPattern resolve(const TokenItem& item);
    // Concatenation of the items' patterns and labels.
    static RegExpPattern resolve(const TokenString& tokens);
    static RegExpPattern resolve(const RegExpToken& token);
};

} // namespace quillory
