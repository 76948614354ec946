// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainQueue.h"

namespace quillory {

MainQueue::MainQueue() : mainThread_(std::this_thread::get_id()) {}

void MainQueue::enqueue(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    changed_.notify_all();
    // Called under its own lock, so that the hook is never running when setWakeUp returns: its owner
    // may be gone the moment after.
    std::lock_guard wake(wakeMutex_);
    if (wakeUp_)
        wakeUp_();
}

void MainQueue::setWakeUp(std::function<void()> wakeUp) {
    std::lock_guard wake(wakeMutex_);
    wakeUp_ = std::move(wakeUp);
}

bool MainQueue::runOne(std::unique_lock<std::mutex>& lock) {
    if (tasks_.empty())
        return false;
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    lock.lock();
    return true;
}

std::size_t MainQueue::runPending() {
    std::unique_lock lock(mutex_);
    std::size_t count = 0;
    while (runOne(lock))
        ++count;
    return count;
}

bool MainQueue::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    for (;;) {
        while (runOne(lock)) {
        }
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // Wake up regularly: the predicate may depend on work outside this queue.
        changed_.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(20)),
                            [&] { return !tasks_.empty(); });
    }
}

} // namespace quillory
