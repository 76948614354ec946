// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataEntry.h"

#include <filesystem>
#include <vector>

namespace quillory {

// Metadata items of "mp3", "m4a" and "mp4" files (chosen by extension, any case). Identifiers are
// "id3/" + frame id ("id3/TIT2") and "itsk/" + atom name with bytes outside printable ASCII
// percent-encoded ("itsk/%A9nam", "itsk/trkn"). Values are text, track and disc pairs "3/12" (or "3"
// without total), and a timestamp of the form "2021-05-03T10:00:00Z" becomes a date. Never fails or
// prints: a file that cannot be read gives no items.
std::vector<MetadataEntry> readMediaMetadata(const std::filesystem::path& path);

} // namespace quillory
