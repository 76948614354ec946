// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/Id3Metadata.h"
#include "tokens/metadata/MetadataEntry.h"

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace quillory {

// Says whether an item identifier ("id3/TIT2", "id3/TRCK1") is wanted; the attribute catalogue's
// ID3 keys are the usual answer. Without one, every text frame (T***, COMM, USLT) is read.
using Id3KeyFilter = std::function<bool(std::string_view id)>;

// Reads the ID3v2.3/2.4 tag at the start of a file. Never fails: what cannot be read is absent.
Id3Metadata readId3(const std::filesystem::path& path, const Id3KeyFilter& wanted = {});

// The items as metadata entries with text values, in file order.
std::vector<MetadataEntry> id3Entries(const Id3Metadata& metadata);

} // namespace quillory
