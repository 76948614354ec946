// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string_view>

namespace quillory {

class NotificationCenter;

// A countdown shown in the progress panel while the geocoding service gets time to recover. The
// user's "abortProcess" ends it at once. The length of one second is injectable so that tests run
// in milliseconds.
class AppSleep {
public:
    static constexpr std::string_view label = "Awaiting GPS service availability";

    // `alsoAbortWhen`, when given, is a flag of the caller that aborts the countdown too.
    explicit AppSleep(NotificationCenter* notifications, std::chrono::milliseconds second = std::chrono::seconds(1),
                      std::shared_ptr<const std::atomic<bool>> alsoAbortWhen = nullptr);
    ~AppSleep();
    AppSleep(const AppSleep&) = delete;
    AppSleep& operator=(const AppSleep&) = delete;

    // Counts n seconds down with progress posts. False when aborted.
    bool countdown(int seconds);

    void abort() { processAborted_->store(true); }
    bool processAborted() const;

private:
    void post(std::string_view name, int current, int maximum);

    NotificationCenter* notifications_;
    std::chrono::milliseconds second_;
    std::shared_ptr<std::atomic<bool>> processAborted_ = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<const std::atomic<bool>> alsoAbortWhen_;
    std::size_t observer_ = 0;
};

} // namespace quillory
