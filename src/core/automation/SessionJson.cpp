// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SessionJson.h"

#include "text/Utf.h"

#include <ostream>

namespace quillory {
namespace {

std::string base64(std::string_view bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1)
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2)
            value |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(value >> 18) & 63];
        out += alphabet[(value >> 12) & 63];
        out += left > 1 ? alphabet[(value >> 6) & 63] : '=';
        out += left > 2 ? alphabet[value & 63] : '=';
    }
    return out;
}

} // namespace

nlohmann::ordered_json sessionRowJson(const SessionRow& row) {
    nlohmann::ordered_json item;
    item["identifier"] = row.identifier.text();
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
    // JSON text cannot carry bytes that are not UTF-8 (they print as U+FFFD): the exact paths go along
    // in base64 so that a script can still find the file.
    if (const std::string path = row.fullPath(); !text::isValidUtf8(path))
        item["pathBytes"] = base64(path);
    if (!text::isValidUtf8(row.newFullPath))
        item["transformedFullPathBytes"] = base64(row.newFullPath);
    return item;
}

nlohmann::ordered_json validationResultJson(const FileValidationResult& result) {
    return {{"isPending", result.isPending},
            {"errorCount", result.errorCount},
            {"totalCount", result.totalCount},
            {"renameCount", result.renameCount}};
}

nlohmann::ordered_json failuresJson(const std::vector<RenameReport::Failure>& failures) {
    nlohmann::ordered_json failed = nlohmann::ordered_json::array();
    for (const auto& failure : failures)
        failed.push_back({{"file", failure.source},
                          {"target", failure.target},
                          {"error", failure.error.description},
                          {"code", failure.error.code}});
    return failed;
}

namespace {

nlohmann::ordered_json renameReportJson(const RenameReport& report) {
    nlohmann::ordered_json failed = failuresJson(report.failures);
    nlohmann::ordered_json renamed = nlohmann::ordered_json::array();
    for (const auto& move : report.renamed)
        renamed.push_back({{"from", move.from}, {"to", move.to}});
    nlohmann::ordered_json json{{"renamed", std::move(renamed)},
                                {"renamedCount", report.successCount},
                                {"failed", std::move(failed)},
                                {"skipped", report.errorCount},
                                {"notTried", report.notTriedCount},
                                {"aborted", report.aborted},
                                {"runId", report.journalId}};
    if (!report.journalError.empty())
        json["journalError"] = report.journalError;
    return json;
}

// A value dumped on its own, indented as it stands `depth` levels deep in the document. Texts inside
// never hold a raw line break (it is escaped), so every line break is one of the layout's.
void writeNested(std::ostream& out, const nlohmann::ordered_json& value, int depth) {
    const std::string text = jsonText(value, 2);
    const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.write(text.data() + start, static_cast<std::streamsize>(end + 1 - start)) << pad;
    out.write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
}

} // namespace

nlohmann::ordered_json previewJson(const std::vector<SessionRow>& rows, const FileValidationResult& result,
                                   const std::optional<RenameReport>& report, bool changedOnly) {
    nlohmann::ordered_json document;
    auto& list = document["files"] = nlohmann::ordered_json::array();
    for (const auto& row : rows)
        if (!changedOnly || row.changes())
            list.push_back(sessionRowJson(row));
    document["validationResult"] = validationResultJson(result);
    if (report)
        document["renameReport"] = renameReportJson(*report);
    return document;
}

RowWalk walkRows(const std::vector<SessionRow>& rows) {
    return [&rows](const RowVisitor& visit) {
        for (const auto& row : rows)
            visit(row);
    };
}

RowWalk walkRows(const Session& session) {
    return [&session](const RowVisitor& visit) { session.forEachRow(visit); };
}

void writePreviewJson(std::ostream& out, const RowWalk& rows, const FileValidationResult& result,
                      const std::optional<RenameReport>& report, bool changedOnly) {
    out << "{\n  \"files\": [";
    bool first = true;
    rows([&](const SessionRow& row) {
        if (changedOnly && !row.changes())
            return;
        out << (first ? "\n    " : ",\n    ");
        first = false;
        writeNested(out, sessionRowJson(row), 2);
    });
    out << (first ? "]" : "\n  ]") << ",\n  \"validationResult\": ";
    writeNested(out, validationResultJson(result), 1);
    if (report) {
        out << ",\n  \"renameReport\": ";
        writeNested(out, renameReportJson(*report), 1);
    }
    out << "\n}";
}

std::string jsonText(const nlohmann::ordered_json& document, int indent) {
    return document.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace quillory
