// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory {

// The one way JSON text from outside is read. Building, copying and destroying JSON values recurses once
// per level, so a text that nests deeper than any real document could overflow the stack: such text is
// refused by a flat scan before a single value is built. Nothing here throws.
class JsonInput {
public:
    static constexpr std::size_t maxDepth = 64;

    // The deepest nesting of arrays and objects in the text; brackets inside strings do not count.
    // Stops counting once `stopAbove` is passed.
    static std::size_t depth(std::string_view text, std::size_t stopAbove = maxDepth);

    // The parsed value, or an Error for nesting deeper than maxDepth or for text that is not JSON.
    template <typename Json = nlohmann::json> static Result<Json> parse(std::string_view text) {
        if (depth(text) > maxDepth)
            return Error{tooDeepMessage()};
        Json json = Json::parse(text.begin(), text.end(), nullptr, false);
        if (json.is_discarded())
            return Error{"the text is not valid JSON"};
        return json;
    }

    static std::string tooDeepMessage();
};

} // namespace quillory
