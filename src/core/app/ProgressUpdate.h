// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// The object of "showProgressView", "updateProgressView" and "hideProgressView".
struct ProgressUpdate {
    std::string label; // what is going on ("Renaming")
    int done = 0;
    int total = 0;
    bool abortable = false; // whether "abortProcess" stops it
    bool operator==(const ProgressUpdate&) const = default;
};

} // namespace quillory
