// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataBlock.h"
#include "tokens/metadata/MetadataBlockType.h"

#include <map>

namespace quillory {

// The metadata blocks of a FLAC stream; a later block of a type replaces an earlier one.
struct FlacMetadata {
    std::map<MetadataBlockType, MetadataBlock> metadata;
    bool isFlac = false;
};

} // namespace quillory
