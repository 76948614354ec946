// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BackgroundJob.h"

namespace quillory {

void BackgroundJob::start(Work work) {
    std::lock_guard turn(turnMutex_);
    stopAndJoin();
    auto running = std::make_shared<std::atomic<bool>>(true);
    std::jthread thread([work = std::move(work), running](std::stop_token stop) {
        work(stop);
        running->store(false);
        running->notify_all();
    });
    std::lock_guard lock(mutex_);
    running_ = std::move(running);
    thread_ = std::move(thread);
}

void BackgroundJob::cancel() {
    std::lock_guard lock(mutex_);
    thread_.request_stop();
}

void BackgroundJob::cancelAndWait() {
    std::lock_guard turn(turnMutex_);
    stopAndJoin();
}

// Joined outside mutex_: the run may still call cancel() or isRunning() on its way out, and would
// wait for ever on a lock held by the thread that waits for it.
void BackgroundJob::stopAndJoin() {
    if (retired_.joinable() && retired_.get_id() != std::this_thread::get_id())
        retired_.join();
    std::jthread previous;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(thread_);
    }
    if (!previous.joinable())
        return;
    previous.request_stop();
    // A run that restarts its own job cannot wait for itself: it is joined by the next start, the
    // next cancelAndWait() or the destructor, so that it never outlives the job.
    if (previous.get_id() == std::this_thread::get_id()) {
        retired_ = std::move(previous);
        return;
    }
    previous.join();
}

void BackgroundJob::wait() {
    // Waits on the run's flag without holding the lock, so that cancel() from another thread can
    // still reach the run while someone waits for it.
    std::shared_ptr<std::atomic<bool>> running;
    {
        std::lock_guard lock(mutex_);
        running = running_;
    }
    if (running)
        running->wait(true);
}

bool BackgroundJob::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_ && running_->load();
}

} // namespace quillory
