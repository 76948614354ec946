// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace quillory {

class DirectoryValidator;
class FolderListings;

// How far the folders of an open request are read.
struct FolderReading {
    // Levels of subfolders read below each given folder: none means all of them, 0 only the folder's
    // own files.
    std::optional<std::size_t> depth;
    // List names beginning with "." (and read hidden folders) too.
    bool includeHidden = false;
};

// One folder of an open request, read by hand one level at a time: hidden entries (names beginning
// with ".") are skipped unless asked for, symbolic links are listed as files with isAlias set and never followed, and
// the children come in the localized standard order of their names (file2 before file10).
class Directory {
public:
    // Folders already read during this request, by device and inode, so that no folder is read twice
    // however it is reached.
    using VisitedFolders = std::set<std::pair<std::uint64_t, std::uint64_t>>;

    struct LoadContext {
        VisitedFolders visited;
        bool renameEmptyFolders = true;
        std::stop_token stopToken;
        FolderReading reading;
        std::size_t level = 0; // of the folder being read, below the given one
        std::size_t fileCount = 0;
        // Called after each folder with the number of files so far.
        std::function<void(std::size_t)> progress;
        // Called when an empty folder is listed as an entry of its own.
        std::function<void()> emptyFolderListed;
        // Where the names of each folder read are kept, when wanted.
        FolderListings* listings = nullptr;
    };

    Directory(std::string path, std::shared_ptr<DirectoryValidator> directoryValidator);

    // Reads the folder and, recursively, its accepted subfolders. A folder that cannot be read is
    // recorded with the validator as "Not accessible".
    void load(LoadContext& context);

    // One listed item of the folder, kept small: File records are made when the list takes them.
    struct Entry {
        std::string name; // empty for the folder's own entry (an empty folder)
        bool isAlias = false;
    };

    // Makes the File records of the tree in list order (the folder's own entries, then each
    // subfolder's) and hands them to `sink`, releasing the entries as it goes.
    void produceFiles(const std::function<void(File&&)>& sink);
    std::vector<File> takeFiles();
    std::size_t totalFileCount() const;

    // Marks a folder as visited; false when it was already there (or cannot be examined).
    static bool markVisited(VisitedFolders& visited, const std::string& path);

    std::string url;  // file URL of the folder, ending in "/"
    std::string path; // plain path, no trailing "/"
    std::string name;
    std::vector<Entry> files;
    std::vector<std::shared_ptr<Directory>> subDirectories;
    std::shared_ptr<DirectoryValidator> directoryValidator;
    bool isEmptyDirectory = true;
};

} // namespace quillory
