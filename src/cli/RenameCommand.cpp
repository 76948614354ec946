// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenameCommand.h"

#include "ExitStatus.h"
#include "PreviewPrinter.h"

#include "automation/Session.h"

#include <chrono>
#include <ostream>

namespace quillory::cli {

RenameCommand::RenameCommand(Session& session, std::ostream& out, std::ostream& err)
    : session_(session), out_(out), err_(err) {}

int RenameCommand::run(const Options& options, std::stop_token stopToken) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextUpdate = Clock::now() + options.progressDelay;
    bool progressShown = false;
    auto progress = [&](const SessionProgress& step) {
        if (!options.showProgress || step.stage != SessionStage::renaming)
            return;
        const auto now = Clock::now();
        const bool last = step.done == step.total;
        if (now < nextUpdate && !(last && progressShown))
            return;
        nextUpdate = now + std::chrono::milliseconds(100);
        err_ << "\rRenaming " << step.done << "/" << step.total << std::flush;
        progressShown = true;
    };
    // The table after a run shows only the report: the rows need no second look then.
    const RenameReport report = session_.rename({options.force, options.json}, stopToken, progress);
    if (progressShown)
        err_ << "\r\033[K" << std::flush; // clear the progress line

    if (!report.started) {
        const auto rows = session_.rows();
        const auto result = session_.validationResult();
        if (options.json)
            out_ << jsonText(previewJson(rows, result, report, options.changedOnly)) << "\n";
        else
            printPreviewTable(out_, rows, result, {options.color, true});
        // A rename action that fails for a file stops the whole run, forced or not: no name is
        // trusted when the chain could not be computed.
        if (options.force || result.errorCount == 0)
            err_ << "Nothing renamed: a rename action failed while computing the new names (see the errors "
                    "above).\n";
        else
            err_ << "Nothing renamed: " << result.errorCount << (result.errorCount == 1 ? " file has" : " files have")
                 << " errors (use --force to rename the others).\n";
        return exitFilesWithErrors;
    }
    if (options.json) {
        out_ << jsonText(previewJson(session_.rows(), session_.validationResult(), report, options.changedOnly))
             << "\n";
        printRenameReport(err_, report);
    } else {
        printRenameReport(out_, report);
    }
    if (!report.failures.empty() || report.aborted)
        return exitRenameFailed;
    // Paths that could not be opened were left as they are, as the preview reports.
    return options.listIncomplete ? exitFilesWithErrors : exitDone;
}

} // namespace quillory::cli
