// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "rename/FileChunk.h"
#include "rename/FileValidationResult.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class DirectoryValidator;
class FileDataSource;
class FileSystem;
class FolderListings;
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
    // One run over the list itself, a chunk at a time: no copy of the whole list is made. Nothing (an
    // empty result) without a list; cancelled when files join, leave or move meanwhile.
    std::optional<FileValidationResult> validateList(bool needsLateUpdate, std::stop_token stopToken = {});

    // The files of the last run with their validations, in list order; empty when not kept.
    std::vector<File> validatedFiles() const;
    // Whether the last run's files are kept for validatedFiles(). An application whose list takes the
    // validations need not hold a second copy of every file.
    void setKeepsValidatedFiles(bool keeps) { keepsValidatedFiles_ = keeps; }

    // The per-file rules: adds the messages of the file's new name and path to its validation.
    static void validateFile(File& file, const DirectoryValidator& directoryValidator);
    struct UniquenessOptions {
        bool autoResolve = true;
        bool renameEmptyFolders = true;
        FileSystem* disk = nullptr;              // null: what is on disk is not considered
        const std::vector<char>* probed = nullptr; // per file: whether its target without suffix is on disk
    };
    // Gives each moving file a target that nothing holds when its turn comes: not another listed target,
    // not an item that stays (listed or only on disk); a listed item moving away frees its name. A
    // taken target gets the first free numeric suffix (autoResolve) or the error "Filename is not
    // unique.". Files touched are marked in `touched` (sized like files). False when cancelled.
    static bool applyUniqueness(std::vector<File>& files, const UniquenessOptions& options,
                                std::stop_token stopToken = {}, std::vector<char>* touched = nullptr);
    // The list alone, nothing on disk.
    static bool applyUniqueness(std::vector<File>& files, bool autoResolve, std::stop_token stopToken = {});
    // Totals of validated files.
    static FileValidationResult result(const std::vector<File>& files, bool isPending);
    // The same over the list as it stands, read in place.
    static FileValidationResult result(const FileDataSource& list, bool isPending);

    DirectoryValidator& directoryValidator() { return *directoryValidator_; }
    // Where targets are looked up; the real file system unless set.
    void setFileSystem(FileSystem* fileSystem) { fileSystem_ = fileSystem; }
    // What the opened folders held: a new name that none of them held needs no look at the disk.
    void setFolderListings(const FolderListings* listings) { listings_ = listings; }

private:
    void post(const FileValidationResult& result);
    void postText(std::string_view name, std::string text = {});
    // Hands out chunk i's files (`held` may keep them) and takes them back once checked.
    struct ChunkSource {
        std::function<std::span<File>(std::size_t chunk, std::vector<File>& held)> take;
        std::function<void(std::span<File> checked, std::vector<File>& held)> give;
        // When set, each file once checked, with its position in the list and the target it was checked
        // for when it moves (the callee may take the text).
        std::function<void(std::size_t position, const File& file, std::string* target)> checked;
    };
    bool validateChunks(std::size_t chunkCount, const ChunkSource& chunks, bool renameEmptyFolders,
                        std::stop_token stopToken);
    UniquenessOptions uniquenessOptions(bool renameEmptyFolders);
    bool renamesEmptyFolders() const;
    std::optional<FileValidationResult> aborted();
    FileValidationResult finish(FileValidationResult final, bool needsLateUpdate);
    FileSystem& fileSystem();

    FileDataSource* _fileDataSource;
    Preferences* preferences_;
    NotificationCenter* notifications_;
    std::shared_ptr<DirectoryValidator> directoryValidator_;
    SerialExecutor executor_;

    std::vector<File> validatedFiles_;
    bool keepsValidatedFiles_ = true;
    std::vector<char> probed_;
    FileSystem* fileSystem_ = nullptr;
    const FolderListings* listings_ = nullptr;
    std::unique_ptr<FileSystem> ownFileSystem_;
    mutable std::mutex resultsMutex_;
};

} // namespace quillory
