// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenResolver.h"

namespace quillory {

TransformResult<std::string> TokenResolver::itemText(const TokenItem& item, File& file, std::stop_token stop) {
    auto raw = rawText(item, file, stop);
    if (!raw)
        return raw;
    // An empty value drops its prefix and suffix too, so "(" + ")" never appear around nothing.
    if (raw->empty())
        return std::string();
    return item.prefix + *raw + item.suffix;
}

TransformResult<std::string> TokenResolver::text(const TokenString& tokens, File& file, std::stop_token stop) {
    std::string out;
    for (const auto& item : tokens.items) {
        auto part = itemText(item, file, stop);
        if (!part)
            return part;
        out += *part;
    }
    return out;
}

TransformResult<std::string> TokenResolver::text(const std::optional<TokenString>& tokens, File& file,
                                                 std::stop_token stop) {
    if (!tokens)
        return std::string();
    return text(*tokens, file, stop);
}

TransformResult<std::string> LiteralTokenResolver::rawText(const TokenItem& item, File&, std::stop_token) {
    if (item.isAttribute())
        return std::string();
    return item.value;
}

} // namespace quillory
