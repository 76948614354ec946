// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenResolver.h"

namespace quillory {

TransformResult<std::string> TokenResolver::itemText(const TokenItem& item, File& file) {
    auto raw = rawText(item, file);
    if (!raw)
        return raw;
    // An empty value drops its prefix and suffix too, so "(" + ")" never appear around nothing.
    if (raw->empty())
        return std::string();
    return item.prefix + *raw + item.suffix;
}

TransformResult<std::string> TokenResolver::text(const TokenString& tokens, File& file) {
    std::string out;
    for (const auto& item : tokens.items) {
        auto part = itemText(item, file);
        if (!part)
            return part;
        out += *part;
    }
    return out;
}

TransformResult<std::string> TokenResolver::text(const std::optional<TokenString>& tokens, File& file) {
    if (!tokens)
        return std::string();
    return text(*tokens, file);
}

TransformResult<std::string> LiteralTokenResolver::rawText(const TokenItem& item, File&) {
    if (item.isAttribute())
        return std::string();
    return item.value;
}

} // namespace quillory
