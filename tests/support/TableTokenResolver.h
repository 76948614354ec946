// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/TokenResolver.h"

#include <map>
#include <string>

namespace quillory::test {

// A resolver for tests of the actions: attribute ids map to fixed texts, listed ids raise an error,
// any other attribute gives the empty text. Literal and regex items give their value.
class TableTokenResolver : public TokenResolver {
public:
    std::map<std::string, std::string> values;
    std::map<std::string, TransformError> errors;
    int calls = 0;

    TransformResult<std::string> rawText(const TokenItem& item, File&, std::stop_token) override {
        ++calls;
        if (!item.isAttribute())
            return item.value;
        if (auto error = errors.find(item.value); error != errors.end())
            return error->second;
        auto found = values.find(item.value);
        return found == values.end() ? std::string() : found->second;
    }
};

} // namespace quillory::test
