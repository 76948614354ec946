// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/Regex.h"

#include <memory>
#include <string_view>

namespace quillory {

// Compiled expressions kept per thread, so that a pass over many files compiles each pattern of an
// action once instead of once per file. nullptr for a pattern that does not compile.
std::shared_ptr<const text::Regex> compiledPattern(std::u16string_view pattern, text::RegexOptions options = {});
std::shared_ptr<const text::Regex> compiledPattern(std::string_view utf8Pattern, text::RegexOptions options = {});

} // namespace quillory
