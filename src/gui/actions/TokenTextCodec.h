// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenString.h"

#include <QString>

namespace quillory::gui {

// A token string as the text of a plain line edit: literal text as it is, every token as "{name}"
// ("{id}" for attributes, "{re:value}" for expression tokens). Reading the text back reuses the tokens of
// the original string by name, with all their formatting, so an edit of the literal text around them
// loses nothing; an unchanged text gives the original string exactly.
class TokenTextCodec {
public:
    static QString toText(const TokenString& tokens);
    static TokenString fromText(const QString& text, const TokenString& original);

private:
    static QString nameOf(const TokenItem& item);
};

} // namespace quillory::gui
