// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// One decoded ID3v2 frame: "id3/" + frame identifier (with "1" or "2" for the parts of a
// "track/total" or "disc/total" pair) and its text.
struct Id3MetadataItem {
    std::string id;
    std::string value;

    bool operator==(const Id3MetadataItem&) const = default;
};

} // namespace quillory
