// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// One representation of a clipboard entry: a format name and its bytes.
struct PasteboardItem {
    std::string type;
    std::string data;
    bool operator==(const PasteboardItem&) const = default;
};

} // namespace quillory
