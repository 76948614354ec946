// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileValidationResult.h"
#include "engine/AttributeServices.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

class DirectoryValidator;
class FileAttributesWorker;
class FileDataSource;
class FileRenamer;
class FileSystem;
class FolderListings;
class RunJournal;
class FileValidator;
class FileValidatorWorker;
class GPSAddressResolver;
class GPSCache;
class MainQueue;
class NotificationCenter;
class OpenFolderEventHandler;
class Preferences;
class RecentRecipeList;
class RecipeStore;
class ScriptingCommands;
class ScriptingState;
class TokenDetailsList;
class TransformerEngine;
class Transformers;
class UndoManager;
class UserInteraction;

// The application's shared objects, created and wired once at start-up in dependency order: settings,
// notifications, the file list, the chain, the engine with its resolvers, validation, renaming and
// opening. The desktop app, the CLI and the tests all start from here.
class AppServices {
public:
    struct Options {
        std::filesystem::path preferencesFile; // empty: the user's settings file
        UserInteraction* userInteraction = nullptr; // required
        // Register the shared objects in the process-wide registry (the desktop app does).
        bool registerShared = false;
        // Observe the notifications that drive the engine (preview while editing). The CLI runs the
        // passes itself and leaves this off.
        bool observeNotifications = false;
        // Where rename runs keep their journals (for undo and recovery); empty: runs are not recorded.
        std::string journalFolder;
    };

    explicit AppServices(Options options);
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    MainQueue& mainQueue() { return *mainQueue_; }
    NotificationCenter& notifications() { return *notifications_; }
    Preferences& preferences() { return *preferences_; }
    UndoManager& undoManager() { return *undoManager_; }
    FileDataSource& fileDataSource() { return *fileDataSource_; }
    Transformers& transformers() { return *transformers_; }
    TransformerEngine& engine() { return *engine_; }
    FileValidator& validator() { return *validator_; }
    FileValidatorWorker& validatorWorker() { return *validatorWorker_; }
    FileRenamer& renamer() { return *renamer_; }
    // Null when runs are not recorded.
    RunJournal* journal() { return journal_.get(); }
    FileSystem& fileSystem() { return *fileSystem_; }
    OpenFolderEventHandler& openFolderHandler() { return *openFolderHandler_; }
    FileAttributesWorker& attributesWorker() { return *attributesWorker_; }
    const AttributeServices& attributeServices() const { return attributeServices_; }
    GPSCache& gpsCache() { return *gpsCache_; }
    RecentRecipeList& recentRecipes() { return *recentRecipes_; }
    RecipeStore& recipeStore() { return *recipeStore_; }
    ScriptingState& scriptingState() { return *scriptingState_; }
    ScriptingCommands& scriptingCommands() { return *scriptingCommands_; }
    UserInteraction& userInteraction() { return *userInteraction_; }
    // The rules for the current settings (made anew so custom directories set for this run count).
    std::shared_ptr<DirectoryValidator> makeDirectoryValidator();

    // The last result posted with "validationResult" and delivered on the main queue.
    std::optional<FileValidationResult> lastValidationResult() const;

    // Runs the main queue until the engine, validation and preloading have gone quiet, at most `limit`.
    bool waitUntilSettled(std::chrono::milliseconds limit);

    // Opens files and folders into the list (replacing it, or appending to it), on the caller's thread.
    // Attribute preloading is left to the caller: a tool that runs the full pass needs none.
    // Returns the refused folders' report text, empty when everything could be opened.
    std::string openPaths(const std::vector<std::string>& paths, bool append = false);

    // Keeps the place names looked up in this run (also done on destruction).
    void saveGpsCache();
    // Asks the geocoder the "gpsGeocoder" setting names now (chosen at construction otherwise).
    void useGeocoderFromSettings();
    GPSAddressResolver& gpsResolver() { return *gpsResolver_; }

private:
    UserInteraction* userInteraction_;
    std::unique_ptr<MainQueue> mainQueue_;
    std::unique_ptr<NotificationCenter> notifications_;
    std::unique_ptr<Preferences> preferences_;
    std::unique_ptr<UndoManager> undoManager_;
    std::shared_ptr<FileDataSource> fileDataSource_;
    std::unique_ptr<Transformers> transformers_;
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<FolderListings> folderListings_;
    std::unique_ptr<FileValidator> validator_;
    std::unique_ptr<FileValidatorWorker> validatorWorker_;
    std::unique_ptr<TransformerEngine> engine_;
    std::unique_ptr<RunJournal> journal_;
    std::unique_ptr<FileRenamer> renamer_;
    std::unique_ptr<OpenFolderEventHandler> openFolderHandler_;
    std::shared_ptr<GPSCache> gpsCache_;
    std::shared_ptr<GPSAddressResolver> gpsResolver_;
    AttributeServices attributeServices_;
    std::unique_ptr<FileAttributesWorker> attributesWorker_;
    std::unique_ptr<RecentRecipeList> recentRecipes_;
    std::unique_ptr<RecipeStore> recipeStore_;
    std::unique_ptr<ScriptingState> scriptingState_;
    std::unique_ptr<ScriptingCommands> scriptingCommands_;
};

} // namespace quillory
