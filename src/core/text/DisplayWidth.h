// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory::text {

// The text with every control character written as a visible escape ("\n", "\t", "\x1b"), and every
// byte that is not UTF-8 as "\xNN", so that a name cannot move the cursor or colour a terminal.
std::string visibleEscapes(std::string_view bytes);

// Terminal columns a UTF-8 text takes: wide East Asian characters and emoji take two, combining marks
// and joiners none. Meant for text that has been through visibleEscapes.
std::size_t displayWidth(std::string_view utf8);

} // namespace quillory::text
