// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileRenamer.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/PreferenceKey.h"
#include "app/ProgressUpdate.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"
#include "rename/FileSystem.h"

#include <any>
#include <cstdlib>
#include <map>

namespace quillory {
namespace {

std::string extensionPart(const std::string& ext) {
    if (ext.empty())
        return {};
    return ext.front() == '.' ? ext : "." + ext;
}

bool changed(const File& file) {
    const FileTransform& t = file.transformed;
    return t.transformedName != file.source.name || t.transformedPath != file.source.path ||
           t.transformedExt != file.source.ext;
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool isInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (path[folder.size()] == '/' || folder == "/");
}

// A folder entry of the list (empty name) stands for the folder at its path.
bool isFolderEntry(const File& file) { return file.source.name.empty() && file.source.ext.empty(); }

// The source of an item at its new place, split as a file URL would be; it keeps its identity.
FileSource sourceAt(const std::string& location, bool isFolder, const FileSource& previous) {
    FileSource source;
    source.id = previous.id;
    source.isAlias = previous.isAlias;
    source.sourceUrl = fileUrlFromPath(location, isFolder);
    if (isFolder) {
        source.path = location == "/" ? std::string() : location;
        return source;
    }
    const auto slash = location.rfind('/');
    source.path = location.substr(0, slash);
    const std::string_view last = std::string_view(location).substr(slash + 1);
    source.name = deletingPathExtension(last);
    source.ext = pathExtension(last);
    return source;
}

} // namespace

FileRenamer::FileRenamer(Services services, FullPass fullPass)
    : services_(services), fullPass_(std::move(fullPass)) {
    protectedDirectories_.insert("/");
    if (const char* home = std::getenv("HOME"); home && *home)
        protectedDirectories_.insert(withoutTrailingSlash(home));
}

void FileRenamer::setProtectedDirectories(std::set<std::string> directories) {
    protectedDirectories_ = std::move(directories);
    protectedDirectories_.insert("/");
}

bool FileRenamer::preference(const PreferenceKey& key, bool fallback) const {
    return services_.preferences ? services_.preferences->boolValue(key) : fallback;
}

void FileRenamer::post(std::string_view name) {
    if (services_.notifications)
        services_.notifications->post(name);
}

void FileRenamer::postProgress(int done, int total, bool force) {
    if (progress_)
        progress_(done, total);
    if (!services_.notifications)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastProgress_ < progressInterval_)
        return;
    lastProgress_ = now;
    services_.notifications->post(AppNotification::updateProgressView, ProgressUpdate{"Renaming", done, total, false});
}

RenameReport FileRenamer::rename(bool force, std::stop_token stopToken) {
    post(AppNotification::disableUserInput);
    post(AppNotification::showProgressView);
    RenameReport report = applyTransformationsAndRename(force, stopToken);
    post(AppNotification::applyChanges);
    post(AppNotification::hideProgressView);
    post(AppNotification::enableUserInput);
    return report;
}

RenameReport FileRenamer::applyTransformationsAndRename(bool force, std::stop_token stopToken) {
    RenameReport report;
    if (fullPass_ && !fullPass_(stopToken)) {
        Logger::error("applyTransformationsAndRename received error from transformAllFiles");
        return report;
    }
    return renameComputed(services_.fileDataSource.files(), force, stopToken);
}

RenameReport FileRenamer::renameComputed(std::vector<File> files, bool force, std::stop_token stopToken,
                                         Progress progress) {
    progress_ = std::move(progress);
    struct ClearProgress {
        Progress& progress;
        ~ClearProgress() { progress = nullptr; }
    } clearProgress{progress_};
    RenameReport report;
    for (const File& file : files) {
        if (!file.validation.errors.empty())
            ++report.errorCount;
        else if (changed(file))
            ++report.renameCount;
    }
    if (report.errorCount >= 1 && !force) {
        Logger::log("Aborting applyTransformationsAndRename because ", report.errorCount, " ",
                    "files have errors and force is not set.");
        return report;
    }
    report.started = true;

    const bool renameEmptyFolders = preference(PreferenceKey::renameEmptyFolders, true);
    const bool autoIgnorePermissions = preference(PreferenceKey::autoIgnoreFilePermissionErrors, false);
    std::set<int> ignoredCodes;
    knownDirectories_.clear();
    lastProgress_ = {};

    for (const File& file : files) {
        postProgress(report.successCount, report.renameCount, false);
        const bool eligible = file.validation.errors.empty() && changed(file) &&
                              (!file.source.name.empty() || renameEmptyFolders);
        if (eligible) {
            Move move = renameFile(file);
            if (!move.error) {
                // Only the source is written: no need to copy the rest of the file.
                File updated;
                updated.index = file.index;
                updated.source = std::move(move.newSource);
                services_.fileDataSource.updateSource(updated);
                ++report.successCount;
            } else {
                const int code = move.error->code;
                report.failures.push_back({move.source, move.target, *move.error});
                const bool permission = code == FileError::noPermission || code == FileError::readOnlyVolume;
                if ((permission && autoIgnorePermissions) || ignoredCodes.count(code)) {
                    Logger::error("Ignored (", code, ") ", move.error->description);
                } else {
                    const Answer answer = askAbortOrContinue(move.source, move.target, *move.error);
                    if (answer.doNotAskAgain)
                        ignoredCodes.insert(code);
                    report.aborted = report.aborted || answer.abort;
                }
            }
        }
        if (report.aborted || stopToken.stop_requested()) {
            report.aborted = true;
            Logger::log("Aborted by user request");
            break;
        }
    }
    postProgress(report.successCount, report.renameCount, true);
    post(AppNotification::hideProgressView);

    if (report.successCount < report.renameCount) {
        std::string text = "Successfully renamed " + std::to_string(report.successCount) + " files.";
        if (const int failed = report.renameCount - report.successCount; failed >= 1)
            text += "\n" + std::to_string(failed) + " files could not be renamed.";
        if (services_.userInteraction)
            services_.userInteraction->showAlert("Rename Partially Completed", text);
        else
            Logger::log("Rename Partially Completed: ", text);
    }
    return report;
}

std::optional<FileError> FileRenamer::ensureDirectory(const std::string& path) {
    if (path.empty() || knownDirectories_.count(path))
        return std::nullopt;
    if (!services_.fileSystem.exists(path))
        if (auto error = services_.fileSystem.createDirectories(path))
            return error;
    knownDirectories_.insert(path);
    return std::nullopt;
}

std::optional<FileError> FileRenamer::moveResolvingCollision(const std::string& source, const std::string& target,
                                                             std::string& movedTo) {
    auto error = services_.fileSystem.moveItem(source, target);
    if (!error) {
        movedTo = target;
        return std::nullopt;
    }
    if (error->code != FileError::fileExists || !preference(PreferenceKey::autoResolveDuplicates, true))
        return error;
    const std::string folder = parentOf(target);
    const std::string last = lastPathComponent(target);
    const std::string base = deletingPathExtension(last);
    const std::string ext = pathExtension(last);
    for (int n = 2; n <= 999; ++n) {
        std::string candidate = (folder == "/" ? "" : folder) + "/" + base + " " + std::to_string(n);
        if (!ext.empty())
            candidate += "." + ext;
        if (services_.fileSystem.exists(candidate))
            continue;
        auto retry = services_.fileSystem.moveItem(source, candidate);
        if (!retry) {
            movedTo = candidate;
            return std::nullopt;
        }
        // Someone took the name between the test and the move: look further.
        if (retry->code != FileError::fileExists)
            return retry;
    }
    return error;
}

void FileRenamer::removeEmptiedFolders(std::string folder) {
    std::vector<std::string> entries;
    while (!folder.empty() && !protectedDirectories_.count(folder)) {
        if (auto error = services_.fileSystem.directoryEntries(folder, 2, entries)) {
            Logger::error("Could not examine emptied folder: ", error->description);
            return;
        }
        const bool onlyDesktopStore = entries.size() == 1 && entries.front() == ".DS_Store";
        if (!entries.empty() && !onlyDesktopStore)
            return;
        if (onlyDesktopStore) {
            if (auto error = services_.fileSystem.removeFile(folder + "/.DS_Store")) {
                Logger::error("Could not remove emptied folder: ", error->description);
                return;
            }
        }
        if (auto error = services_.fileSystem.removeDirectory(folder)) {
            Logger::error("Could not remove emptied folder: ", error->description);
            return;
        }
        knownDirectories_.erase(folder);
        folder = parentOf(folder);
    }
}

FileRenamer::Move FileRenamer::renameFile(const File& file) {
    const FileTransform& t = file.transformed;
    const bool folderEntry = isFolderEntry(file);
    Move move;
    move.source = folderEntry ? withoutTrailingSlash(file.source.path) : file.source.fullPath();
    // A folder entry's target is its new path; its parent is the folder above.
    move.target = folderEntry ? withoutTrailingSlash(t.transformedPath)
                              : t.transformedPath + "/" + t.transformedName + extensionPart(t.transformedExt);
    if (move.target.empty())
        move.target = "/";

    // Name "a.b" without extension and name "a" with extension "b" are the same file: nothing to move,
    // and a move onto itself would count as a collision and wander off to "a 2.b".
    if (move.target == move.source) {
        move.movedTo = move.target;
        move.newSource = sourceAt(move.movedTo, folderEntry, file.source);
        return move;
    }
    if (auto error = ensureDirectory(parentOf(move.target))) {
        move.error = error;
        return move;
    }
    auto error = moveResolvingCollision(move.source, move.target, move.movedTo);
    if (error && error->code == FileError::noSuchFile) {
        // A folder this run had seen may have been removed since: check again once.
        knownDirectories_.erase(parentOf(move.target));
        if (!ensureDirectory(parentOf(move.target)))
            error = moveResolvingCollision(move.source, move.target, move.movedTo);
    }
    if (error) {
        move.error = error;
        return move;
    }
    if (folderEntry)
        knownDirectories_.insert(move.movedTo);
    move.newSource = sourceAt(move.movedTo, folderEntry, file.source);

    // The file has moved: whatever happens to the folders it left, it counts as renamed.
    const std::string sourceFolder = parentOf(move.source);
    if (!isInside(move.movedTo, sourceFolder))
        removeEmptiedFolders(sourceFolder);
    return move;
}

FileRenamer::Answer FileRenamer::askAbortOrContinue(const std::string& sourcePath, const std::string& targetPath,
                                                    const FileError& error) {
    const std::string message = "Unable to rename\n\n\"" + lastPathComponent(sourcePath) + "\"\n\nto\n\n\"" +
                                lastPathComponent(targetPath) + "\"\n";
    Logger::error(message, "(", error.code, ") ", error.description);
    const std::string hint = error.code == FileError::noPermission ? "\n(Is the directory read-only perhaps?)\n\n" : "";
    if (!services_.userInteraction)
        return {};
    UserInteraction::Question question;
    question.message = message;
    question.informativeText = error.description + "\nError Code: " + std::to_string(error.code) + "\n" + hint +
                               "\nWould you like to continue renaming the next files?";
    question.buttons = {"Continue", "Abort"};
    question.showsSuppressionBox = true;
    const UserInteraction::Answer answer = services_.userInteraction->ask(question);
    return {answer.button == 1, answer.suppressionChecked};
}

} // namespace quillory
