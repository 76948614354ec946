// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory {

// FLAC metadata block types; the raw values are those of the stream format.
enum class MetadataBlockType { STREAMINFO = 0, PADDING = 1, APPLICATION = 2, SEEKTABLE = 3, VORBISCOMMENT = 4,
                               CUESHEET = 5, PICTURE = 6 };

} // namespace quillory
