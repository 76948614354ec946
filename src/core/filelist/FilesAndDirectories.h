// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/Directory.h"
#include "filelist/DirectoryValidator.h"
#include "model/File.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillory {

// One open request: the individually given files and the given folders (read when the request is
// opened). Carried in the user information of "openFolder" under "filesAndDirectories".
struct FilesAndDirectories {
    static constexpr const char* userInfoKey = "filesAndDirectories";

    std::shared_ptr<DirectoryValidator> directoryValidator;
    std::int64_t startTime = 0; // milliseconds since 1970
    std::vector<File> files;
    std::vector<std::shared_ptr<Directory>> directories;
    FolderReading reading; // how deep the folders are read, and whether hidden names count
    // Called on the opening thread after each folder read, with the number of files found so far.
    std::function<void(std::size_t)> filesFound;

    // Sorts the given paths into folders and files (relative paths are taken from the working folder;
    // symbolic links count as files). A path that does not exist is recorded as "Not accessible".
    static FilesAndDirectories fromPaths(const std::vector<std::string>& paths,
                                         std::shared_ptr<DirectoryValidator> directoryValidator);

    static std::int64_t now();
};

} // namespace quillory
