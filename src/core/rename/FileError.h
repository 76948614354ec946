// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// A failure of the file system, with the error code the rest of the application reasons about:
// 513 (no permission), 516 (an item exists already), 642 (read-only volume), 4 (no such item),
// 512 (any other failure). The system's errno is kept for the log.
struct FileError {
    static constexpr int noPermission = 513;
    static constexpr int fileExists = 516;
    static constexpr int readOnlyVolume = 642;
    static constexpr int noSuchFile = 4;
    static constexpr int unknown = 512;

    int code = unknown;
    int errnoValue = 0;
    std::string description;

    // From errno: the code, and a description naming the operation and the path.
    static FileError fromErrno(int errnoValue, const std::string& operation, const std::string& path);
    static int codeForErrno(int errnoValue);
};

} // namespace quillory
