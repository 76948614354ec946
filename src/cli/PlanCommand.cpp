// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanCommand.h"

#include "ExitStatus.h"

#include "automation/Session.h"

#include <filesystem>
#include <ostream>

namespace quillory::cli {

PlanCommand::PlanCommand(Session& session, std::ostream& out, std::ostream& err)
    : session_(session), out_(out), err_(err) {}

int PlanCommand::run(const std::string& pathOrId) {
    const auto plan = session_.plan(pathOrId);
    if (!plan.ok()) {
        err_ << "quillory-cli: --plan: " << plan.error().message << "\n";
        return exitUsage;
    }
    for (const auto& row : *plan)
        out_ << row.label << ": " << row.path << "/" << row.filename << (row.dimmed ? "  (not selected)" : "") << "\n";
    // Where the run will put it, the unique suffix included: that takes the whole list validated.
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(pathOrId, ec).lexically_normal().string();
    for (const auto& row : session_.preview()) {
        if (row.identifier != pathOrId && row.fullPath() != absolute && row.fullPath() != pathOrId)
            continue;
        if (row.errors.empty() && row.changes())
            out_ << "Target: " << row.newFullPath << "\n";
        break;
    }
    return exitDone;
}

} // namespace quillory::cli
