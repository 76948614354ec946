// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "actions/LookupTableRow.h"
#include "base/Result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// What an import made of a lookup file: the rows, and every non-blank line that gave none.
struct LookupImport {
    struct SkippedLine {
        std::size_t line = 0; // counted from 1; a CR LF pair ends one line
        std::string text;
        std::string reason;

        bool operator==(const SkippedLine&) const = default;
    };
    std::vector<LookupTableRow> rows;
    std::vector<SkippedLine> skipped;
};

inline constexpr std::string_view lookupLineWithOneField = "The line has no \";\" between find and replace text";
inline constexpr std::string_view lookupLineWithEmptyFind = "The find text is empty";

// The rows of a semicolon-separated lookup file: carriage returns count as line feeds, and each line
// with at least two fields and a non-empty first field gives one row (find, replace); other lines are
// skipped. A UTF-8 byte-order mark at the start is ignored.
std::vector<LookupTableRow> lookupRowsFromText(std::string_view text);
// The same rows, with the lines skipped and why (blank lines are not reported).
LookupImport lookupImportFromText(std::string_view text);
// Reads the file as UTF-8 text. An unreadable file is an Error naming it.
Result<std::vector<LookupTableRow>> importLookupFile(const std::filesystem::path& path);
Result<LookupImport> importLookupFileWithReport(const std::filesystem::path& path);

// The rows as lookup-file text that imports as the same rows: one line per row, fields quoted when they
// hold ";", a double quote or start with blanks. Rows that no line can carry (an empty find text, a line
// break in a field) are left out; their indexes go to `leftOut`.
std::string lookupTableText(const std::vector<LookupTableRow>& rows, std::vector<std::size_t>* leftOut = nullptr);

} // namespace quillory
