// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileRenamer.h"

#include "base/Cores.h"
#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/PreferenceKey.h"
#include "app/ProgressUpdate.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"
#include "rename/FileSystem.h"
#include "rename/FolderCase.h"
#include "rename/MovePlan.h"
#include "rename/RunRecorder.h"
#include "model/File.h"

#include <algorithm>
#include <any>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace quillory {
namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The source of an item at its new place, split as a file URL would be; it keeps its identity.
FileSource sourceAt(const std::string& location, bool isFolder, const FileId& id, bool isAlias) {
    FileSource source;
    source.id = id;
    source.isAlias = isAlias;
    if (isFolder) {
        source.path = location == "/" ? std::string() : location;
        return source;
    }
    const auto slash = location.rfind('/');
    source.path = location.substr(0, slash);
    const std::string_view last = std::string_view(location).substr(slash + 1);
    source.name = deletingPathExtension(last);
    source.ext = pathExtension(last);
    return source;
}

// Writes what moved into the list and the report on a second thread, a batch at a time, while the next
// moves run. A run of fewer moves than one batch starts no thread.
class MovedRecorder {
public:
    explicit MovedRecorder(std::function<void(const std::vector<std::size_t>&)> write) : write_(std::move(write)) {}
    MovedRecorder(const MovedRecorder&) = delete;
    MovedRecorder& operator=(const MovedRecorder&) = delete;
    ~MovedRecorder() { flush(); }

    void add(std::size_t move) {
        pending_.push_back(move);
        if (pending_.size() >= batchSize)
            handOver();
    }

    // Returns once everything added so far is written.
    void flush() {
        if (!worker_.joinable()) {
            if (!pending_.empty())
                write_(pending_);
            pending_.clear();
            return;
        }
        if (!pending_.empty())
            handOver();
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return handed_.empty() && !busy_; });
    }

private:
    static constexpr std::size_t batchSize = 512;

    void handOver() {
        if (!worker_.joinable() && !alone_) {
            try {
                worker_ = std::jthread([this](std::stop_token stop) { run(stop); });
            } catch (const std::system_error&) {
                alone_ = true; // no thread to be had: the moves are written here, as they were made
            }
        }
        if (alone_) {
            write_(pending_);
            pending_.clear();
            return;
        }
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return handed_.empty(); });
        handed_.swap(pending_);
        work_.notify_one();
    }

    void run(std::stop_token stop) {
        std::vector<std::size_t> batch;
        std::unique_lock lock(mutex_);
        while (true) {
            work_.wait(lock, stop, [this] { return !handed_.empty(); });
            if (handed_.empty())
                return; // stopped with nothing left
            batch.swap(handed_);
            busy_ = true;
            idle_.notify_all();
            lock.unlock();
            write_(batch);
            batch.clear();
            lock.lock();
            busy_ = false;
            idle_.notify_all();
        }
    }

    std::function<void(const std::vector<std::size_t>&)> write_;
    std::vector<std::size_t> pending_; // the caller's thread only
    std::mutex mutex_;
    std::condition_variable_any work_;
    std::condition_variable_any idle_;
    std::vector<std::size_t> handed_;
    bool busy_ = false;
    bool alone_ = false;
    std::jthread worker_; // last: stopped and joined before the rest goes
};

// The caller's progress callback, for one run.
class ProgressForOneRun {
public:
    ProgressForOneRun(FileRenamer::Progress& slot, FileRenamer::Progress progress) : slot_(slot) {
        slot_ = std::move(progress);
    }
    ~ProgressForOneRun() { slot_ = nullptr; }
    ProgressForOneRun(const ProgressForOneRun&) = delete;
    ProgressForOneRun& operator=(const ProgressForOneRun&) = delete;

private:
    FileRenamer::Progress& slot_;
};

// Where the run of steps from `first` that may move together ends: direct steps that wait for no other,
// of files renamed inside the folder of the first. At least first + 1.
std::size_t togetherEnd(const MovePlan& plan, std::size_t first) {
    const auto folderOf = [&plan](std::size_t s) -> std::optional<std::string_view> {
        const MovePlan::Step& step = plan.steps[s];
        const MovePlan::Move& move = plan.moves[step.move];
        if (step.kind != MovePlan::StepKind::direct || !step.unblocked || move.isFolder)
            return std::nullopt;
        const std::string_view folder = enclosingFolder(move.source);
        if (folder.empty() || enclosingFolder(move.target) != folder)
            return std::nullopt;
        return folder;
    };
    std::size_t end = first + 1;
    if (const auto folder = folderOf(first))
        while (end < plan.steps.size() && folderOf(end) == folder)
            ++end;
    return end;
}

// Moves steps [first, end) of a plan, which wait for no other and stay in one folder, on this thread and
// one more: a rename spends much of its time in the kernel outside the folder's lock, so two threads get
// through a long run in about three quarters of the time. `moved` is called on this thread for every step
// that moved, in the plan's order. A step that does not move stops both threads once their chunks are done
// (the moves after it stay few); it and the steps taken up after it stay untried, for the caller to take one
// at a time, which tells why. Returns the end of the steps taken up: those after it were not tried.
std::size_t moveTogether(FileSystem::FolderMoves& folder, const MovePlan& plan, std::size_t first, std::size_t end,
                         std::stop_token stopToken, const std::function<void(std::size_t step)>& moved) {
    constexpr std::size_t chunkSize = 64;
    const std::size_t chunks = (end - first + chunkSize - 1) / chunkSize;
    // Per chunk, once it is finished: one more than the number of its steps that moved (they lead it).
    std::vector<std::atomic<std::size_t>> finished(chunks);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> halt{false};
    std::size_t passedOn = 0; // chunks whose moves went to `moved`; this thread only
    const auto passOn = [&](std::size_t chunk) {
        const std::size_t start = first + chunk * chunkSize;
        for (std::size_t s = start, stop = start + finished[chunk].load(std::memory_order_acquire) - 1; s < stop; ++s)
            moved(s);
    };
    const auto nameOf = [](const std::string& path) { return path.c_str() + lastSlash(path) + 1; };
    const auto work = [&](bool passesOn) {
        while (!halt.load(std::memory_order_relaxed) && !stopToken.stop_requested()) {
            const std::size_t chunk = next.fetch_add(1, std::memory_order_relaxed);
            if (chunk >= chunks)
                return;
            const std::size_t start = first + chunk * chunkSize;
            const std::size_t stop = std::min(end, start + chunkSize);
            std::size_t done = 0;
            for (std::size_t s = start; s < stop; ++s, ++done) {
                const MovePlan::Move& move = plan.moves[plan.steps[s].move];
                if (!folder.move(nameOf(move.source), nameOf(move.target))) {
                    halt.store(true, std::memory_order_relaxed);
                    break;
                }
            }
            finished[chunk].store(done + 1, std::memory_order_release);
            // The journal and the list learn of moves in order, as far as the chunks before have finished.
            while (passesOn && passedOn < chunks && finished[passedOn].load(std::memory_order_acquire) != 0)
                passOn(passedOn++);
        }
    };
    {
        std::jthread second;
        try {
            second = std::jthread([&] { work(false); });
        } catch (const std::system_error&) {
            // No thread to be had: this one moves them all.
        }
        // However this thread leaves (a throw from `moved`), the other stops after its chunk.
        struct Halt {
            std::atomic<bool>& halt;
            ~Halt() { halt.store(true); }
        } haltOnLeaving{halt};
        work(true);
    }
    for (; passedOn < chunks; ++passedOn)
        if (finished[passedOn].load(std::memory_order_acquire) != 0)
            passOn(passedOn);
    return std::min(end, first + std::min(next.load(), chunks) * chunkSize);
}

bool blockedByErrors(const RenameReport& report, bool force) {
    if (report.errorCount == 0 || force)
        return false;
    Logger::log("Aborting applyTransformationsAndRename because ", report.errorCount, " ",
                "files have errors and force is not set.");
    return true;
}

} // namespace

FileRenamer::FileRenamer(Services services, FullPass fullPass)
    : services_(services), fullPass_(std::move(fullPass)) {
    protectedDirectories_.insert("/");
    if (const char* home = std::getenv("HOME"); home && *home)
        protectedDirectories_.insert(withoutTrailingSlash(home));
}

void FileRenamer::setRemovableFolder(std::function<bool(const std::string& folder)> mayRemove) {
    mayRemoveFolder_ = std::move(mayRemove);
}

void FileRenamer::setProtectedDirectories(std::set<std::string> directories) {
    protectedDirectories_ = std::move(directories);
    protectedDirectories_.insert("/");
}

bool FileRenamer::preference(const PreferenceKey& key, bool fallback) const {
    return services_.preferences ? services_.preferences->boolValue(key) : fallback;
}

void FileRenamer::post(std::string_view name) {
    if (services_.notifications)
        services_.notifications->post(name);
}

void FileRenamer::postProgress(int done, int total, bool force) {
    if (progress_)
        progress_(done, total);
    if (!services_.notifications)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastProgress_ < progressInterval_)
        return;
    lastProgress_ = now;
    services_.notifications->post(AppNotification::updateProgressView, ProgressUpdate{"Renaming", done, total, false});
}

RenameReport FileRenamer::rename(bool force, std::stop_token stopToken) {
    post(AppNotification::disableUserInput);
    post(AppNotification::showProgressView);
    RenameReport report = applyTransformationsAndRename(force, stopToken);
    post(AppNotification::applyChanges);
    post(AppNotification::hideProgressView);
    post(AppNotification::enableUserInput);
    return report;
}

// What one run carries along while it executes its plan.
struct FileRenamer::Execution {
    std::vector<Origin> origins; // one per move of the plan
    MovePlan& plan; // a move's texts go to the report once it is done; nothing reads them after
    RenameReport& report;
    bool autoIgnorePermissions = false;
    std::set<int> ignoredCodes;
    enum class State : char { untried, parked, done, failed };
    std::vector<State> states;
};

RenameReport FileRenamer::applyTransformationsAndRename(bool force, std::stop_token stopToken) {
    RenameReport report;
    if (fullPass_ && !fullPass_(stopToken)) {
        Logger::error("applyTransformationsAndRename received error from transformAllFiles");
        return report;
    }
    return renameComputed(services_.fileDataSource.files(), force, stopToken);
}

RenameReport FileRenamer::renameComputed(std::vector<File> files, bool force, std::stop_token stopToken,
                                         Progress progress) {
    const ProgressForOneRun scope(progress_, std::move(progress));
    RenameReport report;
    for (const File& file : files) {
        if (!file.validation.errors.empty())
            ++report.errorCount;
        else if (MovePlan::changes(file))
            ++report.renameCount;
    }
    if (blockedByErrors(report, force))
        return report;
    const bool renameEmptyFolders = preference(PreferenceKey::renameEmptyFolders, true);
    temporaryTag_ = MovePlan::randomTag();
    FolderCase folderCase(services_.fileSystem);
    MovePlan plan = MovePlan::build(files, renameEmptyFolders, temporaryTag_, &folderCase);
    std::vector<Origin> origins;
    origins.reserve(plan.moves.size());
    for (const MovePlan::Move& move : plan.moves) {
        const File& file = files[move.item];
        origins.push_back({file.index, file.source.id, file.source.isAlias});
    }
    files = {};
    return runPlan(std::move(report), plan, std::move(origins), stopToken);
}

RenameReport FileRenamer::renameListed(bool force, std::stop_token stopToken, Progress progress) {
    const ProgressForOneRun scope(progress_, std::move(progress));
    RenameReport report;
    const bool renameEmptyFolders = preference(PreferenceKey::renameEmptyFolders, true);
    std::vector<MovePlan::Move> moves;
    std::vector<Origin> origins;
    // Pages of the reserve that no move takes are never touched.
    moves.reserve(services_.fileDataSource.count());
    origins.reserve(services_.fileDataSource.count());
    std::size_t position = 0;
    services_.fileDataSource.forEachFile([&](const FileDataSource::FileRef& file) {
        const std::size_t item = position++;
        if (!file.validation.errors.empty()) {
            ++report.errorCount;
            return;
        }
        if (!MovePlan::changes(file.source, file.transformed))
            return;
        ++report.renameCount;
        if (!MovePlan::willMove(file.source, file.transformed, file.validation, renameEmptyFolders))
            return;
        moves.push_back({item, MovePlan::sourceOf(file.source),
                         MovePlan::targetOf(file.source, file.transformed, file.validation.uniqueSuffix),
                         file.source.isFolderEntry()});
        origins.push_back({file.storageIndex, file.source.id, file.source.isAlias});
    });
    if (blockedByErrors(report, force))
        return report;
    temporaryTag_ = MovePlan::randomTag();
    FolderCase folderCase(services_.fileSystem);
    MovePlan plan;
    plan.moves = std::move(moves);
    // The record of the run's moves, with their sources' identities, is made on another core while this
    // one orders the moves (which it only reads).
    std::future<RunRecorder::PreparedMoves> prepared;
    if (services_.recorder && !plan.moves.empty())
        prepared = services_.recorder->prepareMoves(plan);
    MovePlan::orderSteps(plan, temporaryTag_, &folderCase);
    return runPlan(std::move(report), plan, std::move(origins), stopToken, std::move(prepared));
}

RenameReport FileRenamer::runPlan(RenameReport report, MovePlan& plan, std::vector<Origin> origins,
                                  std::stop_token stopToken,
                                  std::future<RunRecorder::PreparedMoves> prepared) {
    report.started = true;
    knownDirectories_.clear();
    lastProgress_ = {};
    if (services_.recorder && !plan.moves.empty()) {
        report.journalError = services_.recorder->begin(plan, std::move(prepared));
        if (report.journalError.empty())
            report.journalId = services_.recorder->runId();
        else
            Logger::error("The run is not recorded: ", report.journalError);
    }

    Execution execution{std::move(origins), plan, report, false, {}, {}};
    execution.autoIgnorePermissions = preference(PreferenceKey::autoIgnoreFilePermissionErrors, false);
    execution.states.assign(plan.moves.size(), Execution::State::untried);
    report.renamed.reserve(plan.moves.size());
    // Folders kept open by the file system belong to one run: what happened on disk before it (or
    // happens after it) is seen afresh.
    services_.fileSystem.releaseFolders();
    executePlan(execution, stopToken);
    services_.fileSystem.releaseFolders();
    for (const auto state : execution.states)
        if (state == Execution::State::untried)
            ++report.notTriedCount;
    if (services_.recorder && !report.journalId.empty())
        // The moves stand; what the record lacks is told, not promised away.
        report.journalError = services_.recorder->finish(report);

    postProgress(report.successCount, report.renameCount, true);
    post(AppNotification::hideProgressView);

    if (report.successCount < report.renameCount) {
        std::string text = "Successfully renamed " + std::to_string(report.successCount) + " files.";
        if (const int failed = report.renameCount - report.successCount; failed >= 1)
            text += "\n" + std::to_string(failed) + " files could not be renamed.";
        if (services_.userInteraction)
            services_.userInteraction->showAlert("Rename Partially Completed", text);
        else
            Logger::log("Rename Partially Completed: ", text);
    }
    return report;
}

void FileRenamer::executePlan(Execution& execution, std::stop_token stopToken) {
    MovePlan& plan = execution.plan;
    RenameReport& report = execution.report;
    RunRecorder* recorder = report.journalId.empty() ? nullptr : services_.recorder;
    using State = Execution::State;

    // Only the source is written: no need to copy the rest of the file.
    MovedRecorder moved([&](const std::vector<std::size_t>& batch) {
        File updated;
        for (const std::size_t m : batch) {
            MovePlan::Move& move = plan.moves[m];
            const Origin& origin = execution.origins[m];
            updated.index = origin.index;
            updated.source = sourceAt(move.target, move.isFolder, origin.id, origin.isAlias);
            services_.fileDataSource.updateSource(updated);
            report.renamed.push_back({std::move(move.source), std::move(move.target)});
        }
    });
    const auto succeed = [&](std::size_t m) {
        const MovePlan::Move& move = plan.moves[m];
        execution.states[m] = State::done;
        ++report.successCount;
        if (move.isFolder)
            knownDirectories_.insert(move.target);
        // The file has moved: whatever happens to the folders it left, it counts as renamed.
        if (move.source != move.target)
            if (const std::string_view sourceFolder = enclosingFolder(move.source);
                !isInside(move.target, sourceFolder))
                removeEmptiedFolders(std::string(sourceFolder));
        moved.add(m); // last: the writer takes the move's texts
    };
    const auto fail = [&](std::size_t m, const FileError& error) {
        const MovePlan::Move& move = plan.moves[m];
        execution.states[m] = State::failed;
        report.failures.push_back({move.source, move.target, error});
        const int code = error.code;
        const bool permission = code == FileError::noPermission || code == FileError::readOnlyVolume;
        if ((permission && execution.autoIgnorePermissions) || execution.ignoredCodes.count(code)) {
            Logger::error("Ignored (", code, ") ", error.description);
            return;
        }
        moved.flush(); // whoever answers sees the list as the disk is
        const Answer answer = askAbortOrContinue(move.source, move.target, error);
        if (answer.doNotAskAgain)
            execution.ignoredCodes.insert(code);
        report.aborted = report.aborted || answer.abort;
    };

    // A name that is already the target needs no move.
    for (std::size_t m = 0; m < plan.moves.size(); ++m)
        if (plan.moves[m].source == plan.moves[m].target)
            succeed(m);

    const auto movedTogether = [&](std::size_t i) {
        if (recorder)
            recorder->stepDone(i);
        succeed(plan.steps[i].move);
        postProgress(report.successCount, report.renameCount, false);
    };
    const bool twoCores = usableCores() > 1;
    std::size_t oneAtATimeUntil = 0;
    std::size_t group = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const MovePlan::Step& step = plan.steps[i];
        if (i >= oneAtATimeUntil) {
            oneAtATimeUntil = togetherEnd(plan, i);
            const bool longRun = oneAtATimeUntil - i >= movedTogetherFrom;
            if (longRun && twoCores && !report.aborted && !stopToken.stop_requested()) {
                const std::string folder(enclosingFolder(plan.moves[step.move].source));
                // After a failure, what was taken up and left goes one at a time; the rest may go together again.
                if (const auto moves = services_.fileSystem.movesWithin(folder))
                    oneAtATimeUntil = std::max(i + 1, moveTogether(*moves, plan, i, oneAtATimeUntil, stopToken,
                                                                   movedTogether));
            }
        }
        if (execution.states[step.move] == State::done)
            continue; // moved together with others
        // A cycle is never left half done: its parked item would stay under its temporary name.
        if (step.group != group) {
            if (report.aborted || stopToken.stop_requested()) {
                report.aborted = true;
                Logger::log("Aborted by user request");
                break;
            }
            group = step.group;
        }
        postProgress(report.successCount, report.renameCount, false);
        if (execution.states[step.move] == State::failed)
            continue; // its parking failed: it is still at its source
        auto error =
            performStep(plan.from(step), plan.to(step), step.kind != MovePlan::StepKind::toTemporary, recorder, i);
        if (!error) {
            if (recorder)
                recorder->stepDone(i);
            if (step.kind == MovePlan::StepKind::toTemporary)
                execution.states[step.move] = State::parked;
            else
                succeed(step.move);
            continue;
        }
        if (recorder)
            recorder->stepFailed(i, *error);
        if (step.kind == MovePlan::StepKind::fromTemporary) {
            // Back to its own name if that is still free; if not, the list follows it to the parked name.
            const MovePlan::Move& move = plan.moves[step.move];
            if (services_.fileSystem.moveItem(step.temporary, move.source)) {
                File updated;
                const Origin& origin = execution.origins[step.move];
                updated.index = origin.index;
                updated.source = sourceAt(step.temporary, move.isFolder, origin.id, origin.isAlias);
                services_.fileDataSource.updateSource(updated);
                error->description += " (left as \"" + step.temporary + "\")";
            }
        }
        fail(step.move, *error);
    }
}

std::optional<FileError> FileRenamer::ensureDirectory(std::string_view folder) {
    if (folder.empty() || knownDirectories_.contains(folder))
        return std::nullopt;
    std::string path(folder);
    if (!services_.fileSystem.exists(path)) {
        // The folders made here are part of the run: undo removes them again when they are empty.
        std::vector<std::string> missing{path};
        for (std::string up(enclosingFolder(path)); !up.empty() && up != "/" && !services_.fileSystem.exists(up);
             up = std::string(enclosingFolder(up)))
            missing.push_back(up);
        if (auto error = services_.fileSystem.createDirectories(path))
            return error;
        if (services_.recorder)
            for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder)
                services_.recorder->folderCreated(*folder);
    }
    knownDirectories_.insert(std::move(path));
    return std::nullopt;
}

std::optional<FileError> FileRenamer::performStep(const std::string& from, const std::string& to, bool mayDetour,
                                                  RunRecorder* recorder, std::size_t step) {
    const std::string_view parent = enclosingFolder(to);
    if (auto error = ensureDirectory(parent))
        return error;
    auto error = services_.fileSystem.moveItem(from, to);
    if (error && error->code == FileError::noSuchFile) {
        // A folder this run had seen may have been removed since: check again once.
        if (const auto known = knownDirectories_.find(parent); known != knownDirectories_.end())
            knownDirectories_.erase(known);
        if (!ensureDirectory(parent))
            error = services_.fileSystem.moveItem(from, to);
    }
    if (!error || error->code != FileError::fileExists || !mayDetour)
        return error;
    // On a volume that ignores letter case the target may be the item itself under another spelling.
    // The plan takes such renames through a temporary name where it knows the folder ignores case;
    // this catches the folders it could not tell. The temporary name is recorded before it exists.
    const auto there = services_.fileSystem.identify(to);
    const auto here = services_.fileSystem.identify(from);
    if (!there || !here || !there->sameItem(*here))
        return error;
    const std::string temporary = MovePlan::temporaryName(from, temporaryTag_.empty() ? "x" : temporaryTag_,
                                                          1000000000 + detours_++);
    if (recorder && !recorder->detour(step, temporary))
        return error;
    if (auto parked = services_.fileSystem.moveItem(from, temporary))
        return parked;
    if (auto placed = services_.fileSystem.moveItem(temporary, to)) {
        services_.fileSystem.moveItem(temporary, from);
        return placed;
    }
    return std::nullopt;
}

void FileRenamer::removeEmptiedFolders(std::string folder) {
    std::vector<std::string> entries;
    while (!folder.empty() && !protectedDirectories_.count(folder)) {
        // Never out of the area the user may rename in, nor the allowed folder itself.
        if (mayRemoveFolder_ && !mayRemoveFolder_(folder))
            return;
        if (auto error = services_.fileSystem.directoryEntries(folder, 2, entries)) {
            Logger::error("Could not examine emptied folder: ", error->description);
            return;
        }
        const bool onlyDesktopStore = entries.size() == 1 && entries.front() == ".DS_Store";
        if (!entries.empty() && !onlyDesktopStore)
            return;
        if (onlyDesktopStore) {
            if (auto error = services_.fileSystem.removeFile(folder + "/.DS_Store")) {
                Logger::error("Could not remove emptied folder: ", error->description);
                return;
            }
        }
        if (auto error = services_.fileSystem.removeDirectory(folder)) {
            Logger::error("Could not remove emptied folder: ", error->description);
            return;
        }
        if (services_.recorder)
            services_.recorder->folderRemoved(folder);
        knownDirectories_.erase(folder);
        folder = std::string(enclosingFolder(folder));
    }
}

FileRenamer::Move FileRenamer::renameFile(const File& file) {
    const bool folderEntry = MovePlan::isFolderEntry(file);
    Move move;
    move.source = MovePlan::sourceOf(file);
    move.target = MovePlan::targetOf(file);
    if (move.target != move.source) {
        if (auto error = performStep(move.source, move.target, true)) {
            services_.fileSystem.releaseFolders();
            move.error = error;
            return move;
        }
    }
    move.movedTo = move.target;
    move.newSource = sourceAt(move.movedTo, folderEntry, file.source.id, file.source.isAlias);
    if (folderEntry)
        knownDirectories_.insert(move.movedTo);
    const std::string sourceFolder(enclosingFolder(move.source));
    if (move.source != move.target && !isInside(move.movedTo, sourceFolder))
        removeEmptiedFolders(sourceFolder);
    services_.fileSystem.releaseFolders();
    return move;
}

FileRenamer::Answer FileRenamer::askAbortOrContinue(const std::string& sourcePath, const std::string& targetPath,
                                                    const FileError& error) {
    const std::string message = "Unable to rename\n\n\"" + lastPathComponent(sourcePath) + "\"\n\nto\n\n\"" +
                                lastPathComponent(targetPath) + "\"\n";
    Logger::error(message, "(", error.code, ") ", error.description);
    const std::string hint = error.code == FileError::noPermission ? "\n(Is the directory read-only perhaps?)\n\n" : "";
    if (!services_.userInteraction)
        return {};
    UserInteraction::Question question;
    question.message = message;
    question.informativeText = error.description + "\nError Code: " + std::to_string(error.code) + "\n" + hint +
                               "\nWould you like to continue renaming the next files?";
    question.buttons = {"Continue", "Abort"};
    question.showsSuppressionBox = true;
    const UserInteraction::Answer answer = services_.userInteraction->ask(question);
    return {answer.button == 1, answer.suppressionChecked};
}

} // namespace quillory
