// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "app/UserInteraction.h"
#include "automation/Session.h"
#include "dbus/DBusServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <memory>

namespace quillory::test {

// The user, played by a test: questions go to `onAsk` when set, else get the default button.
class ScriptedUser : public UserInteraction {
public:
    std::function<Answer(const Question&)> onAsk;
    Answer ask(const Question& question) override { return onAsk ? onAsk(question) : Answer{}; }
    void showAlert(const std::string&, const std::string&) override {}
};

// The app's D-Bus object over a Session on a temporary folder, exported on the test bus under the app's
// name, and a second connection that calls it the way a script in another process would.
class DBusFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Calls `method` of `interface` through the bus and waits for the answer, serving calls meanwhile.
    QDBusMessage call(const char* method, const QVariantList& arguments = {},
                      const char* interface = "com.halvane.Quillory.Scripting");
    // The single string an answer carries (the failure message for an error).
    static std::string text(const QDBusMessage& answer);
    // The JSON document a method without arguments answers with.
    nlohmann::ordered_json json(const char* method);
    nlohmann::ordered_json files() { return json("Files"); }
    nlohmann::ordered_json validationResult() { return json("ValidationResult"); }

    TempDir temp_;
    std::filesystem::path folder_;
    ScriptedUser interaction_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<dbus::DBusServices> services_;
    QDBusConnection client_{QString()};
    bool ownsName_ = false;
};

} // namespace quillory::test
