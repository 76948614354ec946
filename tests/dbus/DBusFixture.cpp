// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusFixture.h"

#include "app/Logger.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "dbus/DBusNames.h"
#include "dbus/SingleInstance.h"

#include <QDBusConnectionInterface>

namespace quillory::test {

void DBusFixture::SetUp() {
    Logger::setSink(LogSink::file, temp_.path() / "log.txt");
    folder_ = temp_.mkdir("folder");
    for (const char* name : {"a_1.txt", "b_2.txt", "c_3.txt"})
        temp_.write(std::string("folder/") + name, name);
    Session::Options options;
    options.preferencesFile = temp_.path() / "settings.json";
    options.userInteraction = &interaction_;
    session_ = std::make_unique<Session>(options);
    session_->services().preferences().setTransient(PreferenceKey::customDirectories,
                                                    std::vector<std::string>{temp_.str()});
    session_->reloadSettings();
    services_ = std::make_unique<dbus::DBusServices>(session_.get());
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
    ASSERT_TRUE(services_->exportOn(QDBusConnection::sessionBus()));
    ownsName_ = dbus::SingleInstance::claim();
    ASSERT_TRUE(ownsName_);
    client_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("script"));
    ASSERT_TRUE(client_.isConnected());
}

void DBusFixture::TearDown() {
    if (ownsName_)
        QDBusConnection::sessionBus().interface()->unregisterService(QString::fromLatin1(dbus::serviceName));
    services_.reset();
    session_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("script"));
    Logger::setSink(LogSink::standardStreams);
}

QDBusMessage DBusFixture::call(const char* method, const QVariantList& arguments, const char* interface) {
    auto message = QDBusMessage::createMethodCall(QString::fromLatin1(dbus::serviceName),
                                                  QString::fromLatin1(dbus::objectPath),
                                                  QString::fromLatin1(interface), QString::fromLatin1(method));
    message.setArguments(arguments);
    return client_.call(message, QDBus::BlockWithGui, 30000);
}

std::string DBusFixture::text(const QDBusMessage& answer) {
    if (answer.type() == QDBusMessage::ErrorMessage)
        return answer.errorMessage().toStdString();
    if (answer.arguments().isEmpty())
        return {};
    return answer.arguments().front().toString().toStdString();
}

nlohmann::ordered_json DBusFixture::json(const char* method) {
    const auto answer = call(method);
    EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage) << text(answer);
    return nlohmann::ordered_json::parse(text(answer));
}

} // namespace quillory::test
