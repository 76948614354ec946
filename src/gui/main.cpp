// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "dbus/DBusNames.h"
#include "dbus/DBusServices.h"
#include "dbus/SingleInstance.h"
#include "main/MainWindow.h"

#include <QApplication>
#include <QTimer>

#include <memory>

#ifdef QUILLORY_UPDATE_CHECK
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "update/UpdateCheck.h"
#endif

namespace {

// The launcher's token lets the window take the focus (Wayland and X11 read it when the window is
// activated).
void bringToFront(QWidget& window, const QString& activationToken) {
    if (!activationToken.isEmpty()) {
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
        qputenv("DESKTOP_STARTUP_ID", activationToken.toUtf8());
    }
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillory"));
    QApplication::setOrganizationName(QStringLiteral("Quillory"));
    QApplication::setDesktopFileName(QStringLiteral("com.halvane.Quillory"));

    // One Quillory per session: a second launch hands its files to the running one and ends.
    using quillory::dbus::SingleInstance;
    if (SingleInstance::tryHandOver(QApplication::arguments()) == SingleInstance::Outcome::handedOver)
        return 0;

    quillory::gui::Application application({});
    auto& window = application.window();
    // Scripting over the window's session, and files handed over open like a drop. Declared after the
    // application so that it goes first: its queue may still be using the session.
    std::unique_ptr<quillory::dbus::DBusServices> bus(
        quillory::dbus::registerDBusServices(&application.session(), nullptr));
    if (bus) {
        QObject::connect(bus.get(), &quillory::dbus::DBusServices::activateRequested, &window,
                         [&window](const QString& token) { bringToFront(window, token); });
        QObject::connect(bus.get(), &quillory::dbus::DBusServices::openRequested, &window,
                         [&window](const QStringList& paths, const QString& token) {
                             bringToFront(window, token);
                             window.openPaths(paths);
                         });
        QObject::connect(bus.get(), &quillory::dbus::DBusServices::actionRequested, &window,
                         [&window](const QString& name, const QVariantList&, const QString& token) {
                             bringToFront(window, token);
                             if (name == QLatin1String(quillory::dbus::actionOpenFolder))
                                 window.openFilesDialog(true);
                         });
        // The window's open and rename threads use the session; scripting waits for them.
        auto& queue = bus->queue();
        QObject::connect(&window, &quillory::gui::MainWindow::sessionWorkStarted, &queue,
                         [&queue] { queue.hold(); });
        QObject::connect(&window, &quillory::gui::MainWindow::sessionWorkFinished, &queue,
                         [&queue] { queue.release(); });
        // Another launch may have claimed the name meanwhile.
        if (!SingleInstance::claim() &&
            SingleInstance::tryHandOver(QApplication::arguments()) == SingleInstance::Outcome::handedOver)
            return 0;
    }
    window.show();
#ifdef QUILLORY_UPDATE_CHECK
    quillory::update::startUpdateCheck(window, application.services().preferences());
#endif
    application.processArguments(QApplication::arguments());
    // The desktop entry's "Open Folder…" on the first launch.
    if (QApplication::arguments().contains(QLatin1String("--") + QLatin1String(quillory::dbus::actionOpenFolder)))
        QTimer::singleShot(0, &window, [&window] { window.openFilesDialog(true); });
    return QApplication::exec();
}
