// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/AppSleep.h"

#include "app/AppNotification.h"
#include "app/NotificationCenter.h"
#include "app/ProgressUpdate.h"

#include <algorithm>
#include <thread>

namespace quillory {

AppSleep::AppSleep(NotificationCenter* notifications, std::chrono::milliseconds second,
                   std::shared_ptr<const std::atomic<bool>> alsoAbortWhen)
    : notifications_(notifications), second_(second), alsoAbortWhen_(std::move(alsoAbortWhen)) {
    if (notifications_) {
        // The flag is shared with the observer, so a delivery racing with destruction stays harmless.
        observer_ = notifications_->addObserver(AppNotification::abortProcess,
                                                [flag = processAborted_](const Notification&) { flag->store(true); });
    }
}

AppSleep::~AppSleep() {
    if (notifications_)
        notifications_->removeObserver(observer_);
}

bool AppSleep::processAborted() const {
    return processAborted_->load() || (alsoAbortWhen_ && alsoAbortWhen_->load());
}

void AppSleep::post(std::string_view name, int current, int maximum) {
    if (!notifications_)
        return;
    notifications_->post(name, ProgressUpdate{std::string(label), current, maximum, true});
}

bool AppSleep::countdown(int seconds) {
    post(AppNotification::showProgressView, 0, seconds);
    // Polled in slices shorter than a second, so that an abort is felt at once.
    const auto slice = std::max(std::chrono::milliseconds(1), std::min(second_, std::chrono::milliseconds(100)));
    for (int elapsed = 0; elapsed < seconds; ++elapsed) {
        if (processAborted()) {
            post(AppNotification::hideProgressView, elapsed, seconds);
            return false;
        }
        post(AppNotification::updateProgressView, elapsed + 1, seconds);
        const auto end = std::chrono::steady_clock::now() + second_;
        while (std::chrono::steady_clock::now() < end && !processAborted())
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                slice, end - std::chrono::steady_clock::now()));
    }
    if (processAborted()) {
        post(AppNotification::hideProgressView, seconds, seconds);
        return false;
    }
    post(AppNotification::hideProgressView, seconds, seconds);
    return true;
}

} // namespace quillory
