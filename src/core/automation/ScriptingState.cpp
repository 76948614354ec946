// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ScriptingState.h"

#include "app/AppNotification.h"
#include "app/NotificationCenter.h"

namespace quillory {

ScriptingState::~ScriptingState() {
    if (notifications_)
        notifications_->removeObserver(observerToken_);
}

void ScriptingState::observeNotifications(NotificationCenter& notifications) {
    if (notifications_)
        notifications_->removeObserver(observerToken_);
    notifications_ = &notifications;
    observerToken_ = notifications.addObserver(AppNotification::validationResult,
                                               [this](const Notification& n) { fileValidationResultEvent(n); });
}

void ScriptingState::fileValidationResultEvent(const Notification& notification) {
    if (const auto* result = std::any_cast<FileValidationResult>(&notification.object))
        setFileValidationResult(*result);
}

std::optional<FileValidationResult> ScriptingState::fileValidationResult() const {
    std::lock_guard lock(mutex_);
    return fileValidationResult_;
}

void ScriptingState::setFileValidationResult(std::optional<FileValidationResult> result) {
    std::lock_guard lock(mutex_);
    fileValidationResult_ = result;
}

} // namespace quillory
