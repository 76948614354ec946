// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbus/ScriptingQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace quillory::test {
namespace {

TEST(ScriptingQueueTest, JobsRunOneAtATimeInTheOrderTheyCame) {
    dbus::ScriptingQueue queue;
    std::vector<int> order; // touched only by the queue's thread until waitForIdle returns
    std::atomic<int> running{0};
    std::atomic<int> overlap{0};
    for (int i = 0; i < 20; ++i) {
        queue.enqueue([&, i](std::stop_token) {
            if (running.fetch_add(1) != 0)
                ++overlap;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            order.push_back(i);
            running.fetch_sub(1);
        });
    }
    queue.waitForIdle();
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(overlap, 0);
}

TEST(ScriptingQueueTest, DestructionStopsTheRunningJobAndDropsTheRest) {
    std::atomic<bool> started{false};
    std::atomic<bool> stopped{false};
    std::atomic<bool> laterRan{false};
    {
        dbus::ScriptingQueue queue;
        queue.enqueue([&](std::stop_token stopToken) {
            started = true;
            while (!stopToken.stop_requested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            stopped = true;
        });
        queue.enqueue([&](std::stop_token) { laterRan = true; });
        while (!started)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(laterRan);
}

} // namespace
} // namespace quillory::test
