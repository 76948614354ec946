// SPDX-License-Identifier: GPL-3.0-or-later
// A window-less stand-in for the desktop app in the D-Bus tests: the app's D-Bus services over a
// Session, with the same single-instance start-up. Options: --settings FILE, --allow-temp (renaming
// allowed in the temporary folder); other arguments as the app takes them.
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "automation/Session.h"
#include "dbus/DBusServices.h"
#include "dbus/SingleInstance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include <filesystem>
#include <iostream>

namespace {

// Answers every question with its default button and prints alerts.
class DefaultAnswers : public quillory::UserInteraction {
public:
    Answer ask(const Question&) override { return {}; }
    void showAlert(const std::string& title, const std::string& text) override {
        std::cerr << title << ": " << text << "\n";
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments{QCoreApplication::applicationFilePath()};
    QString settings;
    bool allowTemp = false;
    const QStringList given = QCoreApplication::arguments();
    for (qsizetype i = 1; i < given.size(); ++i) {
        if (given[i] == QLatin1String("--settings") && i + 1 < given.size())
            settings = given[++i];
        else if (given[i] == QLatin1String("--allow-temp"))
            allowTemp = true;
        else
            arguments << given[i];
    }

    using quillory::dbus::SingleInstance;
    if (SingleInstance::tryHandOver(arguments) == SingleInstance::Outcome::handedOver)
        return 0;

    DefaultAnswers answers;
    quillory::Session::Options options;
    options.preferencesFile = settings.toStdString();
    options.userInteraction = &answers;
    quillory::Session session(options);
    if (allowTemp) {
        session.services().preferences().setTransient(
            quillory::PreferenceKey::customDirectories,
            std::vector<std::string>{std::filesystem::temp_directory_path().string()});
        session.reloadSettings();
    }
    auto* services = quillory::dbus::registerDBusServices(&session, &app);
    if (!services || !SingleInstance::claim()) {
        std::cerr << "quillory-dbus-host: cannot serve com.halvane.Quillory\n";
        return 1;
    }
    QTimer::singleShot(30000, &app, &QCoreApplication::quit); // must not outlive the test bus for long
    // The test bus goes away with its test; so does the host.
    QTimer busWatch;
    QObject::connect(&busWatch, &QTimer::timeout, &app, [] {
        if (!QDBusConnection::sessionBus().isConnected())
            QCoreApplication::quit();
    });
    busWatch.start(200);
    const int status = QCoreApplication::exec();
    delete services; // its queue may still use the session
    return status;
}
