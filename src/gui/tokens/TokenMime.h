// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenString.h"

#include <QString>

#include <optional>

class QMimeData;

namespace quillory::gui {

// The token form of a token string on the clipboard and in drags, with the plain text beside it.
QString tokenMimeType();
QMimeData* tokenMimeData(const TokenString& tokens);
bool canReadTokens(const QMimeData* data);
// The token form when it is offered and reads, else the plain text as one literal (newlines become
// spaces: a name has one line). Nothing usable: std::nullopt.
std::optional<TokenString> readTokens(const QMimeData* data);

} // namespace quillory::gui
