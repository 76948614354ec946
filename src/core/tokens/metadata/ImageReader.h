// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/ImageProperties.h"

#include <filesystem>
#include <optional>

namespace quillory {

// The properties of the first image of a file (JPEG, TIFF, PNG and the other formats the image
// library knows). Nothing when the file is not a readable image; never throws or prints.
std::optional<ImageProperties> readImageProperties(const std::filesystem::path& path);

} // namespace quillory
