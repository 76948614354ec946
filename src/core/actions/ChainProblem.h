// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// One thing wrong with a rename action that the engine would otherwise pass over in silence. Data only:
// the command line and the editor word it in their own way.
struct ChainProblem {
    enum class Code {
        invalidPattern,   // value: the pattern; detail: the library's message; offset
        unknownKey,       // value: the key as written; suggestion
        unknownValue,     // value: the value as written; allowed; suggestion
        unknownAttribute, // value: the attribute id; suggestion
        unknownItemType,  // value: the token item type; allowed
        unknownGroup,     // value: the "$n" reference; detail: the pattern's group count
        notAWholeNumber,  // value: the text; detail: the number the action takes instead
    };

    Code code = Code::invalidPattern;
    std::size_t action = 0;     // position in the chain, counted from 0
    std::string actionType;     // "regularexpression", ...
    std::string key;            // the property (or record) key concerned
    std::string value;
    std::string detail;
    std::optional<int> offset;  // UTF-16 offset in the pattern
    std::string suggestion;     // the closest known name, when one is close
    std::vector<std::string> allowed;

    bool operator==(const ChainProblem&) const = default;
};

} // namespace quillory
