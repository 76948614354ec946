// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/FileSortOrder.h"
#include "model/File.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The comparisons of the sort orders. A sort takes a snapshot of what the order compares (one entry per
// file, in display order), turns texts into collation keys, and sorts stably; cancellation is checked
// at every comparison.
class FileSorter {
public:
    struct Entry {
        int storageIndex = 0;
        std::string primary;   // the compared text (path for the default order), or a path for dates
        std::string secondary; // the name, for the default order
        std::optional<Date> date;
        bool isAlias = false;
    };

    // What the order compares for one file. Cheap: meant to run under the list's actor.
    static Entry entryFor(int storageIndex, const FileSource& source, const FileTransform& transform,
                          const FileAttributes& attributes, FileSortOrder order);

    // The storage indexes in the new display order, or nothing when cancelled (then the order's own
    // line, such as "🔷 sortByPathAscending aborted", is logged). Ties keep their given order.
    static std::optional<std::vector<int>> sort(std::vector<Entry> entries, FileSortOrder order,
                                                std::stop_token stopToken = {});

    // All digits of the name read as one base-10 integer; 0 without digits or when it overflows.
    static std::int64_t numericValue(std::string_view name);
};

} // namespace quillory
