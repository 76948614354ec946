// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/OpenFolderEventHandler.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"

#include <condition_variable>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <sys/stat.h>

namespace quillory {
namespace {

constexpr std::int64_t progressDelayMs = 1000;
constexpr std::int64_t progressIntervalMs = 200;

// Names one folder entry however its path was spelled (through a link to a folder, say): the identity of
// its folder and its name. A folder entry's name is empty.
class EntryKeys {
public:
    std::string of(const std::string& folder, std::string_view name) {
        auto [at, fresh] = folders_.try_emplace(folder);
        if (fresh) {
            struct stat info {};
            at->second = ::stat(folder.c_str(), &info) == 0
                             ? std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino)
                             : "?" + folder; // gone or unreadable: its spelling is all there is
        }
        std::string key = at->second;
        key.append(1, '/').append(name);
        return key;
    }
    std::string of(const FileSource& item) {
        if (item.isFolderEntry())
            return of(item.location(), {});
        const std::string full = item.fullPath();
        const std::size_t slash = full.rfind('/');
        return of(slash == 0 ? std::string("/") : full.substr(0, slash), std::string_view(full).substr(slash + 1));
    }

private:
    std::unordered_map<std::string, std::string> folders_;
};

// Takes out of the read folder trees every entry with one of the `known` keys.
void dropKnown(std::vector<std::shared_ptr<Directory>>& directories, const std::unordered_set<std::string>& known,
               EntryKeys& keys) {
    for (auto& directory : directories) {
        std::erase_if(directory->files, [&](const Directory::Entry& entry) {
            return known.contains(entry.name.empty() ? keys.of(directory->path, {}) : keys.of(directory->path, entry.name));
        });
        dropKnown(directory->subDirectories, known, keys);
    }
}

} // namespace

OpenFolderEventHandler::OpenFolderEventHandler(std::shared_ptr<FileDataSource> dataSource,
                                               UserInteraction& interaction, NotificationCenter* notifications,
                                               Preferences* preferences)
    : _dataSource(std::move(dataSource)), interaction_(interaction), notifications_(notifications),
      preferences_(preferences) {}

OpenFolderEventHandler::~OpenFolderEventHandler() {
    openJob_.cancelAndWait();
    observers_.removeAll();
}

void OpenFolderEventHandler::post(std::string_view name, std::string text) { postText(notifications_, name, std::move(text)); }

void OpenFolderEventHandler::observeNotifications() {
    if (!notifications_)
        return;
    observers_.add(*notifications_, AppNotification::openFolder,
                   [this](const Notification& notification) { openFolderEvent(notification); });
    // Observers run on the main thread, which must never block; a caller that wants to wait (scripting,
    // the command line) calls openAndWait on its own thread instead.
    observers_.add(*notifications_, AppNotification::openFolderAndWait,
                   [this](const Notification& notification) { openFolderEvent(notification); });
}

std::optional<FilesAndDirectories> OpenFolderEventHandler::requestFrom(const Notification& notification) {
    auto found = notification.userInfo.find(FilesAndDirectories::userInfoKey);
    if (found == notification.userInfo.end())
        return std::nullopt;
    if (const auto* request = std::any_cast<FilesAndDirectories>(&found->second))
        return *request;
    if (const auto* shared = std::any_cast<std::shared_ptr<FilesAndDirectories>>(&found->second); shared && *shared)
        return **shared;
    return std::nullopt;
}

void OpenFolderEventHandler::openFolderEvent(const Notification& notification) {
    if (auto request = requestFrom(notification))
        open(std::move(*request));
}

bool OpenFolderEventHandler::openFolderAndWaitEvent(const Notification& notification,
                                                    std::chrono::milliseconds limit) {
    auto request = requestFrom(notification);
    return request && openAndWait(std::move(*request), limit);
}

std::optional<FileAction> OpenFolderEventHandler::chooseAction() {
    if (_dataSource->count() == 0)
        return FileAction::replace;
    interaction_.activate();
    UserInteraction::Question question;
    question.message = "Quillory already has some opened files";
    question.informativeText = "Do you want to replace or append the files?";
    question.buttons = {"Append", "Replace", "Cancel"};
    const std::string answer = interaction_.askForButton(question);
    if (answer == "Append")
        return FileAction::append;
    if (answer == "Replace")
        return FileAction::replace;
    return std::nullopt;
}

// Requests run one after another on the background job; the caller never waits for an earlier open
// (the main thread must stay free for the alerts of that open).
void OpenFolderEventHandler::enqueue(Pending pending) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(pending));
        if (draining_)
            return;
        draining_ = true;
    }
    openJob_.start([this](std::stop_token stopToken) {
        while (true) {
            Pending next;
            {
                std::lock_guard lock(queueMutex_);
                if (queue_.empty() || stopToken.stop_requested()) {
                    queue_.clear();
                    draining_ = false;
                    return;
                }
                next = std::move(queue_.front());
                queue_.pop_front();
            }
            openAllFilesAndDirectories(std::move(next.request), next.action, stopToken);
            if (next.finished)
                next.finished();
        }
    });
}

bool OpenFolderEventHandler::open(FilesAndDirectories request) {
    auto action = chooseAction();
    if (!action)
        return false;
    enqueue({std::move(request), *action, {}});
    return true;
}

bool OpenFolderEventHandler::openAndWait(FilesAndDirectories request, std::chrono::milliseconds limit) {
    auto action = chooseAction();
    if (!action)
        return false;
    struct Signal {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto signal = std::make_shared<Signal>();
    enqueue({std::move(request), *action, [signal] {
                 std::lock_guard lock(signal->mutex);
                 signal->finished = true;
                 signal->done.notify_all();
             }});
    std::unique_lock lock(signal->mutex);
    if (!signal->done.wait_for(lock, limit, [&] { return signal->finished; })) {
        Logger::log("openFolderAndWaitEvent timed out!");
        return false;
    }
    return true;
}

void OpenFolderEventHandler::waitUntilIdle() {
    while (true) {
        openJob_.wait();
        std::lock_guard lock(queueMutex_);
        if (!draining_)
            return;
    }
}

std::size_t OpenFolderEventHandler::loadRequest(FilesAndDirectories& request, std::stop_token stopToken,
                                                std::unordered_set<std::string> listed) {
    auto validator = request.directoryValidator;
    Directory::LoadContext context;
    context.stopToken = stopToken;
    context.reading = request.reading;
    context.listings = listings_;
    context.renameEmptyFolders = preferences_ ? preferences_->boolValue(PreferenceKey::renameEmptyFolders) : true;
    bool columnsShown = false;
    context.emptyFolderListed = [&] {
        if (!columnsShown)
            post(AppNotification::uncollapsePathColumns);
        columnsShown = true;
    };
    std::int64_t lastProgress = 0;
    context.progress = [&](std::size_t count) {
        if (request.filesFound)
            request.filesFound(count);
        const std::int64_t now = FilesAndDirectories::now();
        if (now - request.startTime <= progressDelayMs || now - lastProgress < progressIntervalMs)
            return;
        lastProgress = now;
        post(AppNotification::showProgressIndicator, "Opening " + std::to_string(count) + " files...");
    };

    // An item is listed once: a file given twice (or by two spellings of its path), a given file that
    // a given folder holds too, and on appending whatever the list has already. Given files keep their
    // place at the head of the list.
    std::unordered_set<std::string> known = std::move(listed);
    EntryKeys keys;
    std::vector<File> accepted;
    for (auto& file : request.files) {
        if (validator && !validator->isSupported(file.source.path))
            continue;
        if (!known.insert(keys.of(file.source)).second)
            continue;
        accepted.push_back(std::move(file));
    }
    request.files = std::move(accepted);
    context.fileCount = request.files.size();

    std::vector<std::shared_ptr<Directory>> loaded;
    for (auto& directory : request.directories) {
        if (stopToken.stop_requested())
            break;
        if (!Directory::markVisited(context.visited, directory->path))
            continue;
        if (validator && (!validator->isSupported(directory->path) || !validator->isWritable(directory->path))) {
            Logger::log("Directory blocked: ", directory->url);
            continue;
        }
        if (!directory->directoryValidator)
            directory->directoryValidator = validator;
        directory->load(context);
        loaded.push_back(directory);
    }
    request.directories = std::move(loaded);
    if (!known.empty())
        dropKnown(request.directories, known, keys);
    std::size_t total = request.files.size();
    for (const auto& directory : request.directories)
        total += directory->totalFileCount();
    return total;
}

void OpenFolderEventHandler::produceFiles(FilesAndDirectories& request, const std::function<void(File&&)>& sink) {
    for (auto& file : request.files)
        sink(std::move(file));
    request.files.clear();
    for (auto& directory : request.directories)
        directory->produceFiles(sink);
    request.directories.clear();
}

std::vector<File> OpenFolderEventHandler::collectFiles(FilesAndDirectories& request, std::stop_token stopToken) {
    std::vector<File> collected;
    collected.reserve(loadRequest(request, stopToken));
    produceFiles(request, [&collected](File&& file) { collected.push_back(std::move(file)); });
    return collected;
}

std::string OpenFolderEventHandler::rejectionReport(const std::set<RejectedDirectory>& rejected) {
    std::string lines;
    for (const auto& directory : rejected) {
        if (!lines.empty())
            lines += "\n";
        lines += std::string(rawValue(directory.reason)) + ": " + directory.path;
    }
    return "Files in the following directories are restricted for renaming:\n\n " + lines;
}

OpenFolderEventHandler::OpenResult OpenFolderEventHandler::openAllFilesAndDirectories(FilesAndDirectories request,
                                                                                      FileAction action,
                                                                                      std::stop_token stopToken) {
    Logger::log("🔶 ===============[ openAllFilesAndDirectories ]==================");
    const std::int64_t started = FilesAndDirectories::now();
    if (request.startTime == 0)
        request.startTime = started;
    post(AppNotification::showProgressIndicator, "Loading...");
    post(AppNotification::disableUserInput);

    OpenResult result;
    std::unordered_set<std::string> listed;
    if (action == FileAction::append) {
        EntryKeys keys;
        _dataSource->forEachFile([&](const FileDataSource::FileRef& file) { listed.insert(keys.of(file.source)); });
    }
    const std::size_t count = loadRequest(request, stopToken, std::move(listed));
    if (stopToken.stop_requested()) {
        result.cancelled = true;
    } else {
        result.fileCount = count;
        const bool appending = action == FileAction::append;
        // Only the given folders count as opened: files given on their own open no folder.
        std::vector<std::string> openedFolders;
        for (const auto& directory : request.directories)
            openedFolders.push_back(directory->path);
        _dataSource->applyFileAction(
            _dataSource->files(), [&request](const auto& sink) { produceFiles(request, sink); }, count,
            appending ? FileAction::append : FileAction::replace, false);
        _dataSource->setOpenedFolders(std::move(openedFolders), appending);
    }

    if (request.directoryValidator)
        result.rejected = request.directoryValidator->rejectedDirectories();
    if (!result.rejected.empty() && !result.cancelled)
        interaction_.showAlert("Unable to open all files", rejectionReport(result.rejected));

    post(AppNotification::hideProgressIndicator);
    post(AppNotification::enableUserInput);
    result.milliseconds = FilesAndDirectories::now() - started;
    Logger::log("==================[ ", "openAllFilesAndDirectories", " took ", result.milliseconds,
                " milliseconds. ]==================");
    return result;
}

} // namespace quillory
