// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BackgroundJob.h"

namespace quillory {

void BackgroundJob::start(Work work) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    auto running = std::make_shared<std::atomic<bool>>(true);
    running_ = running;
    thread_ = std::jthread([work = std::move(work), running](std::stop_token stop) {
        work(stop);
        running->store(false);
        running->notify_all();
    });
}

void BackgroundJob::cancel() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        thread_.request_stop();
}

void BackgroundJob::cancelAndWait() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
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
