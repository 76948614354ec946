// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "model/TransformResult.h"
#include "model/TokenItem.h"
#include "model/TokenString.h"

#include <optional>
#include <stop_token>
#include <string>

namespace quillory {

// Renders token strings for one file. The attribute layer provides two implementations: full
// resolution (may read attributes and wait for slow sources) and quick resolution (never waits; a
// missing attribute gives TransformError::lateUpdateRequired). Implementations must be safe to call
// from several threads at once. A resolver that waits (for a place name) stops waiting when `stop` is
// requested and returns TransformError::aborted().
class TokenResolver {
public:
    virtual ~TokenResolver() = default;

    // The raw text of one item before prefix and suffix. The resolver may load the file's attribute
    // map into `file` (it works on the caller's copy).
    virtual TransformResult<std::string> rawText(const TokenItem& item, File& file, std::stop_token stop) = 0;

    // The item's text: empty when the raw text is empty, otherwise prefix + raw text + suffix.
    TransformResult<std::string> itemText(const TokenItem& item, File& file, std::stop_token stop);
    // The concatenation of the items' texts; the first error stops it.
    TransformResult<std::string> text(const TokenString& tokens, File& file, std::stop_token stop);
    // An absent token string renders like an empty one.
    TransformResult<std::string> text(const std::optional<TokenString>& tokens, File& file, std::stop_token stop);
};

// Literal rendering: "string" and "regex" items give their value, attribute items the empty text.
// For texts that need no file, and for tests.
class LiteralTokenResolver final : public TokenResolver {
public:
    TransformResult<std::string> rawText(const TokenItem& item, File& file, std::stop_token stop) override;
};

} // namespace quillory
