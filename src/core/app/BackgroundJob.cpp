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
    std::lock_guard lock(mutex_);
    if (thread_.joinable())
        thread_.join();
}

bool BackgroundJob::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_ && running_->load();
}

} // namespace quillory
