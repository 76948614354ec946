// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PatternCache.h"

#include <unordered_map>

namespace quillory {
namespace {

// Chains hold a handful of patterns; the bound only guards against unbounded growth.
constexpr std::size_t kCapacity = 256;

} // namespace

Result<text::Regex> PatternCache::get(const std::string &key, const Compile &compile) {
    thread_local std::unordered_map<std::string, Result<text::Regex>> cache;
    if (auto found = cache.find(key); found != cache.end())
        return found->second;
    if (cache.size() >= kCapacity)
        cache.clear();
    return cache.emplace(key, compile()).first->second;
}

} // namespace quillory
