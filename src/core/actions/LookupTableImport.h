// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/LookupTableRow.h"
#include "base/Result.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace quillory {

// The rows of a semicolon-separated lookup file: carriage returns count as line feeds, and each line
// with at least two fields and a non-empty first field gives one row (find, replace); other lines are
// skipped. A UTF-8 byte-order mark at the start is ignored.
std::vector<LookupTableRow> lookupRowsFromText(std::string_view text);
// Reads the file as UTF-8 text. An unreadable file is an Error naming it.
Result<std::vector<LookupTableRow>> importLookupFile(const std::filesystem::path& path);

} // namespace quillory
