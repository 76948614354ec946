// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "PresetUserInteraction.h"
#include "automation/Session.h"
#include "dbus/DBusServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>

namespace quillory::test {

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
    nlohmann::ordered_json files();
    nlohmann::ordered_json validationResult();

    TempDir temp_;
    std::filesystem::path folder_;
    PresetUserInteraction interaction_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<dbus::DBusServices> services_;
    QDBusConnection client_{QString()};
    bool ownsName_ = false;
};

} // namespace quillory::test
