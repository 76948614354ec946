// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/RejectionReason.h"

#include <string>

namespace quillory {

// A folder refused by a DirectoryValidator, with the reason. Ordered by path, then reason, so that a
// report lists them in path order.
struct RejectedDirectory {
    std::string path;
    RejectionReason reason = RejectionReason::restrictedPath;

    bool operator==(const RejectedDirectory&) const = default;
    auto operator<=>(const RejectedDirectory&) const = default;
};

} // namespace quillory
