// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/JsonInput.h"

namespace quillory {

std::size_t JsonInput::depth(std::string_view text, std::size_t stopAbove) {
    std::size_t current = 0;
    std::size_t deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++current);
            if (deepest > stopAbove)
                return deepest;
        } else if ((c == ']' || c == '}') && current > 0) {
            --current;
        }
    }
    return deepest;
}

std::string JsonInput::tooDeepMessage() {
    return "the JSON text nests deeper than " + std::to_string(maxDepth) + " levels";
}

} // namespace quillory
