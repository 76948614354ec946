// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace quillory {

// Reads small documents (recipes, lookup tables) that a user names. Only a regular file is read, and only
// up to a size limit: a device such as /dev/zero would be read until memory runs out, and a FIFO would
// block the program for ever.
class RegularFile {
public:
    static constexpr std::size_t defaultLimit = 16 * 1024 * 1024;

    // The whole content, or an Error that says why it was refused ("... is not a regular file",
    // "... is larger than 16 MiB", "... cannot be read").
    static Result<std::string> read(const std::filesystem::path &path, std::size_t limit = defaultLimit);
};

} // namespace quillory
