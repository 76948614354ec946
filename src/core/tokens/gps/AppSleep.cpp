// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/AppSleep.h"

#include "app/AppNotification.h"
#include "app/NotificationCenter.h"
#include "app/ProgressUpdate.h"

#include <condition_variable>
#include <mutex>

namespace quillory {

AppSleep::AppSleep(NotificationCenter* notifications, std::chrono::milliseconds second)
    : notifications_(notifications), second_(second) {
    if (notifications_) {
        observer_ = notifications_->addObserver(
            AppNotification::abortProcess, [aborted = aborted_](const Notification&) { aborted->request_stop(); });
    }
}

AppSleep::~AppSleep() {
    if (notifications_)
        notifications_->removeObserver(observer_);
}

void AppSleep::post(std::string_view name, int current, int maximum) {
    if (!notifications_)
        return;
    notifications_->post(name, ProgressUpdate{std::string(label), current, maximum, true});
}

bool AppSleep::countdown(int seconds, std::stop_token stop) {
    // Either stop ends the waits below at once: the caller's, or the user's abort.
    std::stop_source ended;
    std::stop_callback byCaller(stop, [&ended] { ended.request_stop(); });
    std::stop_callback byUser(aborted_->get_token(), [&ended] { ended.request_stop(); });
    const std::stop_token endedToken = ended.get_token();
    std::mutex mutex;
    std::condition_variable_any wake; // woken only by a stop

    post(AppNotification::showProgressView, 0, seconds);
    for (int elapsed = 0; elapsed < seconds; ++elapsed) {
        if (endedToken.stop_requested()) {
            post(AppNotification::hideProgressView, elapsed, seconds);
            return false;
        }
        post(AppNotification::updateProgressView, elapsed + 1, seconds);
        std::unique_lock lock(mutex);
        wake.wait_for(lock, endedToken, second_, [] { return false; });
    }
    post(AppNotification::hideProgressView, seconds, seconds);
    return !endedToken.stop_requested();
}

} // namespace quillory
