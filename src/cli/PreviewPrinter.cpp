// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewPrinter.h"

#include "rename/MovePlan.h"
#include "text/Characters.h"

#include <algorithm>
#include <optional>
#include <ostream>

namespace quillory::cli {
namespace {

constexpr const char* green = "\033[32m";
constexpr const char* red = "\033[31m";
constexpr const char* yellow = "\033[33m";
constexpr const char* reset = "\033[0m";
constexpr std::size_t maxColumn = 48;

// A folder entry of the list has an empty name and the folder itself as its path; show it by its folder.
bool isFolderEntry(const File& file) {
    return file.source.name.empty() && file.source.ext.empty();
}

std::string lastComponent(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string sourceName(const File& file) {
    if (isFolderEntry(file))
        return lastComponent(file.source.path) + "/";
    return file.source.name + (file.source.ext.empty() ? "" : "." + file.source.ext);
}

std::string targetName(const File& file) {
    if (isFolderEntry(file) && file.transformed.transformedName.empty() && file.transformed.transformedExt.empty())
        return lastComponent(file.transformed.transformedPath) + file.validation.uniqueSuffix + "/";
    return file.transformed.transformedName + file.validation.uniqueSuffix + file.transformed.dottedExtension();
}

// The folder a row ends up in, when that differs from the one it is in now.
std::optional<std::string> newFolder(const File& file) {
    if (isFolderEntry(file)) {
        const auto to = parentOf(file.transformed.transformedPath);
        return to != parentOf(file.source.path) ? std::optional(to) : std::nullopt;
    }
    return file.transformed.transformedPath != file.source.path ? std::optional(file.transformed.transformedPath)
                                                                : std::nullopt;
}

bool changes(const File& file) {
    return file.transformed.transformedName != file.source.name || file.transformed.transformedPath != file.source.path ||
           file.transformed.transformedExt != file.source.ext;
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t count = text::characterCount(text);
    return count >= width ? text : text + std::string(width - count, ' ');
}

std::string joined(const std::set<std::string>& messages) {
    std::string out;
    for (const auto& message : messages)
        out += (out.empty() ? "" : "; ") + message;
    return out;
}

} // namespace

void printPreviewTable(std::ostream& out, const std::vector<File>& files, const FileValidationResult& result,
                       const PreviewStyle& style) {
    std::size_t width = 0;
    for (const auto& file : files)
        if (!style.changedOnly || changes(file))
            width = std::max(width, std::min(maxColumn, text::characterCount(sourceName(file))));

    int warnings = 0;
    for (const auto& file : files) {
        if (!file.validation.warnings.empty())
            ++warnings;
        if (style.changedOnly && !changes(file))
            continue;
        const bool hasErrors = !file.validation.errors.empty();
        const bool hasWarnings = !file.validation.warnings.empty();
        const char* tint = hasErrors ? red : hasWarnings ? yellow : changes(file) ? green : nullptr;
        if (style.color && tint)
            out << tint;
        out << padded(sourceName(file), width) << "  ->  " << targetName(file);
        if (const auto folder = newFolder(file))
            out << "  [in " << *folder << "/]";
        if (hasErrors)
            out << "  ERROR: " << joined(file.validation.errors);
        if (hasWarnings)
            out << "  WARNING: " << joined(file.validation.warnings);
        if (style.color && tint)
            out << reset;
        out << "\n";
    }
    out << result.totalCount << " files: " << result.renameCount << " to rename, " << result.errorCount
        << " with errors, " << warnings << " with warnings" << (result.isPending ? " (pending)" : "") << "\n";
}

nlohmann::ordered_json previewJson(const std::vector<File>& files, const FileValidationResult& result,
                                   const std::optional<RenameReport>& report, bool changedOnly) {
    nlohmann::ordered_json document;
    auto& list = document["files"] = nlohmann::ordered_json::array();
    for (const auto& file : files) {
        if (changedOnly && !changes(file))
            continue;
        nlohmann::ordered_json item;
        item["identifier"] = file.id();
        item["displayName"] = file.source.fullPath();
        item["path"] = file.source.path;
        item["name"] = file.source.name;
        item["ext"] = file.source.ext;
        item["transformedPath"] = file.transformed.transformedPath;
        item["transformedName"] = file.transformed.transformedName;
        item["transformedExt"] = file.transformed.transformedExt;
        // With its unique suffix: exactly where the run will put it.
        item["transformedFullPath"] =
            file.validation.uniqueSuffix.empty() ? file.transformed.fullPath() : MovePlan::targetOf(file);
        item["warnings"] = std::vector<std::string>(file.validation.warnings.begin(), file.validation.warnings.end());
        item["errors"] = std::vector<std::string>(file.validation.errors.begin(), file.validation.errors.end());
        item["uniqueSuffix"] = file.validation.uniqueSuffix;
        list.push_back(std::move(item));
    }
    document["validationResult"] = {{"isPending", result.isPending},
                                    {"errorCount", result.errorCount},
                                    {"totalCount", result.totalCount},
                                    {"renameCount", result.renameCount}};
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

void printRenameReport(std::ostream& out, const RenameReport& report) {
    out << "Renamed " << report.successCount << " of " << report.renameCount << " files";
    if (report.errorCount > 0)
        out << "; " << report.errorCount << " files with errors were skipped";
    if (report.aborted)
        out << "; the run was aborted: " << report.triedCount() << " tried, " << report.failures.size()
            << " failed, " << report.notTriedCount << " not tried";
    out << ".\n";
    if (!report.journalError.empty())
        out << "Warning: the run is not recorded and cannot be undone: " << report.journalError << "\n";
    else if (!report.journalId.empty())
        out << "Recorded as run " << report.journalId << " ('quillory-cli --undo' reverses it).\n";
    for (const auto& failure : report.failures)
        out << "  failed: " << failure.source << " -> " << failure.target << ": " << failure.error.description
            << " (" << failure.error.code << ")\n";
}

} // namespace quillory::cli
