// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusFixture.h"

#include "dbus/ApplicationAdaptor.h"
#include "dbus/DBusNames.h"
#include "dbus/ScriptingAdaptor.h"
#include "dbus/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <csignal>

namespace quillory::test {
namespace {

using SingleInstanceTest = DBusFixture;

// Runs a program to its end while this process keeps serving the bus.
int runServing(QProcess& process, const QString& program, const QStringList& arguments) {
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    loop.exec();
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
               ? process.exitCode()
               : -1;
}

TEST_F(SingleInstanceTest, ASecondLaunchHandsItsFilesAndRecipeToTheRunningOneAndExitsZero) {
    QSignalSpy opened(services_.get(), &dbus::DBusServices::openRequested);
    const auto recipeFile = temp_.write("names.recipe", "{}");
    const QString recipeJson = QStringLiteral(R"({"recipe_format_version":"8.0","transformers":[
        {"type":"simple","transformScope":"filename","properties":{"simpleFindText":"_","simpleReplaceText":"-"}}]})");

    QProcess second;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("token-42"));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(QString::fromStdString(folder_.string()));
    const int status = runServing(second, QStringLiteral(QUILLORY_DBUS_HOST),
                                  {QStringLiteral("a_1.txt"), QString::fromStdString(recipeFile.string()),
                                   QStringLiteral("-r"), recipeJson});
    EXPECT_EQ(status, 0) << second.readAllStandardError().toStdString();

    if (opened.isEmpty())
        opened.wait(5000);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0][0].toStringList(), (QStringList{QString::fromStdString((folder_ / "a_1.txt").string()),
                                                        QString::fromStdString(recipeFile.string())}));
    EXPECT_EQ(opened[0][1].toString(), QStringLiteral("token-42"));
    services_->queue().waitForIdle();
    ASSERT_EQ(session_->chain().size(), 1u);
    EXPECT_EQ(session_->chain()[0].type, "simple");
}

// With nothing to open the running one is brought forward; with the desktop entry's action, that action runs.
TEST_F(SingleInstanceTest, ALaunchWithNothingToOpenOrWithAnActionActivatesTheRunningOne) {
    QSignalSpy activated(services_.get(), &dbus::DBusServices::activateRequested);
    QSignalSpy actions(services_.get(), &dbus::DBusServices::actionRequested);
    QProcess plain, action;
    EXPECT_EQ(runServing(plain, QStringLiteral(QUILLORY_DBUS_HOST), {}), 0);
    if (activated.isEmpty())
        activated.wait(5000);
    EXPECT_EQ(activated.size(), 1);
    EXPECT_EQ(runServing(action, QStringLiteral(QUILLORY_DBUS_HOST), {QStringLiteral("--open-folder")}), 0)
        << action.readAllStandardError().toStdString();
    if (actions.isEmpty())
        actions.wait(5000);
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0][0].toString(), QStringLiteral("open-folder"));
}

TEST_F(SingleInstanceTest, OnlyOneProcessOwnsTheName) {
    EXPECT_NE(dbus::SingleInstance::tryHandOver({}, QDBusConnection::sessionBus()),
              dbus::SingleInstance::Outcome::primary);
    EXPECT_FALSE(dbus::SingleInstance::claim(client_));
    QDBusConnection::sessionBus().interface()->unregisterService(QString::fromLatin1(dbus::serviceName));
    ownsName_ = false;
    EXPECT_EQ(dbus::SingleInstance::tryHandOver({}, client_), dbus::SingleInstance::Outcome::primary);
    EXPECT_TRUE(dbus::SingleInstance::claim(client_));
    client_.interface()->unregisterService(QString::fromLatin1(dbus::serviceName));
}

TEST(SingleInstanceRequestTest, PathsAndRecipeFilesBecomeAbsoluteFileUrisAndRecipeJsonIsKept) {
    const QString cwd = QDir::currentPath();
    const auto request = dbus::SingleInstance::requestFrom(
        {QStringLiteral("quillory"), QStringLiteral("a b.txt"), QStringLiteral("-d"), QStringLiteral("/srv/x"),
         QStringLiteral("/srv/y"), QStringLiteral("-r"), QStringLiteral("{\"transformers\":[]}"),
         QStringLiteral("ignored"), QStringLiteral("--other"), QStringLiteral("dropped")});
    EXPECT_EQ(request.uris, (QStringList{QUrl::fromLocalFile(cwd + QStringLiteral("/a b.txt")).toString(),
                                         QStringLiteral("file:///srv/x"), QStringLiteral("file:///srv/y")}));
    EXPECT_EQ(request.recipe, QStringLiteral("{\"transformers\":[]}"));

    const auto action = dbus::SingleInstance::requestFrom(
        {QStringLiteral("quillory"), QStringLiteral("--open-folder"), QStringLiteral("a.txt")});
    EXPECT_EQ(action.action, QStringLiteral("open-folder"));
    EXPECT_EQ(action.uris, QStringList{QUrl::fromLocalFile(cwd + QStringLiteral("/a.txt")).toString()});

    const auto file = dbus::SingleInstance::requestFrom(
        {QStringLiteral("quillory"), QStringLiteral("-r"), QStringLiteral("names.recipe")});
    EXPECT_EQ(file.uris, QStringList{QUrl::fromLocalFile(cwd + QStringLiteral("/names.recipe")).toString()});
    EXPECT_TRUE(file.recipe.isEmpty());
}

TEST(ApplicationAdaptorTest, OnlyLocalFilesAreOpenedAndTheTokenIsFound) {
    EXPECT_EQ(dbus::ApplicationAdaptor::localPaths({QStringLiteral("file:///home/u/a%20b.jpg"),
                                                    QStringLiteral("https://example.org/x"),
                                                    QStringLiteral("/plain/path"), QStringLiteral("relative")}),
              (QStringList{QStringLiteral("/home/u/a b.jpg"), QStringLiteral("/plain/path")}));
    EXPECT_EQ(dbus::ApplicationAdaptor::activationToken({{QStringLiteral("desktop-startup-id"), QStringLiteral("x11")}}),
              QStringLiteral("x11"));
    EXPECT_TRUE(dbus::ApplicationAdaptor::activationToken({}).isEmpty());
}

// The bus starts the host through its service file on the first call, as it would start the app.
TEST(DBusActivationTest, GdbusCallStartsTheServiceAndFilesReturnsTheList) {
    TempDir temp;
    const auto folder = temp.mkdir("photos");
    temp.write("photos/IMG_0001.jpg", "x");
    temp.write("photos/IMG_0002.jpg", "y");
    const auto gdbus = [](const QStringList& method) {
        QProcess process;
        process.start(QStringLiteral(QUILLORY_GDBUS),
                      QStringList{QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                                  QStringLiteral("com.halvane.Quillory"), QStringLiteral("--object-path"),
                                  QStringLiteral("/com/halvane/Quillory"), QStringLiteral("--method")} +
                          method);
        process.waitForFinished(30000);
        return std::make_pair(process.exitCode(), process.readAllStandardOutput().toStdString() +
                                                      process.readAllStandardError().toStdString());
    };
    // The host was started by the bus for this test; it ends with it, whatever the outcome.
    struct EndHost {
        ~EndHost() {
            const QDBusReply<uint> pid =
                QDBusConnection::sessionBus().interface()->servicePid(QStringLiteral("com.halvane.Quillory"));
            if (pid.isValid())
                ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
        }
    } endHost;
    const auto opened =
        gdbus({QStringLiteral("com.halvane.Quillory.Scripting.OpenDirectory"), QString::fromStdString(folder.string())});
    ASSERT_EQ(opened.first, 0) << opened.second;
    const auto [status, output] = gdbus({QStringLiteral("com.halvane.Quillory.Scripting.Files")});
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("IMG_0001"), std::string::npos) << output;
    EXPECT_NE(output.find("IMG_0002"), std::string::npos) << output;
}

} // namespace
} // namespace quillory::test
