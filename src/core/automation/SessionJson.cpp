// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SessionJson.h"

namespace quillory {

nlohmann::ordered_json sessionRowJson(const SessionRow& row) {
    nlohmann::ordered_json item;
    item["identifier"] = row.identifier;
    item["displayName"] = row.fullPath();
    item["path"] = row.path;
    item["name"] = row.name;
    item["ext"] = row.ext;
    item["transformedPath"] = row.newPath;
    item["transformedName"] = row.newName;
    item["transformedExt"] = row.newExt;
    item["transformedFullPath"] = row.newFullPath;
    item["warnings"] = row.warnings;
    item["errors"] = row.errors;
    item["uniqueSuffix"] = row.uniqueSuffix;
    return item;
}

nlohmann::ordered_json validationResultJson(const FileValidationResult& result) {
    return {{"isPending", result.isPending},
            {"errorCount", result.errorCount},
            {"totalCount", result.totalCount},
            {"renameCount", result.renameCount}};
}

nlohmann::ordered_json previewJson(const std::vector<SessionRow>& rows, const FileValidationResult& result,
                                   const std::optional<RenameReport>& report, bool changedOnly) {
    nlohmann::ordered_json document;
    auto& list = document["files"] = nlohmann::ordered_json::array();
    for (const auto& row : rows)
        if (!changedOnly || row.changes())
            list.push_back(sessionRowJson(row));
    document["validationResult"] = validationResultJson(result);
    if (report) {
        nlohmann::ordered_json failed = nlohmann::ordered_json::array();
        for (const auto& failure : report->failures)
            failed.push_back({{"file", failure.source},
                              {"target", failure.target},
                              {"error", failure.error.description},
                              {"code", failure.error.code}});
        nlohmann::ordered_json renamed = nlohmann::ordered_json::array();
        for (const auto& move : report->renamed)
            renamed.push_back({{"from", move.from}, {"to", move.to}});
        document["renameReport"] = {{"renamed", std::move(renamed)},
                                    {"renamedCount", report->successCount},
                                    {"failed", std::move(failed)},
                                    {"skipped", report->errorCount},
                                    {"notTried", report->notTriedCount},
                                    {"aborted", report->aborted},
                                    {"runId", report->journalId}};
    }
    return document;
}

std::string jsonText(const nlohmann::ordered_json& document, int indent) {
    return document.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace quillory
