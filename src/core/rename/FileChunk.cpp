// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileChunk.h"

#include <iterator>

namespace quillory {

std::vector<FileChunk> FileChunk::cut(std::vector<File> files) {
    std::vector<FileChunk> chunks;
    chunks.reserve((files.size() + maximumSize - 1) / maximumSize);
    for (std::size_t start = 0; start < files.size(); start += maximumSize) {
        const std::size_t end = std::min(files.size(), start + maximumSize);
        FileChunk chunk;
        chunk.index = static_cast<int>(chunks.size());
        chunk.files.assign(std::make_move_iterator(files.begin() + static_cast<std::ptrdiff_t>(start)),
                           std::make_move_iterator(files.begin() + static_cast<std::ptrdiff_t>(end)));
        chunks.push_back(std::move(chunk));
    }
    return chunks;
}

} // namespace quillory
