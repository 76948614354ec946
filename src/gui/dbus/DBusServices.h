// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScriptingQueue.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>

namespace quillory {
class Session;
}

namespace quillory::dbus {

class ScriptingAdaptor;

// The object at /com/halvane/Quillory with its two interfaces, org.freedesktop.Application and, given
// a Session, com.halvane.Quillory.Scripting. The app connects to the signals to open what it is handed;
// they are emitted from the serial queue, in turn with the scripting calls. Lives on the Session's
// thread (the GUI thread), where the bus delivers its calls.
class DBusServices : public QObject, protected QDBusContext {
    Q_OBJECT
    // They answer calls (later, or with errors) through this object's call context.
    friend class ScriptingAdaptor;
    friend class ApplicationAdaptor;

public:
    // The session, when given, must outlive this object.
    explicit DBusServices(Session* session, QObject* parent = nullptr);
    ~DBusServices() override;

    // Exports the object on `bus` (the name is claimed separately, see SingleInstance). False when
    // there is no bus or the path is taken.
    bool exportOn(QDBusConnection bus);
    // Null without a session.
    ScriptingAdaptor* scripting() { return scripting_; }
    // The serial queue every call goes through before it touches the session or the window. Hold it
    // while session work runs elsewhere (the window's open and rename threads).
    ScriptingQueue& queue() { return queue_; }

Q_SIGNALS:
    // Bring the window to the front, with the token the launcher passed (may be empty).
    void activateRequested(const QString& activationToken);
    // Open these files and folders as if dropped on the window (recipes by their extension).
    void openRequested(const QStringList& paths, const QString& activationToken);
    // One of ApplicationAdaptor::actions(), with its parameters.
    void actionRequested(const QString& name, const QVariantList& parameters, const QString& activationToken);

private:
    ScriptingQueue queue_; // first: the adaptors' jobs may refer to it
    ScriptingAdaptor* scripting_;
    QDBusConnection bus_;
};

// The start-up step of the desktop app: exports the D-Bus object on the session bus, with scripting
// over `session` when given. Returns the object (owned by `parent`), or null when there is no session
// bus; the app runs on then without it.
DBusServices* registerDBusServices(Session* session, QObject* parent);

} // namespace quillory::dbus
