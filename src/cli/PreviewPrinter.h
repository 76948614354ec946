// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Session.h"
#include "automation/SessionJson.h"
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
void printPreviewTable(std::ostream& out, const RowWalk& rows, const FileValidationResult& result,
                       const PreviewStyle& style);

// The JSON document is written by the core, where scripting over D-Bus builds the same objects.
using quillory::RowWalk;
using quillory::writePreviewJson;

// The session's rows as the tool shows them: a file whose chain failed names the action, as in
// "action 2 (regularexpression) failed", where the core keeps the action's id.
RowWalk readableRows(const Session& session);

void printRenameReport(std::ostream& out, const RenameReport& report);

} // namespace quillory::cli
