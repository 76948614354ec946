// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A text cut at every "/" and ".": each non-empty component, and each separator as a piece of its own,
// in text order. Empty components are dropped, their separators kept: "a//b" gives "a", "/", "/", "b".
// Joining the pieces gives the text back.
std::vector<std::u16string> splitPathPieces(std::u16string_view text);
bool isPathSeparatorPiece(std::u16string_view piece);

} // namespace quillory
