// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "app/NotificationCenter.h"
#include "filelist/FileAction.h"
#include "filelist/FilesAndDirectories.h"
#include "filelist/RejectedDirectory.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <unordered_set>
#include <vector>

namespace quillory {

class FolderListings;

class FileDataSource;
class NotificationCenter;
class Preferences;
class UserInteraction;
struct Notification;

// Opens dropped, given or scripted files and folders into the list: asks whether to replace or append
// when the list is not empty, reads the folders while the DirectoryValidator blocks forbidden ones,
// applies the change as one undoable step and reports the refused folders.
class OpenFolderEventHandler {
public:
    struct OpenResult {
        std::size_t fileCount = 0;                // files handed to the list
        std::set<RejectedDirectory> rejected;     // folders refused during the request
        bool cancelled = false;
        std::int64_t milliseconds = 0;
    };

    static constexpr std::chrono::seconds waitLimit{180};

    // The notification centre and preferences may be null (defaults: no posts, empty folders listed).
    OpenFolderEventHandler(std::shared_ptr<FileDataSource> dataSource, UserInteraction& interaction,
                           NotificationCenter* notifications, Preferences* preferences);
    ~OpenFolderEventHandler();

    // Observes "openFolder" and "openFolderAndWait" on the centre given at construction. Both open
    // without blocking the main thread; waiting callers use openAndWait or openFolderAndWaitEvent directly.
    void observeNotifications();
    // Keeps the names of every folder read here.
    void setFolderListings(FolderListings* listings) { listings_ = listings; }

    void openFolderEvent(const Notification& notification);
    // Blocks the caller until the open has finished, at most `limit`. False on time-out or cancel.
    bool openFolderAndWaitEvent(const Notification& notification, std::chrono::milliseconds limit = waitLimit);

    // Replace without asking when the list is empty; otherwise "Append", "Replace" or "Cancel" (nothing).
    std::optional<FileAction> chooseAction();
    // Asks, then opens in the background. False when the user cancelled.
    bool open(FilesAndDirectories request);
    // Asks, then opens and waits at most `limit`; logs "openFolderAndWaitEvent timed out!" on time-out.
    bool openAndWait(FilesAndDirectories request, std::chrono::milliseconds limit = waitLimit);
    void waitUntilIdle();

    // The open itself on the caller's thread. A cancelled open leaves the list unchanged.
    OpenResult openAllFilesAndDirectories(FilesAndDirectories request, FileAction action,
                                          std::stop_token stopToken = {});

    // The files of a request in list order: the given files whose folder is allowed, then the files of
    // each accepted folder tree.
    std::vector<File> collectFiles(FilesAndDirectories& request, std::stop_token stopToken = {});
    // Reads the request (drops refused files and folders, loads the accepted folder trees) and returns
    // the number of files it will give; `produceFiles` then makes them in list order. Each item comes
    // once, and none that `listed` holds (the list's items, when appending, keyed by their folder's identity
    // and their name).
    std::size_t loadRequest(FilesAndDirectories& request, std::stop_token stopToken = {},
                            std::unordered_set<std::string> listed = {});
    static void produceFiles(FilesAndDirectories& request, const std::function<void(File&&)>& sink);

    // The text of the "Unable to open all files" alert for the refused folders (sorted by path).
    static std::string rejectionReport(const std::set<RejectedDirectory>& rejected);

private:
    void post(std::string_view name, std::string text = {});
    static std::optional<FilesAndDirectories> requestFrom(const Notification& notification);
    struct Pending {
        FilesAndDirectories request;
        FileAction action = FileAction::replace;
        std::function<void()> finished;
    };
    void enqueue(Pending pending);

    std::shared_ptr<FileDataSource> _dataSource;
    UserInteraction& interaction_;
    NotificationCenter* notifications_;
    Preferences* preferences_;
    FolderListings* listings_ = nullptr;
    std::mutex queueMutex_;
    std::deque<Pending> queue_;
    bool draining_ = false;
    BackgroundJob openJob_;
    NotificationObservers observers_;
};

} // namespace quillory
