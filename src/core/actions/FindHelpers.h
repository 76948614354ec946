// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/FindOptions.h"
#include "actions/MatchRange.h"
#include "actions/SearchOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The search helpers the actions share. Texts and patterns are UTF-8; ranges count user-perceived
// characters. Callers hand in the NFD working text of NormalizationSeam; patterns are decomposed here.

// A pattern that matches `text` literally, letting combining marks follow every letter: "a.b" becomes
// "a\p{M}*\.b\p{M}*".
std::string literalPattern(std::string_view text);

// A pattern in which every "*" is a capture group: "*" never crosses "/" and needs at least one character
// when alone, "**" crosses "/", a leading "**" anchors at the start of the text.
std::string wildcardPattern(std::string_view text);

// wildcardPattern when wildcards is set (it wins over regex), the find text itself when regex is set,
// literalPattern otherwise.
std::string patternFor(const FindOptions &options);

// The ranges of all non-overlapping matches in text order (only the first with findFirst). An empty find
// text gives the whole text as one range. A pattern that does not compile logs "getMatches error: ..."
// and gives no ranges. An empty list means no match.
std::vector<MatchRange> findMatches(std::string_view text, const FindOptions &options);

// Successive first matches of a regular expression, each search starting where the previous match ended
// (after an empty match, one character later, so no empty match is reported twice). "^" only matches at
// the real start of the text. A pattern that does not compile finds nothing. At most length + 1 ranges.
std::vector<MatchRange> rangeSearch(std::string_view pattern, const SearchOptions &options, std::string_view text);

// Finds ranges with the accent-folded pattern, then inside each range (last to first) replaces every match
// of the pattern's NFKD form by the template ("$1" groups, "\" escapes). A find text without accents thus
// rewrites letters with and without marks, one with accents only letters that carry them.
std::string replaceMatches(std::string_view text, std::string_view pattern, std::string_view replacementTemplate,
                           bool caseInsensitive, bool findFirst);

} // namespace quillory
