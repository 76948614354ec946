// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include "DBusNames.h"
#include "app/Logger.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QVariantMap>

namespace quillory::dbus {
namespace {

QString fileUri(const QString& path) { return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(); }

bool send(QDBusConnection& bus, const char* interface, const char* method, const QVariantList& arguments) {
    auto call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                               QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    const QDBusMessage answer = bus.call(call);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        Logger::error("D-Bus: ", method, " on the running instance failed: ", answer.errorMessage().toStdString());
        return false;
    }
    return true;
}

} // namespace

SingleInstance::Request SingleInstance::requestFrom(const QStringList& arguments) {
    Request request;
    QString option;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--") + QLatin1String(actionOpenFolder)) {
            request.action = QString::fromLatin1(actionOpenFolder);
            continue;
        }
        if (argument.startsWith(QLatin1Char('-'))) {
            option = argument;
            continue;
        }
        if (option.isEmpty() || option == QLatin1String("-d"))
            request.uris << fileUri(argument);
        else if (option == QLatin1String("-r") && request.recipe.isEmpty())
            request.recipe = argument;
    }
    // A recipe file goes with the files: the app opens "*.recipe" as a recipe, even without scripting.
    if (request.recipe.endsWith(QLatin1String(".recipe"), Qt::CaseInsensitive)) {
        QString path = request.recipe;
        if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
            path = QDir::homePath() + path.mid(1);
        request.uris << fileUri(path);
        request.recipe.clear();
    }
    return request;
}

QString SingleInstance::launchActivationToken() {
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QString token = qEnvironmentVariable(name);
        if (!token.isEmpty())
            return token;
    }
    return {};
}

SingleInstance::Outcome SingleInstance::tryHandOver(const QStringList& arguments, QDBusConnection bus) {
    if (!bus.isConnected() || !bus.interface())
        return Outcome::noBus;
    if (!bus.interface()->isServiceRegistered(QString::fromLatin1(serviceName)))
        return Outcome::primary;

    const Request request = requestFrom(arguments);
    QVariantMap platformData;
    if (const QString token = launchActivationToken(); !token.isEmpty()) {
        platformData.insert(QStringLiteral("activation-token"), token);
        platformData.insert(QStringLiteral("desktop-startup-id"), token);
    }
    bool delivered = false;
    if (!request.uris.isEmpty())
        delivered = send(bus, applicationInterface, "Open", {request.uris, platformData});
    else if (!request.action.isEmpty())
        delivered = send(bus, applicationInterface, "ActivateAction",
                         {request.action, QVariant::fromValue(QVariantList{}), platformData});
    else
        delivered = send(bus, applicationInterface, "Activate", {platformData});
    // The other instance went away meanwhile: this one takes over.
    if (!delivered)
        return Outcome::primary;
    if (!request.recipe.isEmpty())
        send(bus, scriptingInterface, "OpenRecipe", {request.recipe});
    if (!request.uris.isEmpty() && !request.action.isEmpty())
        send(bus, applicationInterface, "ActivateAction",
             {request.action, QVariant::fromValue(QVariantList{}), platformData});
    Logger::log("Quillory is running already; handed over to it");
    return Outcome::handedOver;
}

bool SingleInstance::claim(QDBusConnection bus) {
    if (!bus.isConnected() || !bus.interface())
        return false;
    const auto reply = bus.interface()->registerService(QString::fromLatin1(serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

} // namespace quillory::dbus
