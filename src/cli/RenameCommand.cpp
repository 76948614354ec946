// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenameCommand.h"

#include "ExitStatus.h"
#include "PreviewPrinter.h"
#include "ProgressLine.h"

#include "automation/Session.h"

#include <ostream>

namespace quillory::cli {

RenameCommand::RenameCommand(Session& session, std::ostream& out, std::ostream& err)
    : session_(session), out_(out), err_(err) {}

int RenameCommand::run(const Options& options, std::stop_token stopToken) {
    // The table after a run shows only the report: the rows need no second look then.
    RenameReport report;
    {
        ProgressLine line(err_, options.showProgress, options.progressDelay);
        report = session_.rename({options.force, options.json}, stopToken, line.callback());
    }

    if (stopToken.stop_requested() && !report.started) {
        err_ << "Interrupted: nothing was renamed.\n";
        return exitInterrupted;
    }
    const RowWalk rows = readableRows(session_);
    if (!report.started) {
        const auto result = session_.validationResult();
        if (options.json) {
            writePreviewJson(out_, rows, result, report, options.changedOnly);
            out_ << "\n";
        } else {
            printPreviewTable(out_, rows, result, {options.color, true});
        }
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
        writePreviewJson(out_, rows, session_.validationResult(), report, options.changedOnly);
        out_ << "\n";
        printRenameReport(err_, report);
    } else {
        printRenameReport(out_, report);
    }
    if (stopToken.stop_requested() && report.aborted) {
        err_ << "Interrupted: " << report.successCount << " of " << report.renameCount
             << " files were renamed before the stop; the others are as they were.\n";
        return exitInterrupted;
    }
    if (!report.failures.empty() || report.aborted)
        return exitRenameFailed;
    // Paths that could not be opened were left as they are, as the preview reports.
    return options.listIncomplete ? exitFilesWithErrors : exitDone;
}

} // namespace quillory::cli
