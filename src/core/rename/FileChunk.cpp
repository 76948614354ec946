// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileChunk.h"

namespace quillory {

std::vector<FileChunk> FileChunk::cut(std::span<File> files) {
    std::vector<FileChunk> chunks;
    chunks.reserve((files.size() + maximumSize - 1) / maximumSize);
    for (std::size_t start = 0; start < files.size(); start += maximumSize) {
        const std::size_t end = std::min(files.size(), start + maximumSize);
        chunks.push_back({static_cast<int>(chunks.size()), files.subspan(start, end - start)});
    }
    return chunks;
}

} // namespace quillory
