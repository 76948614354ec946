// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewPrinter.h"

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

std::string lastComponent(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A folder entry has an empty name and the folder itself as its path; show it by its folder.
std::string sourceName(const SessionRow& row) {
    if (row.isFolder)
        return lastComponent(row.path) + "/";
    return row.fileName();
}

std::string targetName(const SessionRow& row) {
    if (row.isFolder && row.newName.empty() && row.newExt.empty())
        return lastComponent(row.newPath) + "/";
    return row.newFileName();
}

// The folder a row ends up in, when that differs from the one it is in now.
std::optional<std::string> newFolder(const SessionRow& row) {
    if (row.isFolder) {
        const auto to = parentOf(row.newPath);
        return to != parentOf(row.path) ? std::optional(to) : std::nullopt;
    }
    return row.newPath != row.path ? std::optional(row.newPath) : std::nullopt;
}

std::string padded(const std::string& text, std::size_t width) {
    const std::size_t count = text::characterCount(text);
    return count >= width ? text : text + std::string(width - count, ' ');
}

std::string joined(const std::vector<std::string>& messages) {
    std::string out;
    for (const auto& message : messages)
        out += (out.empty() ? "" : "; ") + message;
    return out;
}

const char* tintOf(RowState state) {
    switch (state) {
    case RowState::error:
        return red;
    case RowState::warning:
        return yellow;
    case RowState::willChange:
        return green;
    case RowState::unchanged:
        break;
    }
    return nullptr;
}

} // namespace

void printPreviewTable(std::ostream& out, const std::vector<SessionRow>& rows, const FileValidationResult& result,
                       const PreviewStyle& style) {
    std::size_t width = 0;
    for (const auto& row : rows)
        if (!style.changedOnly || row.changes())
            width = std::max(width, std::min(maxColumn, text::characterCount(sourceName(row))));

    int warnings = 0;
    for (const auto& row : rows) {
        if (!row.warnings.empty())
            ++warnings;
        if (style.changedOnly && !row.changes())
            continue;
        const char* tint = tintOf(row.state);
        if (style.color && tint)
            out << tint;
        out << padded(sourceName(row), width) << "  ->  " << targetName(row);
        if (const auto folder = newFolder(row))
            out << "  [in " << *folder << "/]";
        if (!row.errors.empty())
            out << "  ERROR: " << joined(row.errors);
        if (!row.warnings.empty())
            out << "  WARNING: " << joined(row.warnings);
        if (style.color && tint)
            out << reset;
        out << "\n";
    }
    out << result.totalCount << " files: " << result.renameCount << " to rename, " << result.errorCount
        << " with errors, " << warnings << " with warnings" << (result.isPending ? " (pending)" : "") << "\n";
}

void printRenameReport(std::ostream& out, const RenameReport& report) {
    out << "Renamed " << report.successCount << " of " << report.renameCount << " files";
    if (report.errorCount > 0)
        out << "; " << report.errorCount << " files with errors were skipped";
    if (report.aborted)
        out << "; the run was aborted";
    out << ".\n";
    for (const auto& failure : report.failures)
        out << "  failed: " << failure.source << " -> " << failure.target << ": " << failure.error.description
            << " (" << failure.error.code << ")\n";
}

} // namespace quillory::cli
