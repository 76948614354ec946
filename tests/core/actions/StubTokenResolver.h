// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "tokens/TokenResolver.h"
#include "model/TokenString.h"

#include <gtest/gtest.h>

#include <string>

namespace quillory::test {

// Renders literal items as their text and fails every attribute item with lateUpdateRequired, as the quick
// resolver does before attributes are loaded. Counts its calls so tests can tell whether it ran.
class StubTokenResolver final : public TokenResolver {
public:
    TransformResult<std::string> rawText(const TokenItem& item, File&, std::stop_token) override {
        ++calls;
        if (item.isAttribute())
            return TransformError::lateUpdateRequired();
        return item.value;
    }

    int calls = 0;
};

inline TokenString literal(std::string text) {
    return TokenString::fromPlainString(std::move(text));
}

inline TokenString withAttribute(std::string text, std::string attributeId) {
    return TokenString({TokenItem::text(std::move(text)), TokenItem::attribute(std::move(attributeId))});
}

// Names in these tests are precomposed, as Linux file names nearly always are.
inline constexpr std::string_view kCafeNfc = "Caf\xC3\xA9";
inline constexpr std::string_view kCafeNfd = "Cafe\xCC\x81";

// Runs one action on one file, which must succeed, and returns the file afterwards.
template <typename Action> File applied(const TransformerProperties &properties, TransformScope scope, File file) {
    Action action;
    StubTokenResolver resolver;
    EXPECT_TRUE(action.transformWith(properties, scope, file, 0, resolver, {}).ok());
    return file;
}

} // namespace quillory::test
