// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewPrinter.h"

#include "rename/MovePlan.h"
#include "text/Characters.h"
#include "text/DisplayWidth.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
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
        return lastComponent(row.newPath) + row.uniqueSuffix + "/";
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
    const std::size_t count = text::displayWidth(text);
    return count >= width ? text : text + std::string(width - count, ' ');
}

std::string counted(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string folderOf(const SessionRow& row) {
    return row.isFolder ? parentOf(row.path) : row.path;
}

// The folder that holds every listed item, so that rows can name their items below it.
class CommonFolder {
public:
    void add(const SessionRow& row) {
        const std::string folder = folderOf(row);
        if (!common_) {
            common_ = folder;
            return;
        }
        while (!common_->empty() && folder != *common_ && !folder.starts_with(*common_ + "/"))
            *common_ = parentOf(*common_);
    }
    std::string folder() const { return common_.value_or(std::string()); }

private:
    std::optional<std::string> common_;
};

// Names that occur more than once are told apart by their path below the common folder. Kept as hashes:
// a collision only shows the paths of a list whose names are all different.
class RepeatedNames {
public:
    void add(const SessionRow& row) {
        if (!repeat_)
            repeat_ = !seen_.insert(std::hash<std::string>{}(sourceName(row))).second;
    }
    bool found() const { return repeat_; }

private:
    std::unordered_set<std::size_t> seen_;
    bool repeat_ = false;
};

std::string shownSource(const SessionRow& row, const std::string& base) {
    const std::string folder = folderOf(row);
    const std::string below = folder.size() > base.size() ? folder.substr(base.size() + 1) + "/" : std::string();
    return below + sourceName(row);
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

// The readable text of each action's id, by its place in the chain (counted from 1, as the options give
// the actions).
using ActionFailures = std::unordered_map<std::string, std::string>;

ActionFailures actionFailures(const std::vector<Transformer>& chain) {
    ActionFailures failures;
    for (std::size_t i = 0; i < chain.size(); ++i)
        failures.emplace(chain[i].id, "action " + std::to_string(i + 1) + " (" + chain[i].type + ") failed");
    return failures;
}

bool namesAnAction(const SessionRow& row, const ActionFailures& failures) {
    return std::any_of(row.errors.begin(), row.errors.end(),
                       [&](const std::string& error) { return failures.contains(error); });
}

} // namespace

RowWalk readableRows(const Session& session) {
    // The desktop app points at the failing action by its id; the id means nothing to a reader or a script.
    auto failures = actionFailures(session.chain());
    return [rows = walkRows(session), failures = std::move(failures)](const RowVisitor& visit) {
        rows([&](const SessionRow& row) {
            if (!namesAnAction(row, failures)) {
                visit(row);
                return;
            }
            SessionRow readable = row;
            for (auto& error : readable.errors)
                if (const auto found = failures.find(error); found != failures.end())
                    error = found->second;
            visit(readable);
        });
    };
}

void printPreviewTable(std::ostream& out, const RowWalk& rows, const FileValidationResult& result,
                       const PreviewStyle& style) {
    // Three walks over the list rather than a copy of every row: the layout needs the whole list first.
    RepeatedNames repeated;
    CommonFolder common;
    rows([&](const SessionRow& row) {
        repeated.add(row);
        common.add(row);
    });
    const bool relative = repeated.found();
    const std::string base = relative ? common.folder() : std::string();
    auto source = [&](const SessionRow& row) {
        return text::visibleEscapes(relative ? shownSource(row, base) : sourceName(row));
    };
    std::size_t width = 0;
    rows([&](const SessionRow& row) {
        if (!style.changedOnly || row.changes())
            width = std::max(width, std::min(maxColumn, text::displayWidth(source(row))));
    });

    int warnings = 0;
    rows([&](const SessionRow& row) {
        if (!row.warnings.empty())
            ++warnings;
        if (style.changedOnly && !row.changes())
            return;
        const char* tint = tintOf(row.state);
        if (style.color && tint)
            out << tint;
        out << padded(source(row), width) << "  ->  " << text::visibleEscapes(targetName(row));
        if (const auto folder = newFolder(row))
            out << "  [in " << text::visibleEscapes(*folder) << "/]";
        if (!row.errors.empty())
            out << "  ERROR: " << text::visibleEscapes(joined(row.errors));
        if (!row.warnings.empty())
            out << "  WARNING: " << text::visibleEscapes(joined(row.warnings));
        if (style.color && tint)
            out << reset;
        out << "\n";
    });
    out << counted(static_cast<std::size_t>(result.totalCount), "file") << ": " << result.renameCount << " to rename, " << result.errorCount
        << " with errors, " << warnings << " with warnings" << (result.isPending ? " (pending)" : "") << "\n";
}

void printRenameReport(std::ostream& out, const RenameReport& report) {
    out << "Renamed " << report.successCount << " of " << counted(static_cast<std::size_t>(report.renameCount), "file");
    if (report.errorCount > 0)
        out << "; " << counted(static_cast<std::size_t>(report.errorCount), "file") << " with errors "
            << (report.errorCount == 1 ? "was" : "were") << " skipped";
    if (report.aborted)
        out << "; the run was aborted: " << report.triedCount() << " tried, " << report.failures.size()
            << " failed, " << report.notTriedCount << " not tried";
    out << ".\n";
    if (!report.journalError.empty() && !report.journalId.empty())
        out << "Warning: " << report.journalError << ".\n";
    else if (!report.journalError.empty())
        out << "Warning: the run is not recorded and cannot be undone: " << report.journalError << "\n";
    else if (!report.journalId.empty())
        out << "Recorded as run " << report.journalId << " ('quillory-cli --undo' reverses it).\n";
    for (const auto& failure : report.failures)
        out << "  failed: " << text::visibleEscapes(failure.source) << " -> " << text::visibleEscapes(failure.target)
            << ": " << failure.error.description
            << " (" << failure.error.code << ")\n";
}

} // namespace quillory::cli
