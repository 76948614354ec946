// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <cstddef>
#include <optional>

namespace quillory {

class FileDataSource;

// Walks the list in display order, asking the list for one file per step; ends when the position
// reaches the number of files (so files added meanwhile are visited, removed ones end the walk early).
class AsyncFileIterator {
public:
    explicit AsyncFileIterator(const FileDataSource& fileDataSource) : fileDataSource_(&fileDataSource) {}

    std::optional<File> next();
    std::size_t index() const { return index_; }

private:
    const FileDataSource* fileDataSource_;
    std::size_t index_ = 0;
};

} // namespace quillory
