// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanCommand.h"

#include "ExitStatus.h"

#include "automation/Session.h"

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
    return exitDone;
}

} // namespace quillory::cli
