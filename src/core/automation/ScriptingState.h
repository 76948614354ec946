// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileValidationResult.h"

#include <cstddef>
#include <mutex>
#include <optional>

namespace quillory {

class NotificationCenter;
struct Notification;

// What scripting reads later: the latest validation result, taken from "validationResult". Thread-safe.
class ScriptingState {
public:
    ScriptingState() = default;
    ~ScriptingState();
    ScriptingState(const ScriptingState&) = delete;
    ScriptingState& operator=(const ScriptingState&) = delete;

    // Observes "validationResult" on the centre until this state is destroyed.
    void observeNotifications(NotificationCenter& notifications);
    // Stores the FileValidationResult the notification carries; other objects are ignored.
    void fileValidationResultEvent(const Notification& notification);

    std::optional<FileValidationResult> fileValidationResult() const;
    void setFileValidationResult(std::optional<FileValidationResult> result);

private:
    mutable std::mutex mutex_;
    std::optional<FileValidationResult> fileValidationResult_;
    NotificationCenter* notifications_ = nullptr;
    std::size_t observerToken_ = 0;
};

} // namespace quillory
