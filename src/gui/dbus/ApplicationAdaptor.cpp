// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationAdaptor.h"

#include "DBusServices.h"

#include <QMetaObject>
#include <QUrl>

namespace quillory::dbus {

ApplicationAdaptor::ApplicationAdaptor(DBusServices* parent) : QDBusAbstractAdaptor(parent), services_(parent) {}

QString ApplicationAdaptor::activationToken(const QVariantMap& platformData) {
    for (const char* key : {"activation-token", "desktop-startup-id"}) {
        const QString token = platformData.value(QString::fromLatin1(key)).toString();
        if (!token.isEmpty())
            return token;
    }
    return {};
}

QStringList ApplicationAdaptor::localPaths(const QStringList& uris) {
    QStringList paths;
    for (const QString& uri : uris) {
        if (uri.startsWith(QLatin1Char('/'))) {
            paths << uri;
            continue;
        }
        const QUrl url(uri);
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

void ApplicationAdaptor::Activate(const QVariantMap& platform_data) {
    QMetaObject::invokeMethod(services_, "activateRequested", Qt::QueuedConnection,
                              Q_ARG(QString, activationToken(platform_data)));
}

void ApplicationAdaptor::Open(const QStringList& uris, const QVariantMap& platform_data) {
    QMetaObject::invokeMethod(services_, "openRequested", Qt::QueuedConnection, Q_ARG(QStringList, localPaths(uris)),
                              Q_ARG(QString, activationToken(platform_data)));
}

void ApplicationAdaptor::ActivateAction(const QString& action_name, const QVariantList& parameter,
                                        const QVariantMap& platform_data) {
    QMetaObject::invokeMethod(services_, "actionRequested", Qt::QueuedConnection, Q_ARG(QString, action_name),
                              Q_ARG(QVariantList, parameter), Q_ARG(QString, activationToken(platform_data)));
}

} // namespace quillory::dbus
