// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenItem.h"

#include <QString>

#include <string_view>
#include <vector>

namespace quillory {
class TokenDetailsList;
struct TokenDetails;
}

namespace quillory::gui {

// The short name people read on a token: "Date Taken", "City", "Parent Folder 2".
QString attributeLabel(std::string_view tokenId);
// The label of any item: attributes by their id, expression tokens by what they match, text by itself.
QString tokenLabel(const TokenItem& item);

// The attribute catalogue as the palette lists it, in groups people look for.
struct TokenGroup {
    QString title;
    std::vector<const TokenDetails*> tokens;
};
std::vector<TokenGroup> tokenGroups(const TokenDetailsList& catalogue);

// A new attribute item for a catalogue id, with the formats at their defaults.
TokenItem attributeItem(std::string_view tokenId);

} // namespace quillory::gui
