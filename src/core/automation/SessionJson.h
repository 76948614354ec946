// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Session.h"
#include "rename/FileValidationResult.h"
#include "rename/RenameReport.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// One listed file as scripts read it: "identifier", "displayName", "path", "name", "ext", the
// "transformed…" fields, "warnings", "errors" and "uniqueSuffix".
nlohmann::ordered_json sessionRowJson(const SessionRow& row);

// [{"file", "target", "error", "code"}, ...]
nlohmann::ordered_json failuresJson(const std::vector<RenameReport::Failure>& failures);

// {"isPending", "errorCount", "totalCount", "renameCount"}
nlohmann::ordered_json validationResultJson(const FileValidationResult& result);

// The scripting document: {"files": [...], "validationResult": {...}} plus "renameReport" after a run.
nlohmann::ordered_json previewJson(const std::vector<SessionRow>& rows, const FileValidationResult& result,
                                   const std::optional<RenameReport>& report, bool changedOnly);

// Hands every row to a visitor in list order: a session walks its list without a copy of all rows.
using RowVisitor = std::function<void(const SessionRow&)>;
using RowWalk = std::function<void(const RowVisitor&)>;
RowWalk walkRows(const std::vector<SessionRow>& rows);
RowWalk walkRows(const Session& session);

// The text of jsonText(previewJson(...)), written a row at a time: the document of 100,000 files is
// never built whole.
void writePreviewJson(std::ostream& out, const RowWalk& rows, const FileValidationResult& result,
                      const std::optional<RenameReport>& report, bool changedOnly);

// File names need not be UTF-8; such bytes become U+FFFD rather than failing the whole document. An
// indent below 0 writes one line.
std::string jsonText(const nlohmann::ordered_json& document, int indent = 2);

} // namespace quillory
