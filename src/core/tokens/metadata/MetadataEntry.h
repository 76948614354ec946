// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeValue.h"

#include <string>

namespace quillory {

// One value a metadata reader found: the identifier it reports ("id3/TIT2", "itsk/%A9nam",
// "FLAC-Artist", "date-created") and the raw, unsanitised value. The attribute map sanitises on adding.
struct MetadataEntry {
    std::string id;
    AttributeValue value;

    bool operator==(const MetadataEntry&) const = default;
};

} // namespace quillory
