// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace quillory {
class TokenDetailsList;
}

namespace quillory::cli {

// --list-actions: every action kind, its short options and its settings with their types and defaults.
void printActionList(std::ostream& out);
// --describe KIND: one kind in full. False (and a message on err) for an unknown kind.
bool printActionDescription(std::ostream& out, std::ostream& err, std::string_view kind);
// --list-tokens: every token id with its alias and what it stands for.
void printTokenList(std::ostream& out, const TokenDetailsList& catalogue);
// The same, with the value of each token for one file; the values come from a preview of that file.
int printTokenValues(std::ostream& out, std::ostream& err, const TokenDetailsList& catalogue, const std::string& file);

// The manual page's sections on actions, scopes and tokens, written from the same tables.
std::string manPageSections(const TokenDetailsList& catalogue);

} // namespace quillory::cli
