// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AppServices.h"

#include "app/AppNotification.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "app/Registry.h"
#include "app/UserInteraction.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "filelist/FilesAndDirectories.h"
#include "filelist/FolderListings.h"
#include "filelist/OpenFolderEventHandler.h"
#include "automation/ScriptingCommands.h"
#include "automation/ScriptingServices.h"
#include "automation/ScriptingState.h"
#include "model/RecentRecipeList.h"
#include "engine/RecipeStore.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"
#include "rename/FileRenamer.h"
#include "rename/FileValidator.h"
#include "rename/FileValidatorWorker.h"
#include "rename/PosixFileSystem.h"
#include "rename/RunJournal.h"
#include "engine/FileAttributesWorker.h"
#include "model/TokenDetailsList.h"
#include "tokens/AttributeSourcesOf.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/GPSCache.h"
#include "tokens/gps/GeocoderFactory.h"
#include "model/File.h"


namespace quillory {

AppServices::AppServices(Options options) : userInteraction_(options.userInteraction) {
    mainQueue_ = std::make_unique<MainQueue>();
    notifications_ = std::make_unique<NotificationCenter>(*mainQueue_);
    preferences_ = std::make_unique<Preferences>(
        options.preferencesFile.empty() ? Preferences::defaultPath() : options.preferencesFile, notifications_.get());
    preferences_->registerDefaults();
    undoManager_ = std::make_unique<UndoManager>();
    fileDataSource_ = std::make_shared<FileDataSource>(notifications_.get(), undoManager_.get());
    transformers_ = std::make_unique<Transformers>(notifications_.get(), undoManager_.get());
    auto fileSystem = std::make_unique<PosixFileSystem>();
    // Nothing is moved, created or removed in a folder whose real place is outside the allowed ones,
    // whatever links lead there, or appear there after validation.
    fileSystem->setFolderCheck([this](const std::string& realFolder) {
        return validator_->directoryValidator().isAllowedResolved(realFolder);
    });
    folderListings_ = std::make_unique<FolderListings>();
    fileSystem->setFolderListings(folderListings_.get());
    fileSystem_ = std::move(fileSystem);
    validator_ = std::make_unique<FileValidator>(fileDataSource_.get(), preferences_.get(), notifications_.get());
    validator_->setFileSystem(fileSystem_.get());
    validator_->setFolderListings(folderListings_.get());
    validator_->setKeepsValidatedFiles(false);
    validator_->directoryValidator().setCaseTest(
        [fileSystem = fileSystem_.get()](const std::string& folder) { return fileSystem->ignoresCase(folder); });
    validatorWorker_ = std::make_unique<FileValidatorWorker>(*validator_, notifications_.get());
    engine_ = std::make_unique<TransformerEngine>(*fileDataSource_, *transformers_, *preferences_, notifications_.get(),
                                                  userInteraction_);
    engine_->setValidationStarter(
        [this](std::vector<File> files, bool needsLateUpdate) { validatorWorker_->validate(std::move(files), needsLateUpdate); });
    engine_->setValidation([this] {
        validatorWorker_->cancel();
        validatorWorker_->wait();
        validator_->validateList(false);
    });
    fileDataSource_->setValidationCanceller([this] { validatorWorker_->cancel(); });

    if (!options.journalFolder.empty())
        journal_ = std::make_unique<RunJournal>(options.journalFolder, *fileSystem_);
    FileRenamer::Services renameServices{*fileDataSource_, *fileSystem_, preferences_.get(), userInteraction_,
                                         notifications_.get(), journal_.get()};
    renamer_ = std::make_unique<FileRenamer>(
        renameServices, [this](std::stop_token stop) { return engine_->transformAllFiles(stop).ok(); });
    // Emptied folders go only strictly inside both an allowed folder and a folder the user opened:
    // never one of those itself, nothing above them.
    renamer_->setRemovableFolder([this](const std::string& folder) {
        const DirectoryValidator& rules = validator_->directoryValidator();
        const std::string parent = std::filesystem::path(folder).parent_path().string();
        if (folder == parent || rules.isAllowedDirectory(folder) || !rules.isAllowed(folder) ||
            !rules.isAllowed(parent))
            return false;
        for (const auto& opened : fileDataSource_->openedFolders())
            if (isInside(folder, opened))
                return true;
        return false;
    });
    engine_->setRenameRunner([this](std::stop_token stop) { renamer_->rename(true, stop); });

    openFolderHandler_ = std::make_unique<OpenFolderEventHandler>(fileDataSource_, *userInteraction_,
                                                                  notifications_.get(), preferences_.get());
    openFolderHandler_->setFolderListings(folderListings_.get());

    // Attributes: the catalogue, the place-name lookup with its cache, the resolvers and the preloader.
    gpsCache_ = std::make_shared<GPSCache>();
    gpsCache_->load(*preferences_);
    gpsResolver_ = std::make_shared<GPSAddressResolver>(gpsCache_, GeocoderFactory::make(*preferences_),
                                                        preferences_.get(), notifications_.get());
    attributeServices_ = AttributeServices::make(
        std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded()), gpsResolver_);
    attributesWorker_ = std::make_unique<FileAttributesWorker>(*fileDataSource_, attributeServices_.loader,
                                                               notifications_.get());
    wireAttributes(*engine_, *attributesWorker_, attributeServices_,
                   options.registerShared ? &Registry::shared() : nullptr);

    recentRecipes_ = std::make_unique<RecentRecipeList>(*preferences_);
    recipeStore_ = std::make_unique<RecipeStore>(*transformers_, *fileDataSource_, *recentRecipes_, *preferences_,
                                                 userInteraction_, undoManager_.get());
    scriptingState_ = std::make_unique<ScriptingState>();
    scriptingState_->observeNotifications(*notifications_);
    ScriptingServices scripting;
    scripting.dataSource = fileDataSource_.get();
    scripting.transformers = transformers_.get();
    scripting.engine = engine_.get();
    scripting.recipeStore = recipeStore_.get();
    scripting.rename = [this](bool force) { return renamer_->rename(force); };
    scripting.state = scriptingState_.get();
    scripting.openDirectories = [this](const std::vector<std::string>& directories) -> Status {
        const std::string report = openPaths(directories);
        attributesWorker_->preloadMissing(attributeSourcesOf(transformers_->list()));
        if (!report.empty())
            return Error{report};
        return {};
    };
    scripting.mainQueue = mainQueue_.get();
    scriptingCommands_ = std::make_unique<ScriptingCommands>(scripting);

    if (options.observeNotifications) {
        recipeStore_->observeNotifications(*notifications_);
        engine_->observeNotifications();
        fileDataSource_->observeNotifications();
        openFolderHandler_->observeNotifications();
    }
    if (options.registerShared) {
        auto& registry = Registry::shared();
        registry.add(fileDataSource_, "FileDataSource");
    }
}

AppServices::~AppServices() {
    // Background work refers to the objects below; stop it before they go.
    // The engine goes before the preloader: a running pass asks the preloader whether it is busy.
    openFolderHandler_.reset();
    engine_.reset();
    attributesWorker_.reset();
    validatorWorker_.reset();
    saveGpsCache();
}

void AppServices::useGeocoderFromSettings() {
    gpsResolver_->setGeocoder(GeocoderFactory::make(*preferences_));
}

void AppServices::saveGpsCache() { gpsCache_->saveIfChanged(*preferences_); }

std::shared_ptr<DirectoryValidator> AppServices::makeDirectoryValidator() {
    return std::make_shared<DirectoryValidator>(preferences_.get());
}

std::optional<FileValidationResult> AppServices::lastValidationResult() const {
    return scriptingState_->fileValidationResult();
}

bool AppServices::waitUntilSettled(std::chrono::milliseconds limit) {
    return mainQueue_->runUntil(
        [this] {
            if (validatorWorker_->isRunning() || attributesWorker_->isRunning() || engine_->isBusy())
                return false;
            const auto result = lastValidationResult();
            return !result || !result->isPending;
        },
        limit);
}

std::string AppServices::openPaths(const std::vector<std::string>& paths, bool append) {
    auto request = FilesAndDirectories::fromPaths(paths, makeDirectoryValidator());
    const auto result = openFolderHandler_->openAllFilesAndDirectories(
        std::move(request), append ? FileAction::append : FileAction::replace);
    return result.rejected.empty() ? std::string() : OpenFolderEventHandler::rejectionReport(result.rejected);
}

} // namespace quillory
