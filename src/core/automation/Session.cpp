// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/Session.h"

#include "app/AppNotification.h"
#include "app/MainQueue.h"
#include "automation/PathExpansion.h"
#include "filelist/FileDataSource.h"
#include "filelist/FilesAndDirectories.h"
#include "filelist/OpenFolderEventHandler.h"
#include "engine/RecipeStore.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "rename/FileRenamer.h"
#include "rename/FileSystem.h"
#include "rename/MovePlan.h"
#include "rename/FileValidator.h"
#include "rename/FileSystem.h"
#include "rename/FileValidatorWorker.h"
#include "rename/JournalStore.h"
#include "tokens/AttributeSourcesOf.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "engine/FileAttributesWorker.h"

#include <algorithm>
#include <map>
#include <thread>

namespace quillory {
namespace {

void report(const ProgressCallback& progress, SessionStage stage, std::size_t done, std::size_t total) {
    if (progress)
        progress(SessionProgress{stage, done, total});
}

// The callback of the session operation running on this thread; the engine's validation hook reports
// through it. Background passes of the live preview run on other threads and report nothing.
thread_local const ProgressCallback* currentProgress = nullptr;

class ProgressScope {
public:
    explicit ProgressScope(const ProgressCallback& progress) : previous_(currentProgress) {
        currentProgress = progress ? &progress : nullptr;
    }
    ~ProgressScope() { currentProgress = previous_; }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    const ProgressCallback* previous_;
};

bool anyDirty(const FileDataSource& list) {
    bool dirty = false;
    list.forEachFile([&](const FileDataSource::FileRef& file) { dirty = dirty || file.transformed.isDirty; });
    return dirty;
}

} // namespace

std::string SessionRow::fullPath() const {
    std::string out = path + "/" + name;
    if (!ext.empty())
        out += "." + ext;
    return out;
}

std::string SessionRow::fileName() const { return ext.empty() ? name : name + "." + ext; }

std::string SessionRow::newFileName() const {
    std::string out = newName + uniqueSuffix;
    if (!newExt.empty())
        out += newExt.front() == '.' ? newExt : "." + newExt;
    return out;
}

SessionRow SessionRow::from(const File& file) {
    return from(FileDataSource::FileRef{file.source, file.transformed, file.validation});
}

SessionRow SessionRow::from(const FileDataSource::FileRef& file) {
    SessionRow row;
    row.identifier = file.source.id;
    row.path = file.source.path;
    row.name = file.source.name;
    row.ext = file.source.ext;
    row.newPath = file.transformed.transformedPath;
    row.newName = file.transformed.transformedName;
    row.newExt = file.transformed.transformedExt;
    // With its unique suffix: exactly where the run will put it. Suffixes are rare; only then a File is built.
    row.newFullPath = file.validation.uniqueSuffix.empty()
                          ? file.transformed.fullPath()
                          : MovePlan::targetOf(File{std::nullopt, file.source, file.transformed, file.validation, {}});
    row.uniqueSuffix = file.validation.uniqueSuffix;
    row.errors.assign(file.validation.errors.begin(), file.validation.errors.end());
    row.warnings.assign(file.validation.warnings.begin(), file.validation.warnings.end());
    row.isFolder = file.source.isFolderEntry();
    if (!row.errors.empty())
        row.state = RowState::error;
    else if (!row.warnings.empty())
        row.state = RowState::warning;
    else if (row.changes())
        row.state = RowState::willChange;
    return row;
}

Session::Session(Options options)
    : ownsMainQueue_(!options.observeNotifications),
      services_(AppServices::Options{std::move(options.preferencesFile), options.userInteraction,
                                     options.registerShared, options.observeNotifications,
                                     options.journalFolder}),
      list_(&services_.fileDataSource()), transformers_(&services_.transformers()) {
    journalFolder_ = options.journalFolder;
    // The full pass validates on its own thread; this is the same validation, telling its progress.
    services_.engine().setValidation([this] {
        const std::size_t count = list_->count();
        if (currentProgress) {
            report(*currentProgress, SessionStage::computing, count, count);
            report(*currentProgress, SessionStage::validating, 0, count);
        }
        services_.validatorWorker().cancel();
        services_.validatorWorker().wait();
        services_.validator().validateList(false);
        if (currentProgress)
            report(*currentProgress, SessionStage::validating, count, count);
    });
}

Session::~Session() = default;

void Session::reloadSettings() {
    services_.validator().directoryValidator().reload();
    services_.useGeocoderFromSettings();
}

void Session::drainMainQueue() {
    if (ownsMainQueue_)
        services_.mainQueue().runPending();
}

// --- the list -----------------------------------------------------------------------------------

OpenReport Session::open(const std::vector<std::string>& paths, OpenMode mode, std::stop_token stopToken,
                         const ProgressCallback& progress, const FolderReading& reading) {
    OpenReport result;
    auto& handler = services_.openFolderHandler();
    FileAction action = mode == OpenMode::append ? FileAction::append : FileAction::replace;
    if (mode == OpenMode::ask) {
        const auto chosen = handler.chooseAction();
        if (!chosen) {
            result.cancelled = true;
            return result;
        }
        action = *chosen;
    }
    report(progress, SessionStage::opening, 0, 0);
    auto request = FilesAndDirectories::fromPaths(paths, services_.makeDirectoryValidator());
    request.reading = reading;
    if (progress)
        request.filesFound = [&progress](std::size_t count) { report(progress, SessionStage::opening, count, 0); };
    const auto opened = handler.openAllFilesAndDirectories(std::move(request), action, stopToken);
    result.fileCount = opened.fileCount;
    result.refused.assign(opened.rejected.begin(), opened.rejected.end());
    result.cancelled = opened.cancelled;
    report(progress, SessionStage::opening, opened.fileCount, opened.fileCount);
    // A live preview wants the attributes ready before the chain asks for them: those its tokens read.
    // The preload ends with a quick pass; without one to wait for, the new files get their names now.
    if (!ownsMainQueue_ && !opened.cancelled &&
        !services_.attributesWorker().preloadMissing(attributeSourcesOf(services_.transformers().list())))
        services_.notifications().post(AppNotification::transformAllFilesQuick);
    drainMainQueue();
    return result;
}

std::size_t Session::fileCount() const { return list_->count(); }

void Session::setSortOrder(FileSortOrder order) {
    // Recorded as well, so that a saved recipe carries it.
    services_.fileDataSource().setSortOrder(order);
    services_.fileDataSource().sort(order);
    drainMainQueue();
}

FileSortOrder Session::sortOrder() const {
    return list_->sortOrder();
}

// --- the chain ----------------------------------------------------------------------------------

void Session::setChain(std::vector<Transformer> chain) {
    services_.transformers().loadTransformers(std::move(chain), "Set Rename Actions");
    drainMainQueue();
}

void Session::addAction(Transformer action) {
    services_.transformers().addOrReplaceTransformer(std::move(action));
    drainMainQueue();
}

std::vector<Transformer> Session::chain() const { return transformers_->list(); }

Status Session::loadRecipe(const std::string& pathOrJson) {
    if (pathOrJson.empty())
        return Error{"no recipe given"};
    auto& store = services_.recipeStore();
    Status status = pathOrJson.front() == '{' ? store.loadRecipeFromJson(pathOrJson)
                                              : store.loadRecipe(expandTilde(pathOrJson));
    // A recipe may change the sort order; the list must be in that order before anything is computed.
    services_.fileDataSource().waitForSort();
    drainMainQueue();
    return status;
}

Status Session::saveRecipe(const std::string& path) {
    Status status = services_.recipeStore().saveRecipe(expandTilde(path));
    drainMainQueue();
    return status;
}

// --- computing ----------------------------------------------------------------------------------

bool Session::computeAll(std::stop_token stopToken, const ProgressCallback& progress) {
    ProgressScope scope(progress);
    // The pass hands its stop to the place-name lookups; the lookups tell the progress that they wait.
    auto& places = services_.gpsResolver();
    std::size_t index = 0;
    std::size_t count = 0;
    if (progress)
        // The pass waits for the service now: the progress tells so, at the file it is on.
        places.setLookupListener([&, thread = std::this_thread::get_id()] {
            // Lookups of other threads (a live preview's) are not this operation's.
            if (std::this_thread::get_id() == thread)
                report(progress, SessionStage::lookingUpPlaces, index + 1, count);
        });
    struct ForgetStop {
        GPSAddressResolver& places;
        ~ForgetStop() { places.setLookupListener({}); }
    } forgetStop{places};
    const auto status = services_.engine().transformAllFiles(
        stopToken, [&](std::size_t at, std::size_t of, const std::string&) {
            index = at;
            count = of;
            report(progress, SessionStage::computing, at, of);
        });
    return status.ok();
}

std::vector<SessionRow> Session::preview(std::stop_token stopToken, const ProgressCallback& progress) {
    compute(stopToken, progress);
    return rows();
}

void Session::compute(std::stop_token stopToken, const ProgressCallback& progress) {
    computeAll(stopToken, progress);
    drainMainQueue();
}

void Session::forEachRow(const std::function<void(const SessionRow&)>& visit) const {
    list_->forEachFile([&](const FileDataSource::FileRef& file) { visit(SessionRow::from(file)); });
}

std::vector<SessionRow> Session::rows() const {
    std::vector<SessionRow> out;
    out.reserve(list_->count());
    list_->forEachFile([&](const FileDataSource::FileRef& file) { out.push_back(SessionRow::from(file)); });
    return out;
}

std::optional<SessionRow> Session::row(std::size_t position) const {
    const auto file = list_->file(position);
    if (!file)
        return std::nullopt;
    return SessionRow::from(*file);
}

FileValidationResult Session::validationResult() const { return FileValidator::result(*list_, false); }

Result<std::vector<RenamePlanTableItem>> Session::plan(const std::string& pathOrId) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(pathOrId, ec).lexically_normal().string();
    for (const auto& file : services_.fileDataSource().files()) {
        const std::string full = file.source.fullPath();
        if (file.id() == pathOrId || full == absolute || full == pathOrId)
            return services_.engine().renamingPlan(file);
    }
    return Error{"'" + pathOrId + "' is not in the list of files"};
}

RenameReport Session::rename(const RenameOptions& options, std::stop_token stopToken,
                             const ProgressCallback& progress) {
    if (!computeAll(stopToken, progress)) {
        drainMainQueue();
        RenameReport notStarted;
        notStarted.aborted = stopToken.stop_requested();
        return notStarted;
    }
    RenameReport result = services_.renamer().renameListed(
        options.force, stopToken, [&](int done, int total) {
            report(progress, SessionStage::renaming, static_cast<std::size_t>(done), static_cast<std::size_t>(total));
        });
    if (result.started && options.refreshRows)
        // Whatever stopped the run, the rows must show the files where they are now.
        recomputeQuick({}, progress);
    drainMainQueue();
    return result;
}

std::vector<SessionRow> Session::quickPreview(std::stop_token stopToken, const ProgressCallback& progress) {
    recomputeQuick(stopToken, progress);
    drainMainQueue();
    return rows();
}

void Session::recomputeQuick(std::stop_token stopToken, const ProgressCallback& progress) {
    // After a rename the attributes loaded for the run are still in the list, so the quick pass can
    // compute every name; only what still waits for a value gets the full transform.
    auto& engine = services_.engine();
    const std::size_t count = fileCount();
    report(progress, SessionStage::computing, 0, count);
    engine.applyChanges(stopToken);
    services_.validatorWorker().wait();
    if (anyDirty(services_.fileDataSource())) {
        engine.settleLateUpdates(stopToken);
        services_.validatorWorker().wait();
    }
    report(progress, SessionStage::computing, count, count);
    report(progress, SessionStage::validating, count, count);
}

std::vector<JournalRecord> Session::history() const {
    std::vector<JournalRecord> runs;
    if (journalFolder_.empty())
        return runs;
    const JournalStore store(journalFolder_);
    for (const auto& id : store.ids())
        if (auto summary = store.summary(id))
            runs.push_back(std::move(*summary));
    return runs;
}

namespace {
// The folders the file system keeps open belong to one run of moves; a restore is one too.
struct HeldFoldersScope {
    explicit HeldFoldersScope(FileSystem& fileSystem) : fileSystem(fileSystem) { fileSystem.releaseFolders(); }
    ~HeldFoldersScope() { fileSystem.releaseFolders(); }
    FileSystem& fileSystem;
};
} // namespace

Result<RunRestorer::Outcome> Session::undo(const std::string& runId) {
    if (journalFolder_.empty())
        return Error{"This session records no rename runs"};
    JournalStore store(journalFolder_);
    RunRestorer restorer(services_.fileSystem(), store);
    const HeldFoldersScope heldFolders(services_.fileSystem());
    std::string id = runId;
    if (id.empty()) {
        if (const auto open = restorer.openRunAhead())
            return Error{"The latest run, " + *open +
                         ", was interrupted (or is still running): recover it first, or name the run to undo"};
        const auto last = restorer.lastUndoableRun();
        if (!last)
            return Error{"There is no rename run to undo"};
        id = *last;
    }
    return restorer.undo(id);
}

std::optional<JournalRecord> Session::undoableRun() {
    if (journalFolder_.empty())
        return std::nullopt;
    JournalStore store(journalFolder_);
    const auto id = RunRestorer(services_.fileSystem(), store).lastUndoableRun();
    if (!id)
        return std::nullopt;
    auto summary = store.summary(*id);
    if (!summary.ok())
        return std::nullopt;
    return std::move(summary).value();
}

std::size_t Session::relistUndoneRun(const std::string& runId) {
    if (journalFolder_.empty())
        return 0;
    const auto record = JournalStore(journalFolder_).read(runId);
    if (!record.ok())
        return 0;
    auto& fileSystem = services_.fileSystem();
    // Only what is really back: the old place taken again and the new one empty.
    std::map<std::string, const JournalRecord::Move*> restored;
    for (const auto& move : record->moves)
        if (move.source != move.target && fileSystem.exists(move.source) && !fileSystem.exists(move.target))
            restored.emplace(move.target, &move);
    std::size_t changed = 0;
    for (const File& file : list_->files()) {
        const bool isFolder = file.source.isFolderEntry();
        const auto found = restored.find(isFolder ? file.source.path : file.source.fullPath());
        if (found == restored.end())
            continue;
        const std::string& location = found->second->source;
        File updated;
        updated.index = file.index;
        updated.source = file.source;
        if (isFolder) {
            updated.source.path = location;
        } else {
            const auto slash = location.rfind('/');
            updated.source.path = location.substr(0, slash);
            const std::string_view last = std::string_view(location).substr(slash + 1);
            updated.source.name = deletingPathExtension(last);
            updated.source.ext = pathExtension(last);
        }
        changed += list_->updateSource(updated) ? 1 : 0;
    }
    if (changed > 0)
        recomputeQuick({}, {});
    drainMainQueue();
    return changed;
}

Result<RunRestorer::Outcome> Session::recover(const std::string& runId, bool finish) {
    if (journalFolder_.empty())
        return Error{"This session records no rename runs"};
    JournalStore store(journalFolder_);
    RunRestorer restorer(services_.fileSystem(), store);
    const HeldFoldersScope heldFolders(services_.fileSystem());
    return restorer.recover(runId, finish);
}

} // namespace quillory
