// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataBlockHeader.h"

#include <string>

namespace quillory {

// One FLAC metadata block: its header and its bytes.
struct MetadataBlock {
    MetadataBlockHeader header;
    std::string data;
};

} // namespace quillory
