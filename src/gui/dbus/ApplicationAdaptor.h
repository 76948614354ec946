// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace quillory::dbus {

class DBusServices;

// org.freedesktop.Application: how desktops, file managers and a second launch reach the running app.
// Every call is answered at once; the request reaches the app as a signal of DBusServices, emitted from
// the serial queue in turn with the scripting calls, so a question the app asks while opening never
// holds up the caller.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationAdaptor(DBusServices* parent);

    // The token that lets the window come to the front: "activation-token" (Wayland) or
    // "desktop-startup-id" (X11); empty when the caller sent neither.
    static QString activationToken(const QVariantMap& platformData);
    // Local paths of the given URIs; plain absolute paths are taken as they are, other schemes dropped.
    static QStringList localPaths(const QStringList& uris);
    // The actions ActivateAction knows: those the desktop entry declares. Others are answered with
    // com.halvane.Quillory.Error.UnknownAction.
    static QStringList actions();

public Q_SLOTS:
    void Activate(const QVariantMap& platform_data);
    void Open(const QStringList& uris, const QVariantMap& platform_data);
    void ActivateAction(const QString& action_name, const QVariantList& parameter, const QVariantMap& platform_data);

private:
    DBusServices* services_;
};

} // namespace quillory::dbus
