// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryCommands.h"

#include "CliUserInteraction.h"
#include "PathInput.h"
#include "automation/AppServices.h"
#include "automation/Session.h"
#include "automation/SessionJson.h"
#include "rename/JournalStore.h"
#include "rename/RunRestorer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <ostream>

namespace quillory::cli {
namespace {

std::string localTime(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string stateOf(const JournalRecord& record) {
    if (!record.closed)
        return "interrupted";
    if (!record.undoneBy.empty())
        return "undone";
    return record.endState;
}

int printHistory(const JournalStore& store, bool json, std::ostream& out) {
    nlohmann::ordered_json runs = nlohmann::ordered_json::array();
    for (const auto& id : store.ids()) {
        const auto record = store.summary(id);
        if (!record.ok())
            continue;
        if (json) {
            runs.push_back({{"id", id},
                            {"started", localTime(record->started)},
                            {"kind", record->kind},
                            {"undoOf", record->undoOf},
                            {"folder", record->folder},
                            {"state", stateOf(*record)},
                            {"files", record->moveCount},
                            {"renamed", record->renamed},
                            {"failed", record->failed},
                            {"notTried", record->notTried},
                            {"undoneBy", record->undoneBy}});
            continue;
        }
        out << id << "  " << localTime(record->started) << "  " << record->kind << "  " << stateOf(*record) << "  "
            << record->moveCount << " files";
        if (record->closed)
            out << " (" << record->renamed << " renamed, " << record->failed << " failed, " << record->notTried
                << " not tried)";
        out << "  " << record->folder;
        if (!record->undoOf.empty())
            out << "  [undoes " << record->undoOf << "]";
        out << "\n";
    }
    if (json)
        out << jsonText({{"runs", runs}}) << "\n";
    else if (runs.empty() && store.ids().empty())
        out << "No runs recorded.\n";
    return 0;
}

int printOutcome(const std::string& what, const RunRestorer::Outcome& outcome, bool json, std::ostream& out) {
    const bool complete = outcome.failures.empty() && outcome.leftAlone.empty();
    if (json) {
        const nlohmann::ordered_json failed = failuresJson(outcome.failures);
        out << jsonText({{"runId", outcome.runId},
                         {"moved", outcome.moved},
                         {"alreadyInPlace", outcome.alreadyInPlace},
                         {"straysRemoved", outcome.straysRemoved},
                         {"leftAlone", outcome.leftAlone},
                         {"failed", failed}})
            << "\n";
        return complete ? 0 : 3;
    }
    out << what << ": " << outcome.moved << (outcome.moved == 1 ? " file moved" : " files moved");
    if (outcome.alreadyInPlace > 0)
        out << ", " << outcome.alreadyInPlace << " already in place";
    if (outcome.straysRemoved > 0)
        out << ", " << outcome.straysRemoved << " leftover copies removed";
    out << ".\n";
    for (const auto& message : outcome.leftAlone)
        out << "  left alone: " << message << "\n";
    for (const auto& failure : outcome.failures)
        out << "  failed: " << failure.source << " -> " << failure.target << ": " << failure.error.description
            << " (" << failure.error.code << ")\n";
    if (!outcome.runId.empty())
        out << "Recorded as run " << outcome.runId << ".\n";
    return complete ? 0 : 3;
}

} // namespace

int runHistoryCommand(const HistoryRequest& request, std::ostream& out, std::ostream& err) {
    JournalStore store(JournalStore::defaultFolder());
    // Files go back through the session's file system, which moves nothing in a folder outside the
    // allowed ones, whatever links lead there now.
    CliUserInteraction interaction(std::cin, err, false, CliUserInteraction::OnError::abort);
    Session::Options options{{}, &interaction, false, false};
    options.journalFolder = JournalStore::defaultFolder();
    Session session(std::move(options));
    if (!request.allow.empty()) {
        allowForThisRun(session.services().preferences(), request.allow);
        session.reloadSettings();
    }
    switch (request.mode) {
    case HistoryRequest::Mode::history:
        return printHistory(store, request.json, out);
    case HistoryRequest::Mode::undo: {
        std::string id = request.runId;
        if (id.empty()) {
            const auto last = session.undoableRun();
            if (!last) {
                err << "quillory-cli: no run to undo\n";
                return 2;
            }
            id = last->id;
        }
        const auto outcome = session.undo(id);
        if (!outcome.ok()) {
            err << "quillory-cli: --undo: " << outcome.error().message << "\n";
            return 2;
        }
        return printOutcome("Undid run " + id, *outcome, request.json, out);
    }
    case HistoryRequest::Mode::recover: {
        const auto runs = store.interruptedRuns();
        if (runs.empty()) {
            out << "No interrupted run to recover.\n";
            return 0;
        }
        int status = 0;
        for (const auto& run : runs) {
            const auto outcome = session.recover(run.id, request.finish);
            if (!outcome.ok()) {
                err << "quillory-cli: --recover: " << outcome.error().message << "\n";
                status = 3;
                continue;
            }
            const std::string what = (request.finish ? "Finished run " : "Rolled back run ") + run.id;
            status = std::max(status, printOutcome(what, *outcome, request.json, out));
        }
        return status;
    }
    }
    return 2;
}

void warnAboutInterruptedRuns(std::ostream& err) {
    for (const auto& run : JournalStore(JournalStore::defaultFolder()).interruptedRuns())
        err << "quillory-cli: the run " << run.id << " in " << run.folder
            << " was interrupted. 'quillory-cli --recover' rolls it back, 'quillory-cli --recover finish' "
               "completes it.\n";
}

} // namespace quillory::cli
