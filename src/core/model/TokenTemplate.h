// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/TokenString.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class TokenDetailsList;
struct TokenDetails;

// Token strings written as text, for the command line: "{DateTimeOriginal:yyyy-MM-dd} {GPS-AddressCity}".
// "{id}" or "{id:format}" is a token, "{{" and "}}" are literal braces, everything else is literal text.
// The format is a date pattern for date tokens, a digit count for number tokens and "dms" or "decimal"
// for positions; other tokens take none. Ids are matched ignoring case, under their catalogue id or
// their short alias.
class TokenTemplate {
public:
    struct Name {
        std::string tokenId;
        std::string alias; // equal to tokenId when the id is short already
    };

    // Every catalogue id with its alias, in catalogue order, each once.
    static std::vector<Name> names(const TokenDetailsList& catalogue);
    // The catalogue row for an id or alias; nullptr when there is none.
    static const TokenDetails* find(std::string_view name, const TokenDetailsList& catalogue);
    // The ids and aliases nearest to a mistyped name.
    static std::vector<std::string> suggestions(std::string_view name, const TokenDetailsList& catalogue);

    // An unknown id, an unclosed brace or a misplaced format is an error saying where.
    static Result<TokenString> parse(std::string_view text, const TokenDetailsList& catalogue);
};

} // namespace quillory
