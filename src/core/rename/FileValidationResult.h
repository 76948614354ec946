// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory {

// The totals of one validation run, posted with "validationResult". While isPending is true the
// counts are not final and nothing may be renamed.
struct FileValidationResult {
    bool isPending = false;
    int errorCount = 0;
    int totalCount = 0;
    int renameCount = 0;

    bool operator==(const FileValidationResult&) const = default;
};

} // namespace quillory
