// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BackgroundJob.h"
#include "app/Logger.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/Registry.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <regex>
#include <thread>

using namespace quillory;
using namespace std::chrono_literals;

namespace {

TEST(NotificationCenterTest, ObserversRunOnTheMainThreadWithThePayload) {
    MainQueue queue;
    NotificationCenter center(queue);
    std::thread::id seenOn;
    std::string seenText;
    center.addObserver("removeFiles", [&](const Notification& n) {
        seenOn = std::this_thread::get_id();
        seenText = std::any_cast<std::string>(n.object);
    });
    std::thread poster([&] { center.post("removeFiles", std::string("1,2,3")); });
    poster.join();
    EXPECT_TRUE(queue.runUntil([&] { return !seenText.empty(); }, 2s));
    EXPECT_EQ(seenOn, std::this_thread::get_id());
    EXPECT_EQ(seenText, "1,2,3");
}

TEST(NotificationCenterTest, PostingNeverWaitsForObservers) {
    MainQueue queue;
    NotificationCenter center(queue);
    std::atomic<bool> release{false};
    std::atomic<int> delivered{0};
    center.addObserver("applyChanges", [&](const Notification&) {
        while (!release)
            std::this_thread::sleep_for(1ms);
        ++delivered;
    });
    // The main thread is busy in an observer; a background poster must still return at once.
    std::atomic<bool> posted{false};
    center.post("applyChanges");
    std::thread runner([&] {
        queue.adoptCurrentThread();
        queue.runPending();
    });
    std::thread poster([&] {
        center.post("applyChanges");
        posted = true;
    });
    poster.join();
    EXPECT_TRUE(posted);
    release = true;
    runner.join();
    queue.runPending();
    EXPECT_EQ(delivered, 2);
}

TEST(NotificationCenterTest, RemovedObserversAndOtherNamesAreNotCalled) {
    MainQueue queue;
    NotificationCenter center(queue);
    int calls = 0;
    const auto token = center.addObserver("applyChanges", [&](const Notification&) { ++calls; });
    center.addObserver("dataSourceUpdated", [&](const Notification&) { calls += 100; });
    center.post("applyChanges");
    queue.runPending();
    center.removeObserver(token);
    center.post("applyChanges");
    queue.runPending();
    EXPECT_EQ(calls, 1);
}

// The owner of a wake-up hook may be gone the moment it has replaced the hook: a call already running on a
// posting thread must end first.
TEST(MainQueueTest, ReplacingTheWakeUpWaitsForTheCallInProgress) {
    MainQueue queue;
    std::atomic<bool> inHook{false};
    std::atomic<bool> release{false};
    std::atomic<bool> hookDone{false};
    queue.setWakeUp([&] {
        inHook = true;
        while (!release)
            std::this_thread::yield();
        hookDone = true;
    });
    std::thread poster([&] { queue.enqueue([] {}); });
    while (!inHook)
        std::this_thread::yield();
    std::atomic<bool> replaced{false};
    std::thread owner([&] {
        queue.setWakeUp({});
        replaced = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(replaced) << "the hook was replaced while it was still running";
    release = true;
    owner.join();
    poster.join();
    EXPECT_TRUE(hookDone && replaced);
    queue.enqueue([] {}); // no hook any more: nothing is called
    EXPECT_EQ(queue.runPending(), 2u);
}

TEST(LoggerTest, LineBeginsWithLocalTimeAndABlank) {
    const std::string line = Logger::formatLine("🔶 Renaming 3 files");
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} 🔶 Renaming 3 files\n)")))
        << line;
}

TEST(LoggerTest, FileSinkGetsJoinedItems) {
    test::TempDir dir;
    const auto path = dir.path() / "state" / "quillory.log";
    Logger::setSink(LogSink::file, path);
    Logger::log("Registered injectable for: ", "FileDataSource", " #", 3);
    Logger::error("⚠️ WARNING: ", "broken");
    Logger::setSink(LogSink::off);
    Logger::log("not written");
    const std::string content = test::readFile(path);
    EXPECT_NE(content.find(" Registered injectable for: FileDataSource #3\n"), std::string::npos);
    EXPECT_NE(content.find(" ⚠️ WARNING: broken\n"), std::string::npos);
    EXPECT_EQ(content.find("not written"), std::string::npos);
    Logger::setSink(LogSink::standardStreams);
}

struct Service {
    int value = 7;
};

TEST(RegistryTest, InjectFindsTheRegisteredObjectByType) {
    Registry registry;
    Inject<Service> missing(registry);
    EXPECT_FALSE(missing);
    registry.add(std::make_shared<Service>(), "Service");
    Inject<Service> service(registry);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->value, 7);
}

// Starts a run that spins until it is told to stop and then calls `atStop`; returns once the run is going.
void startUntilStopped(BackgroundJob& job, std::function<void()> atStop) {
    auto started = std::make_shared<std::atomic<bool>>(false);
    job.start([started, atStop](std::stop_token stop) {
        *started = true;
        while (!stop.stop_requested())
            std::this_thread::sleep_for(1ms);
        atStop();
    });
    while (!*started)
        std::this_thread::sleep_for(1ms);
}

TEST(BackgroundJobTest, StartingAgainCancelsTheRunningWork) {
    BackgroundJob job;
    std::atomic<bool> firstStopped{false};
    startUntilStopped(job, [&] { firstStopped = true; });
    std::atomic<int> second{0};
    job.start([&](std::stop_token) { second = 1; });
    EXPECT_TRUE(firstStopped) << "start() waits for the cancelled run to end";
    job.wait();
    EXPECT_EQ(second, 1);
    EXPECT_FALSE(job.isRunning());
}

TEST(BackgroundJobTest, CancelReachesARunThatSomeoneIsWaitingFor) {
    BackgroundJob job;
    startUntilStopped(job, [] {});
    // Only the cancel below ends the run; a wait() that held the job's lock would keep it out for ever.
    std::thread waiter([&] { job.wait(); });
    std::this_thread::sleep_for(20ms);
    job.cancel();
    waiter.join();
    EXPECT_FALSE(job.isRunning());
}

TEST(BackgroundJobTest, ARunMayCancelOrRestartItsOwnJob) {
    BackgroundJob job;
    std::atomic<bool> firstEnded{false};
    // A run that tells its end through its own job, as a progress handler does, while another thread
    // restarts the job: the restart waits for the run without locking it out.
    startUntilStopped(job, [&] {
        job.cancel();
        (void)job.isRunning();
        firstEnded = true;
    });
    std::atomic<int> restarted{0};
    job.start([&](std::stop_token) { ++restarted; });
    EXPECT_TRUE(firstEnded);
    job.wait();
    EXPECT_EQ(restarted, 1);

    // A run that starts the next run of its own job cannot wait for itself; the next one still runs.
    std::atomic<int> chained{0};
    job.start([&](std::stop_token) { job.start([&](std::stop_token) { chained = 2; }); });
    for (int i = 0; i < 100000 && chained == 0; ++i)
        std::this_thread::sleep_for(1ms);
    job.cancelAndWait();
    EXPECT_EQ(chained, 2);
    EXPECT_FALSE(job.isRunning());
}

TEST(SerialExecutorTest, OperationsRunOneAtATimeAndMayNest) {
    SerialExecutor executor;
    long counter = 0; // deliberately not atomic: only the executor keeps it consistent
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i)
                executor.run([&] { ++counter; });
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
    // An operation may call back into the executor without waiting for itself.
    EXPECT_EQ(executor.run([&] { return executor.run([&] { return counter + 1; }); }), 80001);
}

} // namespace
