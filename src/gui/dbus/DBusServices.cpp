// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusServices.h"

#include "ApplicationAdaptor.h"
#include "DBusNames.h"
#include "ScriptingAdaptor.h"
#include "app/Logger.h"

namespace quillory::dbus {

DBusServices::DBusServices(Session* session, QObject* parent)
    : QObject(parent), scripting_(session ? new ScriptingAdaptor(*session, this) : nullptr), bus_(QString()) {
    new ApplicationAdaptor(this);
}

DBusServices::~DBusServices() {
    if (bus_.isConnected())
        bus_.unregisterObject(QString::fromLatin1(objectPath));
}

bool DBusServices::exportOn(QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QString::fromLatin1(objectPath), this, QDBusConnection::ExportAdaptors))
        return false;
    bus_ = bus;
    return true;
}

DBusServices* registerDBusServices(Session* session, QObject* parent) {
    auto* services = new DBusServices(session, parent);
    if (services->exportOn(QDBusConnection::sessionBus()))
        return services;
    Logger::error("D-Bus: no session bus (or the object path is taken); scripting and single instance are off");
    delete services;
    return nullptr;
}

} // namespace quillory::dbus
