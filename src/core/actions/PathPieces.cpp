// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/PathPieces.h"

namespace quillory {

namespace {
bool isSeparator(char16_t c) {
    return c == u'/' || c == u'.';
}
} // namespace

std::vector<std::u16string> splitPathPieces(std::u16string_view text) {
    std::vector<std::u16string> pieces;
    std::size_t componentStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isSeparator(text[i]))
            continue;
        if (i > componentStart)
            pieces.emplace_back(text.substr(componentStart, i - componentStart));
        pieces.emplace_back(1, text[i]);
        componentStart = i + 1;
    }
    if (componentStart < text.size())
        pieces.emplace_back(text.substr(componentStart));
    return pieces;
}

bool isPathSeparatorPiece(std::u16string_view piece) {
    return piece.size() == 1 && isSeparator(piece.front());
}

} // namespace quillory
