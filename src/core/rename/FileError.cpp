// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileError.h"

#include <cerrno>
#include <cstring>

namespace quillory {

int FileError::codeForErrno(int errnoValue) {
    switch (errnoValue) {
    case EACCES:
    case EPERM:
        return noPermission;
    case EEXIST:
    case ENOTEMPTY:
        return fileExists;
    case EROFS:
        return readOnlyVolume;
    case ENOENT:
        return noSuchFile;
    default:
        return unknown;
    }
}

FileError FileError::fromErrno(int errnoValue, const std::string& operation, const std::string& path) {
    return FileError{codeForErrno(errnoValue), errnoValue,
                     operation + " \"" + path + "\" failed: " + std::strerror(errnoValue)};
}

} // namespace quillory
