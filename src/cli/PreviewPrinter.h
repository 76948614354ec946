// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Session.h"
#include "rename/FileValidationResult.h"
#include "rename/RenameReport.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillory::cli {

struct PreviewStyle {
    bool color = false;        // tint rows like the desktop table
    bool changedOnly = false;  // hide files that keep their names
};

// One row per file: old name -> new name, the new folder when it changes, and the messages; then a
// summary with the validation counts.
void printPreviewTable(std::ostream& out, const std::vector<SessionRow>& rows, const FileValidationResult& result,
                       const PreviewStyle& style);

// The scripting document: {"files": [...], "validationResult": {...}} plus "renameReport" after a run.
nlohmann::ordered_json previewJson(const std::vector<SessionRow>& rows, const FileValidationResult& result,
                                   const std::optional<RenameReport>& report, bool changedOnly);

// File names need not be UTF-8; such bytes become U+FFFD rather than failing the whole document.
std::string jsonText(const nlohmann::ordered_json& document);

void printRenameReport(std::ostream& out, const RenameReport& report);

} // namespace quillory::cli
