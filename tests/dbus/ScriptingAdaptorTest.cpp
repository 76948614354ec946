// SPDX-License-Identifier: GPL-3.0-or-later
#include "DBusFixture.h"
#include "ImmutableFolder.h"

#include "dbus/DBusNames.h"
#include "dbus/ScriptingAdaptor.h"
#include "model/Transformer.h"

#include <QCoreApplication>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace quillory::test {
namespace {

using ScriptingAdaptorTest = DBusFixture;

const char* underscoresToSpaces = R"({"type":"simple","transformScope":"filename",
    "properties":{"simpleFindText":"_","simpleReplaceText":" "}})";

std::vector<std::string> column(const nlohmann::ordered_json& files, const char* key) {
    std::vector<std::string> values;
    for (const auto& file : files)
        values.push_back(file.at(key).get<std::string>());
    return values;
}

bool isError(const QDBusMessage& answer, const char* name) {
    return answer.type() == QDBusMessage::ErrorMessage && answer.errorName() == QString::fromLatin1(name);
}

TEST_F(ScriptingAdaptorTest, OpenDirectoryThenFilesListsTheFilesWithTheCliFields) {
    const auto opened = call("OpenDirectory", {QString::fromStdString(folder_.string())});
    ASSERT_EQ(opened.type(), QDBusMessage::ReplyMessage) << text(opened);

    const auto list = files();
    ASSERT_TRUE(list.is_array());
    EXPECT_EQ(column(list, "name"), (std::vector<std::string>{"a_1", "b_2", "c_3"}));
    EXPECT_EQ(column(list, "path"), std::vector<std::string>(3, folder_.string()));
    std::vector<std::string> keys;
    for (const auto& item : list.front().items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"identifier", "displayName", "path", "name", "ext", "transformedPath",
                                              "transformedName", "transformedExt", "transformedFullPath", "warnings",
                                              "errors", "uniqueSuffix"}));
    EXPECT_EQ(list.front().at("displayName"), (folder_ / "a_1.txt").string());

    const auto missing = call("OpenDirectory", {QString::fromStdString((temp_.path() / "gone").string())});
    EXPECT_TRUE(isError(missing, dbus::errorFailed)) << text(missing);
}

TEST_F(ScriptingAdaptorTest, TransformIsAnsweredAtOnceAndValidationResultWaitsForItsOutcome) {
    call("OpenDirectory", {QString::fromStdString(folder_.string())});
    const auto added = call("AddTransformer", {QString::fromLatin1(underscoresToSpaces)});
    ASSERT_EQ(added.type(), QDBusMessage::ReplyMessage) << text(added);
    EXPECT_FALSE(text(added).empty());

    // Hold the queue (as the window does while it renames) so that the pass cannot have run when
    // Transform is answered.
    services_->queue().hold();
    const auto transform = call("Transform");
    EXPECT_EQ(transform.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(services_->queue().pendingCount(), 1u);
    services_->queue().release();

    const auto result = validationResult();
    EXPECT_EQ(result.at("isPending"), false);
    EXPECT_EQ(result.at("totalCount"), 3);
    EXPECT_EQ(result.at("renameCount"), 3);
    EXPECT_EQ(result.at("errorCount"), 0);
    EXPECT_EQ(column(files(), "transformedName"), (std::vector<std::string>{"a 1", "b 2", "c 3"}));
}

TEST_F(ScriptingAdaptorTest, ValidationResultAnswersWithATimeoutWhenNothingSettlesInTime) {
    services_->scripting()->setValidationLimit(std::chrono::milliseconds(100));
    services_->queue().hold();
    const auto answer = call("ValidationResult");
    services_->queue().release();
    EXPECT_TRUE(isError(answer, dbus::errorTimeout)) << text(answer);
    // The queue goes on: the next read is answered.
    services_->scripting()->setValidationLimit(std::chrono::seconds(30));
    EXPECT_EQ(validationResult().at("totalCount"), 0);
}

TEST_F(ScriptingAdaptorTest, BadJsonIsAnErrorWithTheMessageAndLeavesTheChainAsItWas) {
    call("OpenDirectory", {QString::fromStdString(folder_.string())});
    const auto malformed = call("AddTransformer", {QStringLiteral("{\"type\": ")});
    EXPECT_TRUE(isError(malformed, dbus::errorInvalidJson)) << text(malformed);
    EXPECT_NE(text(malformed).find("parse error"), std::string::npos) << text(malformed);

    const auto unknown = call("AddTransformer", {QStringLiteral(R"({"type":"teleport","transformScope":"filename","properties":{}})")});
    EXPECT_TRUE(isError(unknown, dbus::errorInvalidJson)) << text(unknown);
    EXPECT_NE(text(unknown).find("teleport"), std::string::npos) << text(unknown);

    const auto recipe = call("OpenRecipe", {QStringLiteral("{\"transformers\": [")});
    EXPECT_TRUE(isError(recipe, dbus::errorInvalidJson)) << text(recipe);

    EXPECT_TRUE(session_->chain().empty());
}

TEST_F(ScriptingAdaptorTest, AddTransformerAppendsAndGivesATakenIdANewOne) {
    const QString json = QStringLiteral(R"({"id":"transformer_X","type":"simple","transformScope":"filename",
        "properties":{"simpleFindText":"a","simpleReplaceText":"b"}})");
    EXPECT_EQ(text(call("AddTransformer", {json})), "transformer_X");
    const auto second = text(call("AddTransformer", {json}));
    EXPECT_NE(second, "transformer_X");
    ASSERT_EQ(session_->chain().size(), 2u);
    EXPECT_EQ(session_->chain()[1].id, second);

    EXPECT_EQ(call("ClearTransformers").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(session_->chain().empty());
}

TEST_F(ScriptingAdaptorTest, OpenRecipeTakesJsonTextOrAPathUnderHome) {
    const std::string recipe = R"({"recipe_format_version":"8.0","sortOrder":"none","transformers":[)" +
                               std::string(underscoresToSpaces) + "]}";
    EXPECT_EQ(text(call("OpenRecipe", {QString::fromStdString(recipe)})), recipe);
    EXPECT_EQ(session_->chain().size(), 1u);

    temp_.write("home/Recipes/a.recipe", recipe);
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", (temp_.path() / "home").c_str());
    call("ClearTransformers");
    const auto answer = call("OpenRecipe", {QStringLiteral("~/Recipes/a.recipe")});
    qputenv("HOME", oldHome);
    EXPECT_EQ(text(answer), (temp_.path() / "home/Recipes/a.recipe").string());
    EXPECT_EQ(session_->chain().size(), 1u);

    const auto missing = call("OpenRecipe", {QString::fromStdString((temp_.path() / "none.recipe").string())});
    EXPECT_TRUE(isError(missing, dbus::errorFailed)) << text(missing);
}

TEST_F(ScriptingAdaptorTest, RenameGoesAheadOnlyWithForceWhenSomeFilesHaveErrors) {
    call("OpenDirectory", {QString::fromStdString(folder_.string())});
    // b_2 loses its whole name: an error; the other two only change.
    call("AddTransformer", {QStringLiteral(R"({"type":"simple","transformScope":"filename",
        "properties":{"simpleFindText":"b_2","simpleReplaceText":""}})")});
    call("AddTransformer", {QString::fromLatin1(underscoresToSpaces)});
    call("Transform");
    EXPECT_EQ(validationResult().at("errorCount"), 1);

    const auto refused = call("Rename", {false});
    ASSERT_EQ(refused.type(), QDBusMessage::ReplyMessage) << text(refused);
    EXPECT_FALSE(refused.arguments().front().toBool());
    EXPECT_TRUE(std::filesystem::exists(folder_ / "a_1.txt"));

    const auto forced = call("Rename", {true});
    ASSERT_EQ(forced.type(), QDBusMessage::ReplyMessage) << text(forced);
    EXPECT_TRUE(forced.arguments().front().toBool());
    EXPECT_TRUE(std::filesystem::exists(folder_ / "a 1.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "c 3.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "b_2.txt"));
}

TEST_F(ScriptingAdaptorTest, ScriptingCallsInterleaveWithTheWindowsOwnChainEditsWithoutLosingAny) {
    call("OpenDirectory", {QString::fromStdString(folder_.string())});
    // The window edits the chain on its thread whenever the event loop turns, which it does while the
    // script waits for its answers.
    int windowEdits = 0;
    QTimer window;
    QObject::connect(&window, &QTimer::timeout, [&] {
        if (windowEdits == 40)
            return window.stop();
        Transformer edit = Transformer::fromJson(nlohmann::ordered_json::parse(underscoresToSpaces)).value();
        edit.id = "window_" + std::to_string(windowEdits++);
        session_->addAction(std::move(edit));
    });
    window.start(0);
    std::vector<std::string> scripted;
    for (int i = 0; i < 15; ++i) {
        const auto added = call("AddTransformer", {QString::fromLatin1(underscoresToSpaces)});
        ASSERT_EQ(added.type(), QDBusMessage::ReplyMessage) << text(added);
        scripted.push_back(text(added));
        call("Transform");
        EXPECT_EQ(files().size(), 3u);
    }
    while (window.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    const auto chain = session_->chain();
    EXPECT_EQ(chain.size(), scripted.size() + 40u);
    for (const auto& id : scripted)
        EXPECT_TRUE(std::any_of(chain.begin(), chain.end(), [&](const Transformer& t) { return t.id == id; })) << id;
    EXPECT_EQ(validationResult().at("totalCount"), 3);
}

// A rename that fails on one file asks whether to go on. The question is asked on the Session's thread,
// in a nested event loop as a dialog runs it; a call that arrives meanwhile waits for the rename.
TEST_F(ScriptingAdaptorTest, ARenameAsksItsQuestionOnTheSessionsThreadAndLaterCallsWaitForIt) {
    const test::ImmutableFolder x(folder_ / "x"); // the first move fails at run time
    call("OpenDirectory", {QString::fromStdString(folder_.string())});
    call("AddTransformer", {QStringLiteral(R"({"type":"regularexpression","transformScope":"fullpath",
        "properties":{"regexFindText":"/(a_1)\\.txt$","regexReplaceText":"/x/$1.txt"}})")});
    call("AddTransformer", {QString::fromLatin1(underscoresToSpaces)});

    std::vector<std::string> questions;
    bool askedOnSessionThread = false;
    bool filesWaited = false;
    std::unique_ptr<QDBusPendingCallWatcher> filesCall;
    interaction_.onAsk = [&](const UserInteraction::Question& question) {
        questions.push_back(question.message);
        askedOnSessionThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        auto message = QDBusMessage::createMethodCall(QString::fromLatin1(dbus::serviceName),
                                                      QString::fromLatin1(dbus::objectPath),
                                                      QString::fromLatin1(dbus::scriptingInterface),
                                                      QStringLiteral("Files"));
        filesCall = std::make_unique<QDBusPendingCallWatcher>(client_.asyncCall(message));
        // The dialog's loop: serve events until the call has arrived (bounded, should it never come).
        const QDeadlineTimer safety(20000);
        while (services_->queue().pendingCount() == 0 && !safety.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        filesWaited = services_->queue().pendingCount() == 1 && !filesCall->isFinished();
        return UserInteraction::Answer{0, false}; // "Continue"
    };

    const auto renamed = call("Rename", {true});
    ASSERT_EQ(renamed.type(), QDBusMessage::ReplyMessage) << text(renamed);
    EXPECT_TRUE(renamed.arguments().front().toBool());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("Unable to rename"), std::string::npos) << questions[0];
    EXPECT_TRUE(askedOnSessionThread);
    EXPECT_TRUE(filesWaited);
    EXPECT_TRUE(std::filesystem::exists(folder_ / "a_1.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "b 2.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "c 3.txt"));

    // The waiting call ran after the rename: it lists the new names.
    ASSERT_TRUE(filesCall);
    filesCall->waitForFinished();
    const QDBusMessage listed = filesCall->reply();
    ASSERT_EQ(listed.type(), QDBusMessage::ReplyMessage) << text(listed);
    const auto names = column(nlohmann::ordered_json::parse(text(listed)), "name");
    EXPECT_NE(std::find(names.begin(), names.end(), "b 2"), names.end()) << text(listed);
}

TEST_F(ScriptingAdaptorTest, ActivateActionRunsTheDesktopEntrysActionsAndRefusesOthers) {
    QSignalSpy actions(services_.get(), &dbus::DBusServices::actionRequested);
    const QVariantMap platform{{QStringLiteral("activation-token"), QStringLiteral("t-1")}};
    const auto known = call("ActivateAction",
                            {QStringLiteral("open-folder"), QVariant::fromValue(QVariantList{}), platform},
                            dbus::applicationInterface);
    EXPECT_EQ(known.type(), QDBusMessage::ReplyMessage) << text(known);
    services_->queue().waitForIdle();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0][0].toString(), QStringLiteral("open-folder"));
    EXPECT_EQ(actions[0][2].toString(), QStringLiteral("t-1"));

    const auto unknown = call("ActivateAction",
                              {QStringLiteral("new-window"), QVariant::fromValue(QVariantList{}), QVariantMap{}},
                              dbus::applicationInterface);
    EXPECT_TRUE(isError(unknown, dbus::errorUnknownAction)) << text(unknown);
    EXPECT_NE(text(unknown).find("new-window"), std::string::npos) << text(unknown);
    services_->queue().waitForIdle();
    EXPECT_EQ(actions.size(), 1);
}

} // namespace
} // namespace quillory::test
