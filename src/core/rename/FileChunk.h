// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <vector>

namespace quillory {

// Consecutive files of the list, validated together and written back together.
struct FileChunk {
    static constexpr std::size_t maximumSize = 1000;

    int index = 0; // 0-based chunk number
    std::vector<File> files;

    // The files cut into chunks of maximumSize in list order, the last one shorter.
    static std::vector<FileChunk> cut(std::vector<File> files);
};

} // namespace quillory
