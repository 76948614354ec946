// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillory {
class TokenDetailsList;
}

namespace quillory::cli {

// One option of the short action vocabulary, for the help, the man page and the completions.
struct ShortOption {
    std::string_view name;      // "--replace"
    std::string_view arguments; // "FIND REPL"; empty for a switch
    std::string_view kind;      // the action kind it adds, or empty for a modifier of the action before it
    std::string_view help;
};

const std::vector<ShortOption>& shortOptions();

// The scope names of --scope, short and raw, with the record value each stands for.
struct ScopeName {
    std::string_view name;
    std::string_view raw;
};
const std::vector<ScopeName>& scopeNames();

// The command line split in two: the actions, from -a JSON and from the short options alike, as JSON
// records in the order given; and every other argument, in order, for the option parser. A "--set"
// whose value is KEY=VALUE for a known setting is passed on as "--setting".
struct ExtractedActions {
    std::vector<std::string> actions;
    std::vector<std::string> remaining;
};
Result<ExtractedActions> extractActions(const std::vector<std::string>& arguments, const TokenDetailsList& catalogue);

} // namespace quillory::cli
