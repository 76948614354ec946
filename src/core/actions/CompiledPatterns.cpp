// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CompiledPatterns.h"

#include "actions/PatternCache.h"
#include "text/Utf.h"

#include <string>

namespace quillory {

// One cache for every action: these are the same compiled patterns, keyed by options and pattern.
std::shared_ptr<const text::Regex> compiledPattern(std::string_view utf8Pattern, text::RegexOptions options) {
    std::string key = "c";
    key += static_cast<char>('0' + (options.caseInsensitive ? 1 : 0) + (options.multiline ? 2 : 0) +
                             (options.dotAll ? 4 : 0));
    key += utf8Pattern;
    auto compiled = PatternCache::get(key, [&] { return text::Regex::compile(utf8Pattern, options); });
    if (!compiled)
        return nullptr;
    return std::make_shared<const text::Regex>(std::move(compiled).value());
}

std::shared_ptr<const text::Regex> compiledPattern(std::u16string_view pattern, text::RegexOptions options) {
    return compiledPattern(std::string_view(text::toUtf8(pattern)), options);
}

} // namespace quillory
