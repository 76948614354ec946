// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileValidatorWorker.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "rename/FileValidator.h"

namespace quillory {

FileValidatorWorker::FileValidatorWorker(FileValidator& validator, NotificationCenter* notifications)
    : validator_(validator), notifications_(notifications) {}

FileValidatorWorker::~FileValidatorWorker() { task_.cancelAndWait(); }

void FileValidatorWorker::validate(std::vector<File> files, bool needsLateUpdate) {
    task_.start([this, files = std::move(files), needsLateUpdate](std::stop_token stopToken) mutable {
        Logger::log("🔷 Validating files");
        validator_.validateFiles(std::move(files), needsLateUpdate, stopToken);
        Logger::log("🔷 Validating files finished");
        if (notifications_) {
            notifications_->post(AppNotification::dataSourceUpdated);
            notifications_->post(AppNotification::hideProgressIndicator, std::string());
        }
    });
}

void FileValidatorWorker::cancel() { task_.cancel(); }
void FileValidatorWorker::wait() { task_.wait(); }
bool FileValidatorWorker::isRunning() const { return task_.isRunning(); }

} // namespace quillory
