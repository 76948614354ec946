// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace quillory {

// One cancellable background run at a time. start() asks the running job to stop, waits for it, and
// starts the new one; the work checks its stop_token between items.
class BackgroundJob {
public:
    using Work = std::function<void(std::stop_token)>;

    BackgroundJob() = default;
    ~BackgroundJob() { cancelAndWait(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    void start(Work work);
    void cancel();
    void cancelAndWait();
    // Waits for the current run to end without cancelling it.
    void wait();
    bool isRunning() const;

private:
    mutable std::mutex mutex_;
    std::jthread thread_;
    std::shared_ptr<std::atomic<bool>> running_;
};

// An actor's serial executor: each operation runs alone, in call order. Readers get copies.
class SerialExecutor {
public:
    template <typename F> auto run(F&& operation) -> decltype(operation()) {
        std::lock_guard lock(mutex_);
        return operation();
    }

private:
    std::recursive_mutex mutex_;
};

} // namespace quillory
