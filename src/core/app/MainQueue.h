// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quillory {

// The main thread's queue of tasks. Anyone may enqueue without blocking; only the thread that runs
// the loop executes tasks. The desktop app binds this to its event loop; the CLI and tests call
// runUntil/runPending themselves.
class MainQueue {
public:
    using Task = std::function<void()>;

    MainQueue();

    void enqueue(Task task);

    // Runs the tasks queued now (and those they queue) until the queue is empty. Returns the count.
    std::size_t runPending();
    // Runs tasks as they come until the predicate holds or the time is up. True when it held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // The thread that runs the loop; notifications are delivered on it.
    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }
    void adoptCurrentThread() { mainThread_ = std::this_thread::get_id(); }

    // A hook for an external event loop: called (from any thread) whenever a task is queued. It must not
    // queue tasks itself. Once setWakeUp returns, the previous hook is not running and is not called again.
    void setWakeUp(std::function<void()> wakeUp);

private:
    bool runOne(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::thread::id mainThread_;
    std::mutex wakeMutex_;
    std::function<void()> wakeUp_;
};

} // namespace quillory
