// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory {

// Options of rangeSearch. The pattern is always a regular expression. Diacritic-insensitive searching
// folds the accents out of the pattern's own letters, so that "é\p{M}*" looks for "e\p{M}*" and finds
// plain and accented letters alike.
struct SearchOptions {
    bool caseInsensitive = false;
    bool diacriticInsensitive = false;

    bool operator==(const SearchOptions &) const = default;
};

} // namespace quillory
