// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>

namespace quillory {
class AppServices;
class Session;
class UserInteraction;
}

namespace quillory::gui {

class MainQueueBinding;
class MainWindow;
class NotificationBridge;
class QtUserInteraction;

// The desktop app: the core's services with their notifications on and delivered on the Qt event loop,
// the main window, and the start-up steps.
class Application : public QObject {
    Q_OBJECT
public:
    struct Options {
        std::filesystem::path preferencesFile;      // empty: the user's settings file
        UserInteraction* userInteraction = nullptr; // null: Qt dialogs
        std::string journalFolder;                  // empty: the user's journal folder
    };

    explicit Application(Options options, QObject* parent = nullptr);
    ~Application() override;

    // The command line: plain paths first (recipes by extension, anything else as files), then "-d"
    // folders and "-r" recipe in that order; with nothing given, the most recent recipe when the
    // setting asks for it. Arguments start with the program path.
    void processArguments(const QStringList& arguments);

    Session& session() { return *session_; }
    AppServices& services();
    MainWindow& window() { return *window_; }
    NotificationBridge& bridge() { return *bridge_; }

private:
    std::unique_ptr<QtUserInteraction> qtInteraction_;
    std::unique_ptr<Session> session_;
    MainQueueBinding* queueBinding_ = nullptr;
    NotificationBridge* bridge_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};

} // namespace quillory::gui
