// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TransformerEngine.h"

#include "base/Cores.h"
#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"
#include "actions/TransformableFactory.h"
#include "model/TransformerTypes.h"
#include "model/Transformers.h"
#include "tokens/AttributeSourcesOf.h"

#include <any>
#include <atomic>
#include <iterator>
#include <thread>

namespace quillory {

// What a pass needs once rather than per file: the chain, its kind objects and the two settings.
struct TransformerEngine::PassContext {
    std::vector<Transformer> records;
    std::vector<std::unique_ptr<Transformable>> kinds; // nullptr for an unknown type
    bool renameAliases = false;
    bool renameEmptyFolders = true;
    AttributeLoader loader;
    AttributeSources wanted; // what the chain's attribute tokens read
};

namespace {

// Numbering counts from the start of each folder's run in the list. The source folder, not the previous
// pass's new folder: a chain that moves files must not change the numbering from one pass to the next.
// Asked for the files in list order.
class SequenceOffsets {
public:
    int at(const std::string& sourceFolder, std::size_t position) {
        if (!started_ || sourceFolder != previous_) {
            previous_ = sourceFolder;
            started_ = true;
            start_ = static_cast<int>(position);
        }
        return start_;
    }

private:
    std::string previous_;
    bool started_ = false;
    int start_ = 0;
};

// Files the full pass holds at a time: a long list is not copied whole.
constexpr std::size_t passSliceSize = 1000;

// A chain can make a name grow without end (a replace of "x" by "xx", thirty times, wants gigabytes): past
// this, far beyond any name a disk takes, the file's chain stops with an error.
constexpr std::size_t longestComputedPath = std::size_t{1} << 16;

bool overgrown(File& file) {
    const FileTransform& transformed = file.transformed;
    if (transformed.transformedPath.size() + transformed.transformedName.size() + transformed.transformedExt.size() <=
        longestComputedPath)
        return false;
    file.validation.errors.insert(TransformerEngine::nameGrewTooLong);
    return true;
}

} // namespace

void assignSequenceOffsets(std::vector<File>& files) {
    SequenceOffsets offsets;
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i].transformed.sequenceOffset = offsets.at(files[i].source.path, i);
}

TransformerEngine::TransformerEngine(FileDataSource& dataSource, Transformers& transformers, Preferences& preferences,
                                     NotificationCenter* notifications, UserInteraction* userInteraction)
    : dataSource_(dataSource), transformers_(transformers), preferences_(preferences), notifications_(notifications),
      userInteraction_(userInteraction) {}

TransformerEngine::~TransformerEngine() {
    observers_.removeAll();
    transformationTask_.cancelAndWait();
    fullTask_.cancelAndWait();
    quickTask_.cancelAndWait();
}

void TransformerEngine::setResolvers(TokenResolvers resolvers) {
    std::lock_guard lock(hooksMutex_);
    resolvers_ = std::move(resolvers);
}
void TransformerEngine::setValidationStarter(ValidationStarter starter) {
    std::lock_guard lock(hooksMutex_);
    validationStarter_ = std::move(starter);
}
void TransformerEngine::setValidation(Validation validation) {
    std::lock_guard lock(hooksMutex_);
    validation_ = std::move(validation);
}
void TransformerEngine::setAttributeLoader(AttributeLoader loader) {
    std::lock_guard lock(hooksMutex_);
    attributeLoader_ = std::move(loader);
}
void TransformerEngine::setPreloadRunning(std::function<bool()> isRunning) {
    std::lock_guard lock(hooksMutex_);
    preloadRunning_ = std::move(isRunning);
}
void TransformerEngine::setPreloadStarter(PreloadStarter starter) {
    std::lock_guard lock(hooksMutex_);
    preloadStarter_ = std::move(starter);
}
void TransformerEngine::setRenameRunner(RenameRunner runner) {
    std::lock_guard lock(hooksMutex_);
    renameRunner_ = std::move(runner);
}

TransformerEngine::PassContext TransformerEngine::makeContext(bool quick) {
    PassContext context;
    context.records = transformers_.list();
    context.renameAliases = preferences_.boolValue(PreferenceKey::renameAliases);
    context.renameEmptyFolders = preferences_.boolValue(PreferenceKey::renameEmptyFolders);
    std::optional<TokenResolvers> resolvers;
    {
        std::lock_guard lock(hooksMutex_);
        resolvers = resolvers_;
        context.loader = attributeLoader_;
    }
    (void)quick;
    context.wanted = attributeSourcesOf(context.records);
    // Kind objects are made once per pass: they may keep compiled patterns between files.
    for (const auto& record : context.records) {
        auto kind = makeTransformable(record);
        if (kind && resolvers)
            kind->setResolvers(*resolvers);
        context.kinds.push_back(std::move(kind));
    }
    return context;
}

// Only what the chain's tokens read: a chain without attribute tokens opens no file.
void TransformerEngine::loadWantedAttributes(File& file, const PassContext& context) {
    if (!context.loader || file.attributes.covers(context.wanted))
        return;
    const AttributeSources had = file.attributes.isLoaded() ? file.attributes.sources : AttributeSources();
    file.attributes = context.loader(file, context.wanted | had);
}

bool TransformerEngine::applies(const Transformer& transformer, const File& file, const PassContext& context) const {
    if (transformer.disabled)
        return false;
    if (transformer.type != TransformerType::select && !file.transformed.isSelected)
        return false;
    if (!context.renameAliases && file.source.isAlias)
        return false;
    if (!file.source.name.empty())
        return true;
    // An entry that stands for a folder: only its path may change, and only when allowed.
    return transformer.transformScope == TransformScope::path && context.renameEmptyFolders;
}

// Returns whether the file still waits for attribute values.
bool TransformerEngine::quickTransform(File& file, int index, PassContext& context, std::stop_token stopToken) {
    if (!file.transformed.isDirty)
        return false;
    file.resetTransform();
    // A suffix belongs to the name it was given for; validation of the new name decides afresh.
    file.validation.uniqueSuffix.clear();
    bool needsLateUpdate = false;
    for (std::size_t r = 0; r < context.records.size(); ++r) {
        const Transformer& record = context.records[r];
        Transformable* kind = context.kinds[r].get();
        if (!kind || !applies(record, file, context))
            continue;
        const TransformStatus status =
            kind->transformQuick(record.properties, record.transformScope, file, index, stopToken);
        if (overgrown(file))
            break;
        if (status.ok())
            continue;
        if (status.error().isLateUpdateRequired()) {
            needsLateUpdate = true;
            continue;
        }
        Logger::log("transformQuick error: transformerId: ", record.id, ", error: ", status.error().description());
        file.validation.errors.insert(record.id);
    }
    if (!needsLateUpdate)
        file.transformed.isDirty = false;
    return needsLateUpdate;
}

std::optional<TransformError> TransformerEngine::fullTransform(File& file, int index, PassContext& context,
                                                              std::stop_token stopToken) {
    file.resetTransform();
    file.validation.uniqueSuffix.clear();
    if (context.records.empty()) {
        file.transformed.isDirty = false;
        return std::nullopt;
    }
    for (std::size_t r = 0; r < context.records.size(); ++r) {
        const Transformer& record = context.records[r];
        loadWantedAttributes(file, context);
        Transformable* kind = context.kinds[r].get();
        if (!kind || !applies(record, file, context))
            continue;
        const TransformStatus status =
            kind->transform(record.properties, record.transformScope, file, index, stopToken);
        if (overgrown(file))
            break;
        if (!status.ok()) {
            Logger::log("transform error: transformerId: ", record.id);
            file.validation.errors.insert(record.id);
            return status.error();
        }
    }
    file.transformed.isDirty = false;
    return std::nullopt;
}

bool TransformerEngine::transformAllFilesQuick(std::stop_token stopToken) {
    std::lock_guard actor(actorMutex_);
    return quickPassLocked(stopToken);
}

bool TransformerEngine::quickPassLocked(std::stop_token stopToken) {
    const std::uint64_t revision = dataSource_.revision();
    std::vector<File> files = dataSource_.files();
    Logger::log("🔷 Transforming all ", files.size(), " files (quick)");
    if (notifications_)
        notifications_->post(AppNotification::showProgressIndicator, std::string("Transforming..."));
    assignSequenceOffsets(files);
    PassContext context = makeContext(true);

    bool needsLateUpdate = false;
    std::vector<File> changed;
    changed.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (stopToken.stop_requested()) {
            // The files not reached stay dirty; the next pass computes them.
            needsLateUpdate = true;
            break;
        }
        File& file = files[i];
        if (!file.transformed.isDirty)
            continue;
        if (quickTransform(file, static_cast<int>(i), context, stopToken))
            needsLateUpdate = true;
        // Moved, not copied: the snapshot is not read again.
        changed.push_back(std::move(file));
    }
    const std::size_t count = files.size();
    files = {};
    // Not the attributes: the quick pass never loads them, and the preloader may have written fresher ones.
    dataSource_.updateFiles(changed, {}, {FileComponentMutation::transformed, FileComponentMutation::validation});
    Logger::log("🔷 Transforming all ", count, " files (quick) finished, needsLateUpdate: ",
                needsLateUpdate ? "true" : "false");
    if (stopToken.stop_requested())
        return needsLateUpdate;
    ValidationStarter starter;
    {
        std::lock_guard lock(hooksMutex_);
        starter = validationStarter_;
    }
    // When every file was computed, the pass holds the whole list, unless files came, went or moved meanwhile
    // (their attributes may have been refreshed since, which validation does not read).
    if (starter)
        starter(changed.size() == count && dataSource_.revision() == revision ? std::move(changed) : dataSource_.files(),
                needsLateUpdate);
    return needsLateUpdate;
}

PassStatus TransformerEngine::transformAllFiles(std::stop_token stopToken, const ProgressHandler& progress) {
    // Alerts wait for the user, and whoever answers them (the window's event loop) may ask for a
    // file's renaming plan meanwhile: they are shown once the pass has let go of the engine.
    std::vector<std::pair<std::string, std::string>> alerts;
    PassStatus status = runFullPass(stopToken, progress, alerts);
    if (userInteraction_)
        for (const auto& [title, text] : alerts)
            userInteraction_->showAlert(title, text);
    Logger::log("🔹 Completed transform all files");
    post(AppNotification::dataSourceUpdated);
    return status;
}

PassStatus TransformerEngine::runFullPass(std::stop_token stopToken, const ProgressHandler& progress,
                                         std::vector<std::pair<std::string, std::string>>& alerts) {
    std::lock_guard actor(actorMutex_);
    Logger::log("🔹 Starting transform all files");
    const std::size_t total = dataSource_.count();
    const std::size_t sliceCount = (total + passSliceSize - 1) / passSliceSize;

    // Numbering counts from the start of each folder's run, which a slice cannot see from its own files:
    // the starts are taken once, in list order, before the slices run.
    std::vector<int> runStarts;
    runStarts.reserve(total);
    {
        SequenceOffsets offsets;
        dataSource_.forEachFile([&](const FileDataSource::FileRef& file) {
            runStarts.push_back(offsets.at(file.source.path, runStarts.size()));
        });
    }

    // What one slice came to; merged in list order, so that the status and the alerts are those of a
    // pass that took the files one after the other.
    struct SliceOutcome {
        std::vector<std::pair<std::string, std::string>> alerts;
        std::optional<PassFailure> failure; // the slice's last
        bool aborted = false;
    };
    std::vector<SliceOutcome> outcomes(sliceCount);
    std::atomic<std::size_t> nextSlice{0};
    std::atomic<std::size_t> started{0};
    std::atomic<bool> stopped{false};

    // Slices go to two threads where the list is long: the kind objects are each thread's own, and token
    // resolvers may be called from several threads at once. Only the calling thread reports progress.
    const auto work = [&](bool reportsProgress) {
        PassContext context = makeContext(false);
        for (std::size_t slice; !stopped && (slice = nextSlice.fetch_add(1)) < sliceCount;) {
            const std::size_t first = slice * passSliceSize;
            std::vector<File> files = dataSource_.files(first, passSliceSize);
            if (files.empty())
                break; // the list got shorter meanwhile
            SliceOutcome& outcome = outcomes[slice];
            // Files from a stop on keep what the list has: a stop can cut a file's chain short.
            std::size_t computed = files.size();
            for (std::size_t i = 0; i < files.size(); ++i) {
                const std::size_t position = first + i;
                const std::size_t count = started.fetch_add(1, std::memory_order_relaxed);
                if (reportsProgress && progress)
                    progress(count, total, "Preparing");
                if (stopToken.stop_requested() || stopped) {
                    Logger::log("🔹 Aborting transformation process");
                    outcome.aborted = true;
                    stopped = true;
                    computed = i;
                    break;
                }
                files[i].transformed.sequenceOffset =
                    position < runStarts.size() ? runStarts[position] : static_cast<int>(position);
                // A file whose chain fails keeps its error; the pass goes on with the others.
                const auto error = fullTransform(files[i], static_cast<int>(position), context, stopToken);
                if (!error)
                    continue;
                if (error->isFatal()) {
                    Logger::log("🔹 Aborting transformation process");
                    outcome.alerts.emplace_back(error->messageText, error->informativeText);
                    outcome.failure = PassFailure{PassFailure::Kind::failed, error->informativeText};
                } else if (error->isAborted()) {
                    Logger::log("🔹 Aborting transformation process (user initiated)");
                    outcome.aborted = true;
                    stopped = true;
                    computed = i;
                    break;
                } else {
                    Logger::log("🔹 Aborting transformation process. Error: ", error->description());
                    outcome.alerts.emplace_back("File rename failed", error->description());
                    outcome.failure = PassFailure{PassFailure::Kind::failed, error->description()};
                }
            }
            files.erase(files.begin() + static_cast<std::ptrdiff_t>(computed), files.end());
            dataSource_.updateFiles(std::move(files), {},
                                    {FileComponentMutation::transformed, FileComponentMutation::attributes,
                                     FileComponentMutation::validation});
        }
    };
    {
        std::jthread second;
        if (sliceCount >= 2 && usableCores() > 1)
            second = std::jthread([&] { work(false); });
        work(true);
    }

    PassStatus status;
    for (SliceOutcome& outcome : outcomes) {
        alerts.insert(alerts.end(), std::make_move_iterator(outcome.alerts.begin()),
                      std::make_move_iterator(outcome.alerts.end()));
        if (outcome.failure)
            status = std::move(*outcome.failure);
        if (outcome.aborted) {
            status = PassFailure{PassFailure::Kind::aborted, {}};
            break;
        }
    }
    Validation validation;
    {
        std::lock_guard lock(hooksMutex_);
        validation = validation_;
    }
    // Validation reads the list as the pass left it.
    if (validation)
        validation();
    return status;
}

void TransformerEngine::applyChanges(std::stop_token stopToken) {
    // One turn of the actor: no other pass gets between marking the files and computing them.
    std::lock_guard actor(actorMutex_);
    if (stopToken.stop_requested())
        return;
    dataSource_.markAllForTransform();
    quickPassLocked(stopToken);
}

void TransformerEngine::settleLateUpdates(std::stop_token stopToken) {
    std::lock_guard actor(actorMutex_);
    std::vector<File> files = dataSource_.files();
    assignSequenceOffsets(files);
    PassContext context = makeContext(false);
    std::vector<File> settled;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (stopToken.stop_requested())
            return;
        if (!files[i].transformed.isDirty)
            continue;
        // Stopped while a value was awaited: like a stop between files, nothing is written.
        if (const auto error = fullTransform(files[i], static_cast<int>(i), context, stopToken);
            error && error->isAborted() && stopToken.stop_requested())
            return;
        files[i].transformed.isDirty = false;
        settled.push_back(files[i]);
    }
    if (settled.empty())
        return;
    dataSource_.updateFiles(settled, stopToken,
                            {FileComponentMutation::transformed, FileComponentMutation::attributes,
                             FileComponentMutation::validation});
    ValidationStarter starter;
    {
        std::lock_guard lock(hooksMutex_);
        starter = validationStarter_;
    }
    if (starter)
        starter(dataSource_.files(), false);
}

// Not a turn of the actor: the plan reads copies and writes nothing back (the random numbers it may
// draw are the list's own, behind their own lock), so the window can show it while a pass runs, and
// a progress handler or an alert of a pass may ask for it.
std::vector<RenamePlanTableItem> TransformerEngine::renamingPlan(const File& original) {
    std::vector<RenamePlanTableItem> plan;
    plan.push_back({"Original Filename",
                    original.source.name + (original.source.ext.empty() ? "" : "." + original.source.ext),
                    original.source.path, false});
    // The position and folder run of the file decide numbering; take them from the list.
    std::vector<File> files = dataSource_.files();
    assignSequenceOffsets(files);
    int index = 0;
    File file = original;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].id() == original.id()) {
            index = static_cast<int>(i);
            file.transformed.sequenceOffset = files[i].transformed.sequenceOffset;
            break;
        }
    }
    PassContext context = makeContext(false);
    file.resetTransform();
    for (std::size_t r = 0; r < context.records.size(); ++r) {
        const Transformer& record = context.records[r];
        Transformable* kind = context.kinds[r].get();
        if (!kind)
            continue;
        loadWantedAttributes(file, context);
        if (applies(record, file, context)) {
            // One file's plan, asked for by the window: nothing to cancel it but the user's abort of a
            // place-name lookup, which the resolver hears itself.
            const TransformStatus status =
                kind->transform(record.properties, record.transformScope, file, index, std::stop_token());
            if (!status.ok())
                Logger::log("getRenamingPlanFor error: transformerId: ", record.id,
                            ", error: ", status.error().description());
        }
        const bool stops = overgrown(file);
        const std::string title(kind->title());
        plan.push_back({title + " " + std::string(rawValue(record.transformScope)),
                        file.transformed.transformedName + file.transformed.dottedExtension(),
                        file.transformed.transformedPath, !file.transformed.isSelected && title != "Select"});
        if (stops)
            break;
    }
    return plan;
}

void TransformerEngine::post(std::string_view name) {
    if (notifications_)
        notifications_->post(name);
}

// --- event handlers -------------------------------------------------------------------------------

void TransformerEngine::observeNotifications() {
    if (!notifications_)
        return;
    auto observe = [this](std::string_view name, std::function<void(const Notification&)> handler) {
        observers_.add(*notifications_, name, std::move(handler));
    };
    observe(AppNotification::transformAllFilesQuick, [this](const Notification&) { transformAllFilesQuickEvent(); });
    observe(AppNotification::transformAllFiles, [this](const Notification&) { transformAllFilesEvent(); });
    observe(AppNotification::applyChanges, [this](const Notification&) { applyChangesEvent(); });
    observe(AppNotification::clearAllTransformers, [this](const Notification&) { clearAllTransformersEvent(); });
    observe(AppNotification::resetRandomNumbers, [this](const Notification&) { resetRandomNumbersEvent(); });
    observe(AppNotification::currentButtonEnabledState, [this](const Notification& n) { currentEnabledStateEvent(n); });
    observe(AppNotification::commitChanges, [this](const Notification&) { commitChangesAsyncEvent(); });
    observe(AppNotification::abortProcess, [this](const Notification&) { abortProcessEvent(); });
}

void TransformerEngine::quickPassThenSettle(std::stop_token stopToken, bool markDirtyFirst) {
    bool needsLateUpdate;
    if (markDirtyFirst) {
        applyChanges(stopToken);
        std::lock_guard actor(actorMutex_);
        needsLateUpdate = false;
        for (const auto& file : dataSource_.files())
            needsLateUpdate = needsLateUpdate || file.transformed.isDirty;
    } else {
        needsLateUpdate = transformAllFilesQuick(stopToken);
    }
    if (!needsLateUpdate || stopToken.stop_requested())
        return;
    std::function<bool()> preloadRunning;
    {
        std::lock_guard lock(hooksMutex_);
        preloadRunning = preloadRunning_;
    }
    // The preloader starts the next quick pass when it has loaded the attributes; without one
    // running, nothing would, and the preview would stay pending for good.
    if (preloadRunning && preloadRunning())
        return;
    PreloadStarter starter;
    {
        std::lock_guard lock(hooksMutex_);
        starter = preloadStarter_;
    }
    if (starter && starter(attributeSourcesOf(transformers_.list())))
        return;
    settleLateUpdates(stopToken);
}

void TransformerEngine::transformAllFilesQuickEvent() {
    quickTask_.start([this](std::stop_token stop) { quickPassThenSettle(stop, false); });
}

void TransformerEngine::applyChangesEvent() {
    Logger::log("TransformerEngine received applyChanges event");
    quickTask_.start([this](std::stop_token stop) { quickPassThenSettle(stop, true); });
}

void TransformerEngine::transformAllFilesEvent() {
    fullTask_.start([this](std::stop_token stop) { (void)transformAllFiles(stop); });
}

void TransformerEngine::clearAllTransformersEvent() { transformers_.loadTransformers({}, "Clear All Rename Actions"); }

void TransformerEngine::resetRandomNumbersEvent() {
    if (const auto id = transformers_.currentTransformerId())
        if (const auto record = transformers_.actor().transformer(*id))
            record->state.randomNumberGenerator->reset();
}

void TransformerEngine::currentEnabledStateEvent(const Notification& notification) {
    if (const bool* enabled = std::any_cast<bool>(&notification.object))
        transformers_.setCurrentEnabledState(*enabled);
}

void TransformerEngine::commitChangesAsyncEvent() {
    RenameRunner runner;
    {
        std::lock_guard lock(hooksMutex_);
        runner = renameRunner_;
    }
    if (!runner)
        return;
    // A second request while a rename runs is dropped: starting anew would cancel the run half-way and
    // block this thread until it stopped, while that run may be waiting for this thread (a question).
    if (renaming_.exchange(true))
        return;
    transformationTask_.start([this, runner](std::stop_token stop) {
        runner(stop);
        renaming_ = false;
    });
}

void TransformerEngine::abortProcessEvent() { transformationTask_.cancel(); }

void TransformerEngine::waitForIdle() {
    transformationTask_.wait();
    fullTask_.wait();
    quickTask_.wait();
}

} // namespace quillory
