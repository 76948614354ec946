// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "app/NotificationCenter.h"
#include "engine/PassFailure.h"
#include "model/AttributeLoader.h"
#include "model/File.h"
#include "model/RenamePlanTableItem.h"
#include "tokens/TokenResolvers.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace quillory {

class FileDataSource;
class NotificationCenter;
class Preferences;
struct Transformer;
class Transformers;
class UserInteraction;
struct Notification;

// Runs the chain of rename actions over the file list: the quick pass that never waits for slow
// attributes (the preview), the full pass that loads everything and ends with validation (before a
// rename), and the renaming plan of one file. The passes run one at a time (the engine's actor).
class TransformerEngine {
public:
    // The error of a file whose chain made its name grow past any sensible length; its chain stops there.
    static constexpr const char* nameGrewTooLong = "The actions make the new name longer than 65536 bytes.";

    using ProgressHandler = std::function<void(std::size_t index, std::size_t count, const std::string& title)>;
    // Starts validating the files (cancelling a run in progress) and returns at once.
    using ValidationStarter = std::function<void(std::vector<File> files, bool needsLateUpdate)>;
    // Validates the list as the full pass left it before returning; the results are written to the list.
    using Validation = std::function<void()>;
    // Loads a file's attribute map from the given sources (full resolution needs it).
    using AttributeLoader = quillory::AttributeLoader;
    // Starts loading the attributes of the files that lack these sources in the background; false when
    // no file needs any, so nothing will follow.
    using PreloadStarter = std::function<bool(AttributeSources)>;
    // Runs the rename of the whole list (started by "commitChanges", cancelled by "abortProcess").
    using RenameRunner = std::function<void(std::stop_token)>;

    TransformerEngine(FileDataSource& dataSource, Transformers& transformers, Preferences& preferences,
                      NotificationCenter* notifications = nullptr, UserInteraction* userInteraction = nullptr);
    ~TransformerEngine();
    TransformerEngine(const TransformerEngine&) = delete;
    TransformerEngine& operator=(const TransformerEngine&) = delete;

    void setResolvers(TokenResolvers resolvers);
    void setValidationStarter(ValidationStarter starter);
    void setValidation(Validation validation);
    void setAttributeLoader(AttributeLoader loader);
    // Whether attributes are being preloaded; when they are not, a quick pass that still waits for
    // values settles by computing those files with the full transform.
    void setPreloadRunning(std::function<bool()> isRunning);
    // With a starter, a quick pass that waits for attribute values has them loaded in the background
    // instead of computing the waiting files with the full transform on its own thread.
    void setPreloadStarter(PreloadStarter starter);
    void setRenameRunner(RenameRunner runner);

    // Quick pass over all dirty files. Returns whether some files still wait for attributes.
    bool transformAllFilesQuick(std::stop_token stopToken = {});
    // Full pass over all files, validation included. Every file is computed even after a failure; the
    // status tells the last failure, and the failures are shown to the user once the pass is over.
    // `progress` is called during the pass: it may ask for a renaming plan but must not start a pass.
    PassStatus transformAllFiles(std::stop_token stopToken = {}, const ProgressHandler& progress = {});
    // Marks every file dirty and clears its messages and unique suffix, then runs the quick pass.
    void applyChanges(std::stop_token stopToken = {});
    // Computes the files that still wait for values with the full transform, and validates again.
    void settleLateUpdates(std::stop_token stopToken = {});
    // The plan of one file; it does not wait for a pass in progress.
    std::vector<RenamePlanTableItem> renamingPlan(const File& file);

    // Event handlers, on the main thread; each starts background work.
    void observeNotifications();
    void transformAllFilesQuickEvent();
    void transformAllFilesEvent();
    void applyChangesEvent();
    void clearAllTransformersEvent();
    void resetRandomNumbersEvent();
    void currentEnabledStateEvent(const Notification& notification);
    void commitChangesAsyncEvent();
    void abortProcessEvent();

    // Waits until the background work started by the handlers has ended (CLI, scripting, tests).
    void waitForIdle();
    bool isRenaming() const { return renaming_.load(); }
    // Whether a pass or a rename started by the handlers is still running.
    bool isBusy() const {
        return quickTask_.isRunning() || fullTask_.isRunning() || transformationTask_.isRunning();
    }

    std::optional<std::string> recipeUrl;

private:
    struct PassContext;
    PassContext makeContext(bool quick);
    static void loadWantedAttributes(File& file, const PassContext& context);
    bool applies(const Transformer& transformer, const File& file, const PassContext& context) const;
    bool quickTransform(File& file, int index, PassContext& context, std::stop_token stopToken);
    std::optional<TransformError> fullTransform(File& file, int index, PassContext& context,
                                                std::stop_token stopToken);
    void post(std::string_view name);
    void quickPassThenSettle(std::stop_token stopToken, bool markDirtyFirst);
    // The quick pass, called with actorMutex_ held.
    bool quickPassLocked(std::stop_token stopToken);
    // The full pass in one turn of the actor; the alerts it would show are collected in `alerts`.
    PassStatus runFullPass(std::stop_token stopToken, const ProgressHandler& progress,
                       std::vector<std::pair<std::string, std::string>>& alerts);

    FileDataSource& dataSource_;
    Transformers& transformers_;
    Preferences& preferences_;
    NotificationCenter* notifications_;
    UserInteraction* userInteraction_;

    std::mutex actorMutex_; // the engine's actor: one pass at a time
    std::mutex hooksMutex_;
    std::optional<TokenResolvers> resolvers_;
    ValidationStarter validationStarter_;
    Validation validation_;
    AttributeLoader attributeLoader_;
    std::function<bool()> preloadRunning_;
    PreloadStarter preloadStarter_;
    RenameRunner renameRunner_;

    BackgroundJob quickTask_;
    BackgroundJob fullTask_;
    BackgroundJob transformationTask_;
    std::atomic<bool> renaming_{false};
    NotificationObservers observers_;
};

// Gives every file the list position of the first file of its run of consecutive files in the same
// source folder, so numbering can restart per folder.
void assignSequenceOffsets(std::vector<File>& files);

} // namespace quillory
