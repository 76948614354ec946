// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewPrinter.h"

#include "text/DisplayWidth.h"

#include <algorithm>
#include <optional>
#include <set>
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
        return lastComponent(file.transformed.transformedPath) + "/";
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
    const std::size_t count = text::displayWidth(text);
    return count >= width ? text : text + std::string(width - count, ' ');
}

std::string counted(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The folder that holds every listed item, so that rows can name their items below it.
std::string commonFolder(const std::vector<File>& files) {
    std::optional<std::string> common;
    for (const auto& file : files) {
        const std::string folder = isFolderEntry(file) ? parentOf(file.source.path) : file.source.path;
        if (!common) {
            common = folder;
            continue;
        }
        while (!common->empty() && folder != *common && !folder.starts_with(*common + "/"))
            *common = parentOf(*common);
    }
    return common.value_or(std::string());
}

// Names that occur more than once are told apart by their path below the common folder.
bool namesRepeat(const std::vector<File>& files) {
    std::set<std::string> seen;
    for (const auto& file : files)
        if (!seen.insert(sourceName(file)).second)
            return true;
    return false;
}

std::string shownSource(const File& file, const std::string& base) {
    if (base.empty() && !file.source.path.starts_with("/"))
        return sourceName(file);
    const std::string folder = isFolderEntry(file) ? parentOf(file.source.path) : file.source.path;
    const std::string below = folder.size() > base.size() ? folder.substr(base.size() + 1) + "/" : std::string();
    return below + sourceName(file);
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
    const bool relative = namesRepeat(files);
    const std::string base = relative ? commonFolder(files) : std::string();
    auto source = [&](const File& file) {
        return text::visibleEscapes(relative ? shownSource(file, base) : sourceName(file));
    };
    std::size_t width = 0;
    for (const auto& file : files)
        if (!style.changedOnly || changes(file))
            width = std::max(width, std::min(maxColumn, text::displayWidth(source(file))));

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
        out << padded(source(file), width) << "  ->  " << text::visibleEscapes(targetName(file));
        if (const auto folder = newFolder(file))
            out << "  [in " << text::visibleEscapes(*folder) << "/]";
        if (hasErrors)
            out << "  ERROR: " << text::visibleEscapes(joined(file.validation.errors));
        if (hasWarnings)
            out << "  WARNING: " << text::visibleEscapes(joined(file.validation.warnings));
        if (style.color && tint)
            out << reset;
        out << "\n";
    }
    out << counted(static_cast<std::size_t>(result.totalCount), "file") << ": " << result.renameCount << " to rename, " << result.errorCount
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
        item["transformedFullPath"] = file.transformed.fullPath();
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
        document["renameReport"] = {{"renamed", report->successCount},
                                    {"failed", std::move(failed)},
                                    {"skipped", report->errorCount}};
    }
    return document;
}

void printRenameReport(std::ostream& out, const RenameReport& report) {
    out << "Renamed " << report.successCount << " of " << counted(static_cast<std::size_t>(report.renameCount), "file");
    if (report.errorCount > 0)
        out << "; " << counted(static_cast<std::size_t>(report.errorCount), "file") << " with errors "
            << (report.errorCount == 1 ? "was" : "were") << " skipped";
    if (report.aborted)
        out << "; the run was aborted";
    out << ".\n";
    for (const auto& failure : report.failures)
        out << "  failed: " << text::visibleEscapes(failure.source) << " -> " << text::visibleEscapes(failure.target)
            << ": " << failure.error.description
            << " (" << failure.error.code << ")\n";
}

} // namespace quillory::cli
