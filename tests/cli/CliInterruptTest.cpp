// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C and unreachable place-name services: quillory-cli stops between files with nothing half-done,
// and gives up on a service that does not answer after the first try, naming it.
#include "CliRunner.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace quillory::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

// A place-name service on 127.0.0.1 that either never answers (the connection is held open) or
// answers every request with "503 Service Unavailable".
class SlowService {
public:
    enum class Mode { silent, busy };

    explicit SlowService(Mode mode) : mode_(mode) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~SlowService() {
        stop_ = true;
        thread_.join();
        for (int client : held_)
            ::close(client);
        ::close(listener_);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_; }

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            ++connections_;
            if (mode_ == Mode::silent) {
                held_.push_back(client);
                continue;
            }
            char buffer[4096];
            std::string request;
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const std::string answer =
                "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            [[maybe_unused]] const auto sent = ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    Mode mode_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::vector<int> held_;
    std::thread thread_;
};

const std::vector<std::string> kPhotoNames = {"img_gps_amsterdam.jpg", "img_gps_newyork.jpg", "img_gps_sydney.jpg"};

fs::path copyPhotos(CliRunner& cli) {
    const auto target = cli.home() / "photos";
    fs::create_directories(target);
    for (const auto& name : kPhotoNames)
        fs::copy_file(fs::path(kCorpusDir) / name, target / name);
    return target;
}

TEST(CliInterruptTest, CtrlCWhileWaitingForThePlaceNameServiceEndsTheRunWithNothingRenamed) {
    CliRunner cli;
    const auto photos = copyPhotos(cli);
    SlowService service(SlowService::Mode::silent);
    CliRunner::Terminal ctrlC;
    ctrlC.killWhen = [&] { return service.connections() > 0; };
    ctrlC.killSignal = SIGINT;
    const auto result =
        cli.run({"--rename", "--setting", "gpsGeocoder=" + service.url(), "--set", "{city}", photos.string()}, ctrlC);
    EXPECT_EQ(result.exitCode, 130) << result.out << result.err;
    EXPECT_THAT(result.err, HasSubstr("Interrupted: nothing was renamed."));
    EXPECT_EQ(service.connections(), 1);
    EXPECT_EQ(listing(photos), kPhotoNames);
    EXPECT_THAT(cli.run({"--history"}).out, Not(HasSubstr("interrupted")));
}

TEST(CliInterruptTest, AnUnavailableServiceIsAskedOnceAndNamedOnce) {
    CliRunner cli;
    const auto photos = copyPhotos(cli);
    SlowService service(SlowService::Mode::busy);
    const auto result =
        cli.run({"--rename", "--setting", "gpsGeocoder=" + service.url(), "--set", "{city}", photos.string()});
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    // Three places to look up, one request: no retries, no pauses of a minute.
    EXPECT_EQ(service.connections(), 1);
    const std::string named = "The place-name service " + service.host() + " cannot be reached";
    EXPECT_THAT(result.err, HasSubstr(named));
    EXPECT_EQ(result.err.find(named), result.err.rfind(named)) << result.err;
    EXPECT_EQ(listing(photos), kPhotoNames);
}

// Ctrl-C in the middle of renaming many files: the run ends between two files, says how far it got, and
// leaves every file either renamed or where it was, with the run recorded as closed.
TEST(CliInterruptTest, CtrlCWhileRenamingStopsBetweenFilesAndReportsWhatWasDone) {
    CliRunner cli(test::memoryBackedFolder());
    constexpr int count = 2000;
    for (int i = 0; i < count; ++i)
        cli.write("trip/f_" + std::to_string(i) + ".txt", std::to_string(i));
    CliRunner::Terminal ctrlC;
    ctrlC.killSignal = SIGINT;
    ctrlC.killWhen = [&] { return cli.journalPlanned(); };
    const auto result = cli.run({"--rename", "--replace", "_", " ", (cli.home() / "trip").string()}, ctrlC);
    const auto files = listing(cli.home() / "trip");
    ASSERT_EQ(files.size(), std::size_t(count));
    std::size_t renamed = 0;
    for (const auto& name : files) {
        EXPECT_TRUE(name.starts_with("f_") || name.starts_with("f ")) << name;
        renamed += name.starts_with("f ");
    }
    if (result.exitCode == 0) {
        GTEST_SKIP() << "the run ended before the signal came";
    }
    ASSERT_EQ(result.exitCode, 130) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr("Renamed " + std::to_string(renamed) + " of 2000 files"));
    EXPECT_THAT(result.err, HasSubstr("Interrupted: " + std::to_string(renamed) + " of 2000 files were renamed"));
    EXPECT_LT(renamed, std::size_t(count));
    EXPECT_THAT(cli.run({"--history"}).err, Not(HasSubstr("was interrupted")));
}

} // namespace
} // namespace quillory::test
