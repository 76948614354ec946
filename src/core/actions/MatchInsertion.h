// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/FindOptions.h"
#include "actions/MatchRange.h"
#include "model/File.h"
#include "model/TransformResult.h"
#include "tokens/TokenResolver.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Inserts `inserted` once per range, walking from the last range to the first so that earlier positions
// stay valid. `position` gives the character position for a range; it is clamped to the current text.
std::string insertAtMatches(std::string_view text, const std::vector<MatchRange> &ranges, std::string_view inserted,
                            const std::function<std::ptrdiff_t(const MatchRange &)> &position);

// The body shared by Prefix and Suffix: resolve the text, find the matches in the scope's text and
// insert the text at the start (prefix) or the end (suffix) of each match.
enum class MatchEdge { start, end };
TransformStatus insertAtEachMatch(const std::optional<TokenString> &text, const FindOptions &options, MatchEdge edge,
                                  TransformScope scope, File &file, TokenResolver &resolver,
                                  std::stop_token stop);

} // namespace quillory
