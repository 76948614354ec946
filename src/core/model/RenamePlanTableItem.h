// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// One row of a file's renaming plan: the name after one action of the chain.
struct RenamePlanTableItem {
    std::string label;    // "Original Filename", or the action's title and scope ("Replace filename")
    std::string filename; // name + dotted extension
    std::string path;
    bool dimmed = false;  // the file was not selected for this action
    bool operator==(const RenamePlanTableItem&) const = default;
};

} // namespace quillory
