// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/CompiledPatterns.h"

#include "text/Utf.h"

#include <string>
#include <unordered_map>

namespace quillory {

namespace {
// Enough for the patterns of a long chain; past that the cache starts over rather than grow.
constexpr std::size_t maxCachedPatterns = 256;
} // namespace

std::shared_ptr<const text::Regex> compiledPattern(std::u16string_view pattern, text::RegexOptions options) {
    thread_local std::unordered_map<std::u16string, std::shared_ptr<const text::Regex>> cache;
    std::u16string key(pattern);
    key += static_cast<char16_t>(u'0' + (options.caseInsensitive ? 1 : 0) + (options.multiline ? 2 : 0) +
                                 (options.dotAll ? 4 : 0));
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;
    auto compiled = text::Regex::compile(pattern, options);
    std::shared_ptr<const text::Regex> regex =
        compiled ? std::make_shared<const text::Regex>(std::move(compiled).value()) : nullptr;
    if (cache.size() >= maxCachedPatterns)
        cache.clear();
    cache.emplace(std::move(key), regex);
    return regex;
}

std::shared_ptr<const text::Regex> compiledPattern(std::string_view utf8Pattern, text::RegexOptions options) {
    return compiledPattern(std::u16string_view(text::toUtf16(utf8Pattern)), options);
}

} // namespace quillory
