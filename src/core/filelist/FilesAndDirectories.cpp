// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FilesAndDirectories.h"

#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace quillory {

std::int64_t FilesAndDirectories::now() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

FilesAndDirectories FilesAndDirectories::fromPaths(const std::vector<std::string>& paths,
                                                   std::shared_ptr<DirectoryValidator> directoryValidator) {
    FilesAndDirectories request;
    request.directoryValidator = std::move(directoryValidator);
    request.startTime = now();
    for (const auto& given : paths) {
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(given, error);
        std::string path = (error ? std::filesystem::path(given) : absolute).lexically_normal().string();
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (request.directoryValidator)
                request.directoryValidator->addRejectedDirectory({path, RejectionReason::error});
            continue;
        }
        if (S_ISDIR(info.st_mode))
            request.directories.push_back(std::make_shared<Directory>(path, request.directoryValidator));
        else
            request.files.push_back(File::fromPath(path, S_ISLNK(info.st_mode)));
    }
    return request;
}

} // namespace quillory
