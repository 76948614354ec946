// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/ScriptingQueue.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace quillory::test {
namespace {

// Serves the events there are now, a few rounds over, as a nested loop of a dialog would.
void serveEvents() {
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

TEST(ScriptingQueueTest, JobsRunOnTheQueuesThreadInCallOrderAndNeverInsideAnother) {
    dbus::ScriptingQueue queue;
    std::vector<int> order;
    bool allOnQueueThread = true;
    queue.enqueue([&](std::stop_token) {
        allOnQueueThread = allOnQueueThread && QThread::currentThread() == queue.thread();
        // A job that opens a nested event loop (a question) while more calls arrive.
        queue.enqueue([&](std::stop_token) {
            allOnQueueThread = allOnQueueThread && QThread::currentThread() == queue.thread();
            order.push_back(2);
        });
        serveEvents();
        EXPECT_EQ(queue.pendingCount(), 2u) << "the job queued before and the one queued meanwhile wait";
        order.push_back(1);
    });
    queue.enqueue([&](std::stop_token) { order.push_back(3); });
    EXPECT_TRUE(order.empty()) << "jobs start from the event loop, never from enqueue";
    queue.waitForIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 3, 2}));
    EXPECT_TRUE(allOnQueueThread);
}

TEST(ScriptingQueueTest, ALateJobAndAHoldKeepTheQueueUntilTheyEnd) {
    dbus::ScriptingQueue queue;
    dbus::ScriptingQueue::Done finishLate;
    std::vector<int> order;
    queue.enqueue(dbus::ScriptingQueue::Job{[&](std::stop_token, dbus::ScriptingQueue::Done done) {
        order.push_back(1);
        finishLate = std::move(done);
    }});
    queue.enqueue([&](std::stop_token) { order.push_back(2); });
    serveEvents();
    ASSERT_TRUE(finishLate);
    EXPECT_EQ(order, std::vector<int>{1});
    finishLate();
    finishLate(); // a second call changes nothing
    queue.waitForIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    // The window's own session work holds the queue; holds nest.
    queue.hold();
    queue.hold();
    queue.enqueue([&](std::stop_token) { order.push_back(3); });
    serveEvents();
    queue.release();
    serveEvents();
    EXPECT_EQ(order.size(), 2u);
    queue.release();
    queue.waitForIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(ScriptingQueueTest, DestructionStopsTheRunningJobAndAbandonsTheRest) {
    std::stop_token running;
    bool laterRan = false;
    bool laterAbandoned = false;
    {
        dbus::ScriptingQueue queue;
        queue.enqueue(dbus::ScriptingQueue::Job{[&](std::stop_token stopToken, dbus::ScriptingQueue::Done) {
            running = stopToken; // ends later, never
        }});
        queue.enqueue(dbus::ScriptingQueue::Job{[&](std::stop_token, dbus::ScriptingQueue::Done done) {
                                                    laterRan = true;
                                                    done();
                                                },
                                                [&] { laterAbandoned = true; }});
        serveEvents();
        ASSERT_TRUE(running.stop_possible());
        EXPECT_FALSE(running.stop_requested());
    }
    EXPECT_TRUE(running.stop_requested());
    EXPECT_FALSE(laterRan);
    EXPECT_TRUE(laterAbandoned);
}

} // namespace
} // namespace quillory::test
