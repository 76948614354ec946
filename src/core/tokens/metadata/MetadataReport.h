// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/Id3MetadataItem.h"
#include "tokens/metadata/ImageProperties.h"
#include "tokens/metadata/MetadataEntry.h"

#include <optional>
#include <vector>

namespace quillory {

// What the readers found in one file, raw: the attribute map is built from it by the caller.
struct MetadataReport {
    std::optional<ImageProperties> image;
    std::vector<MetadataEntry> media; // the media library's items of mp3, m4a and mp4 files
    std::vector<Id3MetadataItem> id3; // the ID3v2 reader's items of the same files
    std::vector<MetadataEntry> flac;  // the Vorbis comments of flac files

    bool operator==(const MetadataReport&) const = default;
};

} // namespace quillory
