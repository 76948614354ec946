// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "rename/FileChunk.h"
#include "rename/FileValidationResult.h"

#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class DirectoryValidator;
class FileDataSource;
class NotificationCenter;
class Preferences;

// Checks every computed name before anything is renamed: per-file rules in chunks of 1000 checked in
// parallel, then one uniqueness pass over the whole list. Writes each file's validation back into
// the list and posts the totals with "validationResult" (the notification's object is a FileValidationResult
// value). One run at a time.
class FileValidator {
public:
    // Any of the pointers may be null (no write-back, default preferences, no notifications). The
    // directory validator decides the allowed folders; without one, one is made from the preferences.
    FileValidator(FileDataSource* fileDataSource, Preferences* preferences, NotificationCenter* notifications,
                  std::shared_ptr<DirectoryValidator> directoryValidator = nullptr);
    ~FileValidator();

    // One run. Returns the final result, or nothing when the run was cancelled.
    std::optional<FileValidationResult> validateFiles(std::vector<File> files, bool needsLateUpdate,
                                                      std::stop_token stopToken = {});

    // The files of the last run with their validations, in list order.
    std::vector<File> validatedFiles() const;

    // The per-file rules: adds the messages of the file's new name and path to its validation.
    static void validateFile(File& file, const DirectoryValidator& directoryValidator);
    // Gives duplicates of the same target a numeric suffix (when autoResolve) or a warning. False when
    // cancelled before the end.
    static bool applyUniqueness(std::vector<File>& files, bool autoResolve, std::stop_token stopToken = {});
    // Totals of validated files.
    static FileValidationResult result(const std::vector<File>& files, bool isPending);

    DirectoryValidator& directoryValidator() { return *directoryValidator_; }

private:
    void post(const FileValidationResult& result);
    void postText(std::string_view name, std::string text = {});
    bool validateChunks(std::stop_token stopToken);

    FileDataSource* _fileDataSource;
    Preferences* preferences_;
    NotificationCenter* notifications_;
    std::shared_ptr<DirectoryValidator> directoryValidator_;
    SerialExecutor executor_;

    std::vector<File> validatedFiles_;
    int chunkIndex_ = 0;
    std::vector<FileChunk> fileChunks_;
    mutable std::mutex resultsMutex_;
};

} // namespace quillory
