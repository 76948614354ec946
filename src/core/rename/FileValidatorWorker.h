// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "model/File.h"

#include <vector>

namespace quillory {

class FileValidator;
class NotificationCenter;

// Where the engine hands its files after a pass: cancels the validation in progress and starts a new
// one in the background. One run at a time for the whole application.
class FileValidatorWorker {
public:
    FileValidatorWorker(FileValidator& validator, NotificationCenter* notifications);
    ~FileValidatorWorker();

    void validate(std::vector<File> files, bool needsLateUpdate);
    void cancel();
    // Waits until the run in progress, if any, has ended.
    void wait();
    bool isRunning() const;

private:
    FileValidator& validator_;
    NotificationCenter* notifications_;
    BackgroundJob task_;
};

} // namespace quillory
