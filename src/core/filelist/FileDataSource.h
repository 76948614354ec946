// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "app/NotificationCenter.h"
#include "filelist/AsyncFileIterator.h"
#include "filelist/FileAction.h"
#include "filelist/FileSortOrder.h"
#include "model/File.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class NotificationCenter;
class UndoManager;
struct Notification;

// The components of a file that an update writes back.
using FileComponentMutations = std::set<FileComponentMutation>;
const FileComponentMutations& allFileComponents();

// Hands the files of a change to `sink` one at a time, in list order. Lets a large open build the
// list's storage without first holding every File twice.
using FileProducer = std::function<void(const std::function<void(File&&)>& sink)>;

// The one list of files. The four components of every file sit in parallel storage arrays; the
// ordered index maps display positions to storage indexes. Every mutation runs on the list's actor,
// one at a time; readers get copies. A File handed out carries its storage index in `index`.
class FileDataSource {
public:
    // Both may be null (tests, tools without undo or notifications).
    explicit FileDataSource(NotificationCenter* notifications = nullptr, UndoManager* undoManager = nullptr);
    ~FileDataSource();
    FileDataSource(const FileDataSource&) = delete;
    FileDataSource& operator=(const FileDataSource&) = delete;

    // --- reading (snapshots)
    std::size_t count() const;
    // Changes whenever files join or leave the list, change places in it, or are moved on disk; a copy
    // of files() stays the list's while this stays the same (new names and checks aside).
    std::uint64_t revision() const;
    // The file at a display position, nothing when out of range.
    std::optional<File> file(std::size_t position) const;
    // All files in display order.
    std::vector<File> files() const;
    // At most `count` files from display position `first` on: a pass over a long list holds one slice
    // at a time instead of a second copy of the list. Only the chosen components are copied; the others
    // are left empty (a check that never reads attributes need not copy a photo's).
    std::vector<File> files(std::size_t first, std::size_t count,
                            const FileComponentMutations& components = allFileComponents()) const;
    // One file seen in place; valid only during the call that hands it out.
    struct FileRef {
        const FileSource& source;
        const FileTransform& transformed;
        const FileValidation& validation;
        int storageIndex = -1; // what File::index holds for this file
    };
    // Hands every file to `visit` in display order without copying the list. Runs on the list's actor:
    // `visit` must not change the list.
    void forEachFile(const std::function<void(const FileRef&)>& visit) const;
    std::vector<int> orderedIndex() const;
    FileSortOrder sortOrder() const;
    AsyncFileIterator makeAsyncIterator() const;

    struct LongestStrings {
        std::string originalPath;
        std::string originalName;    // name + "." + extension
        std::string transformedPath;
        std::string transformedName; // name + "." + extension
    };
    LongestStrings longestStrings() const;

    // --- changes of the membership (undoable)
    // oldFiles: the list before, in display order. newFiles: replace -> the new list, append -> the
    // files to add, remove -> the remaining files, move -> the reordered list, clear -> empty.
    void applyFileAction(std::vector<File> oldFiles, std::vector<File> newFiles, FileAction action, bool undoing);
    // The same with the new files produced one at a time; newCount is their number.
    void applyFileAction(std::vector<File> oldFiles, const FileProducer& produce, std::size_t newCount,
                         FileAction action, bool undoing);
    // Rebuilds the storage from the files (or appends them for a plain append). Posts "dataSourceUpdated".
    void doReplaceAllFiles(std::vector<File> files, FileAction action, bool undoing);
    void doReplaceAllFiles(const FileProducer& produce, std::size_t expectedCount, FileAction action, bool undoing);
    // Removes the given display positions (as they stand before the removal).
    void removeFiles(const std::vector<int>& positions);
    // Handler of "removeFiles": the object is a text of display positions joined with ",".
    void removeFilesEvent(const Notification& notification);
    // The files left after removing the positions of the text, taken from the last piece to the first;
    // empty, non-numeric and out-of-range pieces are skipped.
    static std::vector<File> removingPositions(std::vector<File> files, std::string_view positionsText);
    // A reordering by drag and drop: "Move files", then "applyChanges".
    void replaceMovedFiles(std::vector<File> reordered);
    void clear();

    // --- write-backs by storage index
    // Writes the chosen components of each file at its storage index. Stale write-backs (no index,
    // index out of range, another file at that slot) are dropped with a log line. Returns the
    // storage indexes written.
    // Marks every file for a new pass and forgets its validation, in place (a chain change).
    void markAllForTransform();
    std::vector<int> updateFiles(std::span<const File> files, std::stop_token stopToken = {},
                                 const FileComponentMutations& mutations = allFileComponents());
    // The same, moving the written components out of the files: worth it for attribute maps, while
    // texts copied into the stored ones reuse their buffers and are cheaper copied than moved.
    std::vector<int> updateFiles(std::vector<File>&& files, std::stop_token stopToken = {},
                                 const FileComponentMutations& mutations = allFileComponents());
    bool updateSource(const File& file);
    bool updateTransform(const File& file);
    bool updateValidation(const File& file);
    bool updateAttributes(const File& file);
    // Installs a new display order; refused (false) when its length does not match the list.
    bool updateOrderedIndex(std::vector<int> newIndex);
    void updateLongestStrings();

    // --- sorting
    // Sets the order and starts a cancellable sort in the background (cancelling one in progress).
    // Undoable: undo restores the previous order and display order.
    void sortBy(FileSortOrder order);
    // One sort run on the caller's thread. False when it was cancelled (nothing installed).
    bool sort(FileSortOrder order, std::stop_token stopToken = {});
    // Sets the order without sorting (a recipe being loaded before its files).
    void setSortOrder(FileSortOrder order);
    void waitForSort();

    // --- the folders the user opened: the roots of the list, above which nothing is ever removed
    // A replacing open sets them, an appending one adds to them. Plain paths without a trailing "/".
    void setOpenedFolders(std::vector<std::string> folders, bool appending);
    std::vector<std::string> openedFolders() const;

    // --- hooks
    // Called first by every rebuild of the list: cancels the validation in progress.
    void setValidationCanceller(std::function<void()> cancel);
    // Receives the storage indexes written by updateFiles, so that a table can redraw those rows. Called
    // from the writing thread; it must not change the list or this hook. Once replaced, it is not running.
    void setRowsUpdatedHandler(std::function<void(const std::vector<int>&)> handler);
    // Observes "removeFiles" on the centre given at construction.
    void observeNotifications();

private:
    class Actor;
    struct Storage;
    void notifyRowsUpdated(const std::vector<int>& rows);
    void registerFileActionUndo(std::vector<File> oldFiles, std::size_t newCount, FileAction action, bool undoing);
    void post(std::string_view name, std::string text = {});
    bool writeComponent(const File& file, FileComponentMutation mutation);
    template <typename Files>
    std::vector<int> writeFiles(Files& files, std::stop_token stopToken, const FileComponentMutations& mutations);
    void registerSortUndo(FileSortOrder previousOrder, std::vector<int> previousIndex, FileSortOrder order);

    NotificationCenter* notifications_;
    UndoManager* undoManager_;
    std::unique_ptr<Actor> fileDataSourceActor_;
    std::mutex rowsHandlerMutex_;
    std::function<void(const std::vector<int>&)> rowsUpdated_;
    BackgroundJob currentSortTask_;
    NotificationObservers observers_;
    mutable std::mutex openedFoldersMutex_;
    std::vector<std::string> openedFolders_;
};

} // namespace quillory
