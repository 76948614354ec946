// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/RunRestorer.h"

#include "app/Logger.h"
#include "model/File.h"
#include "rename/FileSystem.h"
#include "rename/FolderCase.h"
#include "rename/JournalStore.h"
#include "rename/JournalText.h"
#include "rename/MovePlan.h"
#include "rename/RunJournal.h"

#include <unistd.h>

#include <limits>
#include <set>

namespace quillory {
namespace {

// Removes an item and, for a folder, everything in it, without following links.
bool removeTree(FileSystem& fileSystem, const std::string& path) {
    const auto identity = fileSystem.identify(path);
    if (!identity)
        return true;
    if (!identity->isFolder)
        return !fileSystem.removeFile(path);
    std::vector<std::string> names;
    if (fileSystem.directoryEntries(path, std::numeric_limits<std::size_t>::max(), names))
        return false;
    bool ok = true;
    for (const auto& name : names)
        ok = removeTree(fileSystem, path + "/" + name) && ok;
    return !fileSystem.removeDirectory(path) && ok;
}

bool isEmptyFolder(FileSystem& fileSystem, const std::string& path) {
    std::vector<std::string> names;
    return !fileSystem.directoryEntries(path, 1, names) && names.empty();
}

} // namespace

RunRestorer::RunRestorer(FileSystem& fileSystem, JournalStore& store) : fileSystem_(fileSystem), store_(store) {}

namespace {
struct LastRuns {
    std::optional<std::string> undoable;
    std::optional<std::string> openAhead;
};

LastRuns lastRuns(const JournalStore& store) {
    LastRuns found;
    const auto ids = store.ids();
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        const auto record = store.summary(*id);
        if (!record.ok())
            continue;
        if (!record->closed) {
            found.openAhead = *id;
            return found;
        }
        if (record->kind == "rename" && record->undoneBy.empty() && record->endState != "rolled-back") {
            found.undoable = *id;
            return found;
        }
    }
    return found;
}
} // namespace

std::optional<std::string> RunRestorer::lastUndoableRun() const { return lastRuns(store_).undoable; }

std::optional<std::string> RunRestorer::openRunAhead() const { return lastRuns(store_).openAhead; }

RunRestorer::Where RunRestorer::locate(const JournalRecord& record, std::size_t m, std::string* parkedAt) const {
    const auto& move = record.moves[m];
    if (!move.identity)
        return Where::unknown;
    const auto there = fileSystem_.identify(move.target);
    const auto here = fileSystem_.identify(move.source);
    // A rename of letter case only, in a folder that ignores case: source and target find the same
    // entry, and only its spelling tells whether the rename happened.
    const bool oneEntry = there && here && there->sameItem(*here) && move.source != move.target;
    if (there && there->sameOrCopiedItem(*move.identity) && (!oneEntry || spelledAs(move.target)))
        return Where::target;
    for (const auto& step : record.steps) {
        if (step.move != m)
            continue;
        for (const std::string* name : {step.kind == MovePlan::StepKind::toTemporary ? &step.to : nullptr,
                                        step.detour.empty() ? nullptr : &step.detour}) {
            if (!name)
                continue;
            if (const auto parked = fileSystem_.identify(*name); parked && parked->sameItem(*move.identity)) {
                if (parkedAt)
                    *parkedAt = *name;
                return Where::temporary;
            }
        }
    }
    if (here && here->sameItem(*move.identity))
        return Where::source;
    return Where::unknown;
}

bool RunRestorer::spelledAs(const std::string& path) const {
    const std::string folder = deletingLastPathComponent(path);
    auto listing = listings_.find(folder);
    if (listing == listings_.end()) {
        std::vector<std::string> names;
        if (fileSystem_.directoryEntries(folder, std::numeric_limits<std::size_t>::max(), names))
            return true; // cannot tell: as the path says
        listing = listings_.emplace(folder, std::set<std::string>(names.begin(), names.end())).first;
    }
    return listing->second.count(path.substr(path.rfind('/') + 1)) != 0;
}

std::optional<FileError> RunRestorer::moveItem(const std::string& from, const std::string& to,
                                              const std::function<bool(const std::string&)>& recordDetour) {
    auto error = fileSystem_.moveItem(from, to);
    if (!error) {
        moved(from, to);
        return std::nullopt;
    }
    if (error->code != FileError::fileExists)
        return error;
    // The target may be the item itself under another spelling, in a folder that ignores case but
    // does not say so: through a temporary name, recorded before it exists.
    const auto there = fileSystem_.identify(to);
    const auto here = fileSystem_.identify(from);
    if (!there || !here || !there->sameItem(*here))
        return error;
    const std::string temporary = MovePlan::temporaryName(from, MovePlan::randomTag(), 0);
    if (!recordDetour(temporary))
        return error;
    if (auto parked = fileSystem_.moveItem(from, temporary))
        return parked;
    if (auto placed = fileSystem_.moveItem(temporary, to)) {
        fileSystem_.moveItem(temporary, from);
        return placed;
    }
    moved(from, to);
    return std::nullopt;
}

// Keeps the folder listings read so far true to the disk.
void RunRestorer::moved(const std::string& from, const std::string& to) {
    if (const auto listing = listings_.find(deletingLastPathComponent(from)); listing != listings_.end())
        listing->second.erase(from.substr(from.rfind('/') + 1));
    if (const auto listing = listings_.find(deletingLastPathComponent(to)); listing != listings_.end())
        listing->second.insert(to.substr(to.rfind('/') + 1));
}

std::optional<FileError> RunRestorer::ensureFolder(const std::string& path, std::vector<std::string>& created) {
    if (path.empty() || fileSystem_.exists(path))
        return std::nullopt;
    std::vector<std::string> missing{path};
    for (std::string up = deletingLastPathComponent(path); !up.empty() && up != "/" && !fileSystem_.exists(up); up = deletingLastPathComponent(up))
        missing.push_back(up);
    if (auto error = fileSystem_.createDirectories(path))
        return error;
    created.insert(created.end(), missing.rbegin(), missing.rend());
    return std::nullopt;
}

Result<RunRestorer::Outcome> RunRestorer::undo(const std::string& runId) {
    listings_.clear();
    auto record = store_.read(runId);
    if (!record.ok())
        return record.error();
    if (!record->closed)
        return Error{"the run " + runId + " was interrupted: recover it first"};
    if (!record->undoneBy.empty())
        return Error{"the run " + runId + " was undone already (by " + record->undoneBy + ")"};
    if (record->endState == "rolled-back")
        return Error{"the run " + runId + " was rolled back already"};
    Outcome outcome;
    putBack(*record, outcome);
    // A file that could not go back keeps the run open to another undo, which finds the rest in place.
    if (outcome.failures.empty())
        if (const Status recorded =
                store_.append(runId, "undone " + (outcome.runId.empty() ? std::string("-") : outcome.runId) + "\n");
            !recorded.ok())
            Logger::error("The journal of run ", runId, " does not say it was undone: ", recorded.error().message);
    return outcome;
}

Result<RunRestorer::Outcome> RunRestorer::recover(const std::string& runId, bool finish) {
    listings_.clear();
    auto record = store_.read(runId);
    if (!record.ok())
        return record.error();
    if (record->closed)
        return Error{"the run " + runId + " was not interrupted"};
    Outcome outcome;
    // Without the whole plan on disk nothing was moved yet.
    if (record->planned) {
        removeStrayCopies(*record, outcome);
        if (finish)
            finishRun(*record, outcome);
        else
            putBack(*record, outcome);
    }
    const std::string state = finish ? "finished" : "rolled-back";
    const std::string counts = " " + std::to_string(outcome.moved) + " " + std::to_string(outcome.failures.size()) +
                               " " + std::to_string(outcome.leftAlone.size());
    if (auto status = store_.append(runId, "end " + state + counts + "\n"); !status.ok())
        return status.error();
    return outcome;
}

void RunRestorer::removeStrayCopies(const JournalRecord& record, Outcome& outcome) {
    // A move to another file system builds its copy under a hidden name beside the target and removes
    // the original only once the copy is in place: a copy left behind is garbage when the original is
    // whole, and the only copy otherwise.
    const std::string prefix = ".quillory-move-" + std::to_string(record.pid) + "-";
    std::set<std::string> examined;
    for (std::size_t m = 0; m < record.moves.size(); ++m) {
        const auto& move = record.moves[m];
        const std::string folder = deletingLastPathComponent(move.target);
        if (!move.identity || examined.count(folder))
            continue;
        const auto folderIdentity = fileSystem_.identify(folder);
        if (!folderIdentity || folderIdentity->device == move.identity->device)
            continue;
        examined.insert(folder);
        std::vector<std::string> names;
        if (fileSystem_.directoryEntries(folder, std::numeric_limits<std::size_t>::max(), names))
            continue;
        for (const auto& name : names) {
            if (name.rfind(prefix, 0) != 0)
                continue;
            const std::string stray = folder + "/" + name;
            // Every unfinished move into this folder must find its original whole.
            bool intact = true;
            for (std::size_t k = 0; k < record.moves.size() && intact; ++k) {
                const auto& other = record.moves[k];
                if (deletingLastPathComponent(other.target) != folder || !other.identity || locate(record, k) == Where::target)
                    continue;
                const auto here = fileSystem_.identify(other.source);
                intact = here && here->sameItem(*other.identity) &&
                         (!other.identity->sizeAndTimeKnown ||
                          (here->size == other.identity->size && here->modified == other.identity->modified));
            }
            if (!intact) {
                outcome.leftAlone.push_back("\"" + stray + "\" was kept: its original is not intact");
                continue;
            }
            if (removeTree(fileSystem_, stray))
                ++outcome.straysRemoved;
        }
    }
}

void RunRestorer::putBack(const JournalRecord& record, Outcome& outcome) {
    std::vector<MovePlan::Move> back;
    for (std::size_t m = 0; m < record.moves.size(); ++m) {
        const auto& move = record.moves[m];
        if (move.source == move.target)
            continue;
        std::string parkedAt;
        switch (locate(record, m, &parkedAt)) {
        case Where::source:
            ++outcome.alreadyInPlace;
            break;
        case Where::target:
            back.push_back({m, move.target, move.source, move.isFolder});
            break;
        case Where::temporary:
            back.push_back({m, parkedAt, move.source, move.isFolder});
            break;
        case Where::unknown:
            outcome.leftAlone.push_back("\"" + move.target + "\" is no longer where the run put it: left alone");
            break;
        }
    }

    FolderCase folderCase(fileSystem_);
    const MovePlan plan = MovePlan::order(std::move(back), MovePlan::randomTag(), &folderCase);
    RunJournal journal(store_.folder(), fileSystem_);
    journal.setUndoOf(record.id);
    const bool journaled = !plan.moves.empty() && journal.begin(plan).empty();
    if (journaled)
        outcome.runId = journal.runId();

    std::vector<char> failed(plan.moves.size(), 0);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const auto& step = plan.steps[i];
        const std::string& from = plan.from(step);
        const std::string& to = plan.to(step);
        if (failed[step.move])
            continue;
        std::vector<std::string> created;
        auto error = ensureFolder(deletingLastPathComponent(to), created);
        for (const auto& folder : created)
            if (journaled)
                journal.folderCreated(folder);
        if (!error)
            error = moveItem(from, to, [&](const std::string& temporary) {
                return journaled && journal.detour(i, temporary);
            });
        if (error) {
            failed[step.move] = 1;
            if (journaled)
                journal.stepFailed(i, *error);
            outcome.failures.push_back({from, plan.moves[step.move].target, *error});
            continue;
        }
        if (journaled)
            journal.stepDone(i);
        if (step.kind != MovePlan::StepKind::toTemporary)
            ++outcome.moved;
    }

    // Folders the run made go again once nothing is left in them.
    for (auto folder = record.createdFolders.rbegin(); folder != record.createdFolders.rend(); ++folder) {
        if (!isEmptyFolder(fileSystem_, *folder) || fileSystem_.removeDirectory(*folder))
            continue;
        if (journaled)
            journal.folderRemoved(*folder);
    }
    if (journaled)
        journal.close(outcome.failures.empty() ? "done" : "failed", outcome.moved,
                      static_cast<int>(outcome.failures.size()), 0);
}

void RunRestorer::finishRun(const JournalRecord& record, Outcome& outcome) {
    std::string lines;
    std::vector<char> failed(record.moves.size(), 0);
    for (std::size_t i = 0; i < record.steps.size(); ++i) {
        const auto& step = record.steps[i];
        const auto& move = record.moves[step.move];
        if (failed[step.move] || move.source == move.target)
            continue;
        std::string parkedAt;
        const Where where = locate(record, step.move, &parkedAt);
        std::string from = step.from;
        Where expected = step.kind == MovePlan::StepKind::fromTemporary ? Where::temporary : Where::source;
        if (where == Where::temporary && !step.detour.empty() && parkedAt == step.detour) {
            // Stopped halfway through a detour the run took: on from the temporary name.
            from = parkedAt;
            expected = Where::temporary;
        }
        if (where == Where::target ||
            (step.kind == MovePlan::StepKind::toTemporary && where == Where::temporary && parkedAt == step.to)) {
            if (step.kind != MovePlan::StepKind::toTemporary)
                ++outcome.alreadyInPlace;
            continue;
        }
        if (where != expected || (where == Where::temporary && parkedAt != from)) {
            failed[step.move] = 1;
            outcome.leftAlone.push_back("\"" + move.source + "\" is no longer where the run left it: left alone");
            continue;
        }
        std::vector<std::string> created;
        auto error = ensureFolder(deletingLastPathComponent(step.to), created);
        for (const auto& folder : created) {
            lines += "mkdir ";
            journaltext::appendEscaped(lines, folder);
            lines += '\n';
        }
        if (!error && where == Where::source && !step.detour.empty()) {
            // The run had recorded the detour but not yet taken it: it goes the same way.
            error = fileSystem_.moveItem(from, step.detour);
            if (!error) {
                moved(from, step.detour);
                from = step.detour;
            }
        }
        if (!error)
            error = moveItem(from, step.to, [&](const std::string& temporary) {
                std::string line = "detour " + std::to_string(i) + " ";
                journaltext::appendEscaped(line, temporary);
                return store_.append(record.id, line + "\n").ok();
            });
        if (error) {
            failed[step.move] = 1;
            outcome.failures.push_back({from, step.to, *error});
            continue;
        }
        lines += "done " + std::to_string(i) + "\n";
        if (step.kind == MovePlan::StepKind::toTemporary)
            continue;
        ++outcome.moved;
    }
    // As the run would have: folders the moves emptied go (including ones whose last item left
    // before the interruption), up to the folder all sources share.
    std::set<std::string> left;
    for (const auto& move : record.moves)
        left.insert(deletingLastPathComponent(move.source));
    for (auto start = left.rbegin(); start != left.rend(); ++start) {
        for (std::string folder = *start;
             folder.size() > record.folder.size() && folder.rfind(record.folder + "/", 0) == 0 &&
             isEmptyFolder(fileSystem_, folder) && !fileSystem_.removeDirectory(folder);
             folder = deletingLastPathComponent(folder)) {
            lines += "rmdir ";
            journaltext::appendEscaped(lines, folder);
            lines += '\n';
        }
    }
    if (lines.empty())
        return;
    if (const Status recorded = store_.append(record.id, lines); !recorded.ok())
        Logger::error("The journal of run ", record.id, " could not be updated: ", recorded.error().message);
}

} // namespace quillory
