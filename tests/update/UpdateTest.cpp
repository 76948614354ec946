// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalHttpServer.h"
#include "update/UpdateBar.h"
#include "update/UpdateCheck.h"
#include "update/UpdateFeed.h"
#include "update/VersionNumber.h"

#include <QMainWindow>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using update::UpdateFeed;
using update::VersionNumber;

VersionNumber version(const char* text) {
    const auto parsed = VersionNumber::parse(text);
    EXPECT_TRUE(parsed.has_value()) << text;
    return parsed.value_or(VersionNumber{});
}

TEST(VersionNumberTest, PartsCompareAsNumbersAndAPreReleaseComesBeforeItsRelease) {
    EXPECT_LT(version("1.9"), version("1.10"));
    EXPECT_LT(version("0.1.0"), version("0.2"));
    EXPECT_EQ(version("1.2"), version("1.2.0"));
    EXPECT_EQ(version("v2.0.0"), version("2.0.0"));
    EXPECT_LT(version("2.0.0-rc.1"), version("2.0.0"));
    EXPECT_LT(version("2.0.0-beta"), version("2.0.0-rc.1"));
    EXPECT_GT(version("2.0.0-rc.1"), version("1.99"));
    for (const char* bad : {"", "v", "1..2", "1.2.", "one", "1.2-", "-1.0", "1.x"})
        EXPECT_FALSE(VersionNumber::parse(bad).has_value()) << bad;
}

const std::string feed = R"({"version": "0.2.0", "message": "Faster folders.", "url": "https://example.org/get"})";

TEST(UpdateFeedTest, AFeedFromALocalServerNamesTheNewerRelease) {
    LocalHttpServer server(LocalHttpServer::ok(feed));
    const auto info = UpdateFeed::fetch(server.url());
    ASSERT_TRUE(info) << info.error().message;
    EXPECT_EQ(info->version, "0.2.0");
    EXPECT_EQ(info->message, "Faster folders.");
    EXPECT_EQ(info->url, "https://example.org/get");
    EXPECT_TRUE(UpdateFeed::isNewer(*info, "0.1.0"));
    EXPECT_FALSE(UpdateFeed::isNewer(*info, "0.2.0"));
    EXPECT_FALSE(UpdateFeed::isNewer(*info, "0.10.0"));
}

TEST(UpdateFeedTest, FailuresAreErrorsNotUpdates) {
    LocalHttpServer missing(LocalHttpServer::ok("{}", "404 Not Found"));
    const auto notFound = UpdateFeed::fetch(missing.url());
    ASSERT_FALSE(notFound);
    EXPECT_NE(notFound.error().message.find("404"), std::string::npos) << notFound.error().message;

    LocalHttpServer garbled(LocalHttpServer::ok("<html>"));
    EXPECT_FALSE(UpdateFeed::fetch(garbled.url()));

    // A link that is no web page is never shown.
    LocalHttpServer script(LocalHttpServer::ok(R"({"version":"9.0","message":"x","url":"file:///bin/sh"})"));
    EXPECT_FALSE(UpdateFeed::fetch(script.url()));

    LocalHttpServer silent("");
    const auto timedOut = UpdateFeed::fetch(silent.url(), std::chrono::milliseconds(300));
    ASSERT_FALSE(timedOut);
    EXPECT_NE(timedOut.error().message.find("imed out"), std::string::npos) << timedOut.error().message;

    // Plain http goes nowhere but this machine.
    const auto remote = UpdateFeed::fetch("http://example.org/version.json");
    ASSERT_FALSE(remote);
    EXPECT_NE(remote.error().message.find("https"), std::string::npos);
}

TEST(UpdateCheckTest, ANewerReleaseShowsADismissibleBarWithTheMessageAndTheLink) {
    LocalHttpServer server(LocalHttpServer::ok(
        R"({"version": "0.2.0", "message": "Faster <b>folders</b>.", "url": "https://example.org/get?a=1&b=2"})"));
    QMainWindow window;
    auto* check = new update::UpdateCheck(window, server.url(), "0.1.0");
    QSignalSpy shown(check, &update::UpdateCheck::updateShown);
    check->start();
    ASSERT_TRUE(shown.wait(5000));

    auto* bar = window.findChild<update::UpdateBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->link(), QStringLiteral("https://example.org/get?a=1&b=2"));
    EXPECT_TRUE(bar->text().contains(QStringLiteral("0.2.0")));
    // The feed's text is shown as text, not as markup.
    EXPECT_TRUE(bar->text().contains(QStringLiteral("Faster &lt;b&gt;folders&lt;/b&gt;.")));
    EXPECT_TRUE(bar->text().contains(QStringLiteral("href=\"https://example.org/get?a=1&amp;b=2\"")));

    QSignalSpy dismissed(bar, &update::UpdateBar::dismissed);
    auto* close = bar->findChild<QToolButton*>();
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_EQ(dismissed.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.findChild<update::UpdateBar*>(), nullptr);
}

TEST(UpdateCheckTest, TheSameReleaseShowsNothing) {
    LocalHttpServer server(LocalHttpServer::ok(feed));
    QMainWindow window;
    auto* check = new update::UpdateCheck(window, server.url(), "0.2.0");
    QSignalSpy none(check, &update::UpdateCheck::noUpdate);
    check->start();
    ASSERT_TRUE(none.wait(5000));
    EXPECT_EQ(window.findChild<update::UpdateBar*>(), nullptr);
    EXPECT_EQ(server.requestCount(), 1);
}

} // namespace
} // namespace quillory::test
