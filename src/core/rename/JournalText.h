// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::journaltext {

// Journal lines are fields separated by blanks. Names are kept byte-exact: every byte up to the blank,
// DEL and "%" is written as "%XX"; all other bytes (names that are not UTF-8 included) stay as they are.
void appendEscaped(std::string& out, std::string_view text);
std::optional<std::string> unescape(std::string_view field);
// The blank-separated fields of one line.
std::vector<std::string_view> fields(std::string_view line);

} // namespace quillory::journaltext
