// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QStringList>

namespace quillory::dbus {

// One Quillory per session: the first owns com.halvane.Quillory on the session bus; a later launch
// hands its files, folders and recipe to that one (with the launcher's activation token) and ends.
class SingleInstance {
public:
    enum class Outcome {
        primary,    // nobody else runs: carry on, export the services and claim the name
        handedOver, // the running instance has the arguments: exit with status 0
        noBus,      // no session bus: carry on alone
    };

    // What a second launch hands over, read from the app's arguments (the program path first): paths
    // before the first option and after "-d" become file URIs, and so does a "*.recipe" given with
    // "-r"; any other value of "-r" (the JSON of a recipe) is opened through scripting. An action of the
    // desktop entry ("--open-folder") is activated.
    struct Request {
        QStringList uris;
        QString recipe;
        QString action;
    };
    static Request requestFrom(const QStringList& arguments);

    // The token the launcher gave this process: XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID.
    static QString launchActivationToken();

    // Asks whether another instance owns the name, and hands the arguments over when one does.
    static Outcome tryHandOver(const QStringList& arguments, QDBusConnection bus = QDBusConnection::sessionBus());
    // Claims the name once the services are exported; false when another process was quicker (then
    // hand over to it).
    static bool claim(QDBusConnection bus = QDBusConnection::sessionBus());
};

} // namespace quillory::dbus
