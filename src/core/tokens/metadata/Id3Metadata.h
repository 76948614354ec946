// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/Id3MetadataItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillory {

// What the ID3v2 reader found at the start of a file.
struct Id3Metadata {
    bool hasTag = false;
    std::string version; // "2." + major + "." + revision, e.g. "2.3.0"
    std::uint8_t flags = 0;
    std::vector<Id3MetadataItem> items; // file order
};

} // namespace quillory
