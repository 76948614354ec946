// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include "app/Logger.h"
#include "app/MainQueueBinding.h"
#include "app/NotificationBridge.h"
#include "app/QtUserInteraction.h"
#include "app/Registry.h"
#include "automation/AppServices.h"
#include "automation/CommandLineProcessor.h"
#include "automation/Session.h"
#include "filelist/FileDataSource.h"
#include "main/MainWindow.h"
#include "engine/RecipeStore.h"
#include "model/Transformers.h"
#include "rename/JournalStore.h"

#include <QApplication>

namespace quillory::gui {

Application::Application(Options options, QObject* parent) : QObject(parent) {
    UserInteraction* interaction = options.userInteraction;
    if (!interaction) {
        qtInteraction_ = std::make_unique<QtUserInteraction>();
        interaction = qtInteraction_.get();
    }
    Session::Options sessionOptions;
    sessionOptions.preferencesFile = options.preferencesFile;
    sessionOptions.userInteraction = interaction;
    sessionOptions.registerShared = true;
    sessionOptions.observeNotifications = true;
    // Runs are recorded so that Edit > Undo Rename can put the files back.
    sessionOptions.journalFolder = options.journalFolder.empty() ? JournalStore::defaultFolder() : options.journalFolder;
    session_ = std::make_unique<Session>(sessionOptions);
    auto& services = session_->services();
    queueBinding_ = new MainQueueBinding(services.mainQueue(), this);
    bridge_ = new NotificationBridge(services.notifications(), services.fileDataSource(), this);
    window_ = std::make_unique<MainWindow>(*session_, *bridge_);
    if (qtInteraction_)
        qtInteraction_->setParentWidget(window_.get());
}

Application::~Application() {
    // The window's threads and observers go before the services they use.
    window_.reset();
    delete bridge_;
    bridge_ = nullptr;
    // Unbound before the queue goes; what the services post while stopping is dropped with them.
    delete queueBinding_;
    queueBinding_ = nullptr;
    // The registry would keep shared objects alive past the services they point into.
    Registry::shared().clear();
    session_.reset();
}

AppServices& Application::services() { return session_->services(); }

void Application::processArguments(const QStringList& arguments) {
    // Paths before the first option ("quillory a.recipe ~/Pictures", or files handed over by a file manager).
    QStringList plain;
    for (qsizetype i = 1; i < arguments.size() && !arguments[i].startsWith(QLatin1Char('-')); ++i)
        plain << arguments[i];
    if (!plain.isEmpty())
        window_->openPathsAndWait(plain);

    CommandLineProcessor::Actions actions;
    actions.openDirectories = [this](const std::vector<std::string>& directories) -> Status {
        QStringList paths;
        for (const auto& directory : directories)
            paths << QString::fromStdString(directory);
        window_->openPathsAndWait(paths);
        return {};
    };
    actions.loadRecipeFromPath = [this](const std::string& path) { return session_->loadRecipe(path); };
    actions.loadRecipeFromJson = [this](const std::string& json) { return session_->loadRecipe(json); };
    std::vector<std::string> list;
    for (const auto& argument : arguments)
        list.push_back(argument.toStdString());
    const char* home = std::getenv("HOME");
    CommandLineProcessor processor(actions, home ? home : "");
    if (const auto status = processor.process(list); !status.ok())
        Logger::error("Command line: ", status.error().message);

    if (services().transformers().empty())
        services().recipeStore().openMostRecentRecipeOnStartup(&services().notifications());
}

} // namespace quillory::gui
