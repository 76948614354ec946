// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <span>
#include <vector>

namespace quillory {

// Consecutive files of the list, validated together and written back together. A view into the
// list's vector: a copy of 100,000 records would double validation's memory.
struct FileChunk {
    static constexpr std::size_t maximumSize = 1000;

    int index = 0; // 0-based chunk number
    std::span<File> files;

    // The files cut into chunks of maximumSize in list order, the last one shorter. The chunks are
    // valid while `files` is.
    static std::vector<FileChunk> cut(std::span<File> files);
};

} // namespace quillory
