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
// starts the new one; the work checks its stop_token between items. No lock is held while a run is
// waited for, so the run may call cancel() or isRunning() of its own job at any time.
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
    void stopAndJoin(); // called with turnMutex_ held

    std::mutex turnMutex_;    // one start() or cancelAndWait() at a time, held while a run is joined
    mutable std::mutex mutex_; // guards thread_ and running_, never held while waiting
    std::jthread thread_;
    std::shared_ptr<std::atomic<bool>> running_;
    std::jthread retired_; // a run that restarted its own job; guarded by turnMutex_
};

// An actor's serial executor: each operation runs alone, in call order. Readers get copies. The
// file list's sort still installs its order through a public operation from inside one of its own,
// hence the recursive lock.
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
