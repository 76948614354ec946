// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <memory>
#include <stop_token>
#include <string_view>

namespace quillory {

class NotificationCenter;

// A countdown shown in the progress panel while the geocoding service gets time to recover. The
// user's "abortProcess" ends it at once. The length of one second is injectable so that tests run
// in milliseconds.
class AppSleep {
public:
    static constexpr std::string_view label = "Awaiting GPS service availability";

    explicit AppSleep(NotificationCenter* notifications, std::chrono::milliseconds second = std::chrono::seconds(1));
    ~AppSleep();
    AppSleep(const AppSleep&) = delete;
    AppSleep& operator=(const AppSleep&) = delete;

    // Counts n seconds down with progress posts. False when aborted, or when `stop` was requested
    // (before or during the countdown).
    bool countdown(int seconds, std::stop_token stop);

    void abort() { aborted_->request_stop(); }
    bool processAborted() const { return aborted_->stop_requested(); }

private:
    void post(std::string_view name, int current, int maximum);

    NotificationCenter* notifications_;
    std::chrono::milliseconds second_;
    // Shared with the "abortProcess" observer, so that a delivery racing with destruction stays harmless.
    std::shared_ptr<std::stop_source> aborted_ = std::make_shared<std::stop_source>();
    std::size_t observer_ = 0;
};

} // namespace quillory
