// SPDX-License-Identifier: GPL-3.0-or-later
#include "ApplicationAdaptor.h"

#include "DBusNames.h"
#include "DBusServices.h"

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

QStringList ApplicationAdaptor::actions() { return {QString::fromLatin1(actionOpenFolder)}; }

void ApplicationAdaptor::Activate(const QVariantMap& platform_data) {
    services_->queue().enqueue(
        [services = services_, token = activationToken(platform_data)](std::stop_token) {
            emit services->activateRequested(token);
        });
}

void ApplicationAdaptor::Open(const QStringList& uris, const QVariantMap& platform_data) {
    services_->queue().enqueue(
        [services = services_, paths = localPaths(uris), token = activationToken(platform_data)](std::stop_token) {
            emit services->openRequested(paths, token);
        });
}

void ApplicationAdaptor::ActivateAction(const QString& action_name, const QVariantList& parameter,
                                        const QVariantMap& platform_data) {
    if (!actions().contains(action_name)) {
        // Said at once: a launcher that asks for an action the app does not have should hear so.
        if (services_->calledFromDBus())
            services_->sendErrorReply(QString::fromLatin1(errorUnknownAction),
                                      QStringLiteral("Quillory has no action '%1'; it has: %2")
                                          .arg(action_name, actions().join(QStringLiteral(", "))));
        return;
    }
    services_->queue().enqueue([services = services_, action_name, parameter,
                                token = activationToken(platform_data)](std::stop_token) {
        emit services->actionRequested(action_name, parameter, token);
    });
}

} // namespace quillory::dbus
