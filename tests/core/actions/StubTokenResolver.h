// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/TokenResolver.h"
#include "tokens/TokenString.h"

#include <string>

namespace quillory::test {

// Renders literal items as their text and fails every attribute item with lateUpdateRequired, as the quick
// resolver does before attributes are loaded. Counts its calls so tests can tell whether it ran.
class StubTokenResolver final : public TokenResolver {
public:
    TransformResult<std::string> rawText(const TokenItem &item, File &) override {
        ++calls;
        if (item.isAttribute())
            return TransformError::lateUpdateRequired();
        return item.value;
    }

    int calls = 0;
};

inline TokenString literal(std::string text) { return TokenString::fromPlainString(std::move(text)); }

inline TokenString withAttribute(std::string text, std::string attributeId) {
    return TokenString({TokenItem::text(std::move(text)), TokenItem::attribute(std::move(attributeId))});
}

} // namespace quillory::test
