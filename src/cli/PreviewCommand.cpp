// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewCommand.h"

#include "ExitStatus.h"
#include "PreviewPrinter.h"
#include "ProgressLine.h"

#include "automation/Session.h"

#include <ostream>

namespace quillory::cli {

PreviewCommand::PreviewCommand(Session& session, std::ostream& out, std::ostream& err)
    : session_(session), out_(out), err_(err) {}

int PreviewCommand::run(const Options& options, std::stop_token stopToken) {
    {
        ProgressLine line(err_, options.showProgress, options.progressDelay);
        session_.compute(stopToken, line.callback());
    }
    if (stopToken.stop_requested()) {
        err_ << "Interrupted: nothing was renamed.\n";
        return exitInterrupted;
    }
    const auto result = session_.validationResult();
    const RowWalk rows = readableRows(session_);
    if (options.json) {
        writePreviewJson(out_, rows, result, std::nullopt, options.changedOnly);
        out_ << "\n";
    } else {
        printPreviewTable(out_, rows, result, {options.color, options.changedOnly});
    }
    if (!options.json && result.renameCount > 0) {
        out_.flush(); // the hint comes after the table on a shared terminal
        err_ << "Nothing was renamed; add --rename to do it\n";
    }
    return result.errorCount > 0 || options.listIncomplete ? exitFilesWithErrors : exitDone;
}

} // namespace quillory::cli
