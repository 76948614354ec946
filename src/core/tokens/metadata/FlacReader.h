// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/FlacMetadata.h"
#include "tokens/metadata/MetadataEntry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Reads the metadata blocks at the start of a FLAC file. A block that runs past the end of the file
// ends the reading; the blocks before it are kept.
FlacMetadata readFlacMetadata(const std::filesystem::path& path);

// The comment texts ("ARTIST=Björk") of a Vorbis comment block, as far as they can be read.
std::vector<std::string> parseVorbisComments(std::string_view data);

// The Vorbis comments of a FLAC file as attributes: "FLAC-" + capitalised name; the value is a number
// when it is a plain decimal integer without leading zeros ("2021"), else text ("05").
std::vector<MetadataEntry> readFlac(const std::filesystem::path& path);

} // namespace quillory
