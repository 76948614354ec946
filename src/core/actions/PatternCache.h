// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "text/Regex.h"

#include <functional>
#include <string>

namespace quillory {

// Compiled regular expressions of the actions, kept per thread: a pass over many files compiles each
// action's patterns once rather than once per file (mark classes such as \p{M} are costly to build).
// Failures are kept too, so a bad pattern is not compiled again for every file.
class PatternCache {
public:
    using Compile = std::function<Result<text::Regex>()>;

    // The cached result for `key`, compiled by `compile` on first use. Returned by value: a copy shares
    // the compiled pattern.
    static Result<text::Regex> get(const std::string &key, const Compile &compile);
};

} // namespace quillory
