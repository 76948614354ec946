// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/PosixFileSystem.h"

#include "app/FileDescriptor.h"
#include "app/Logger.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string_view>
#include <utility>

namespace quillory {
namespace {

using Outcome = FileSystem::Outcome;

Outcome failure(const std::string& operation, const std::string& path, int errnoValue = errno) {
    return FileError::fromErrno(errnoValue, operation, path);
}

std::string parentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A name beside the target that nothing else uses; the copy is built there and then put in place.
std::string temporarySibling(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 generator{std::random_device{}()};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "/.quillory-move-%d-%u-%08x", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned>(generator()));
    return parentOf(target) + suffix;
}

bool isUserAttribute(std::string_view name) { return name.rfind("user.", 0) == 0; }

// Extended attributes of the user namespace must arrive (tags live there); others (security labels,
// for instance) are copied where the target allows it.
Outcome copyAttributes(const std::string& source, const std::string& target, bool isLink) {
    const ssize_t size = isLink ? ::llistxattr(source.c_str(), nullptr, 0) : ::listxattr(source.c_str(), nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? Outcome{} : failure("List attributes of", source);
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = isLink ? ::llistxattr(source.c_str(), names.data(), names.size())
                               : ::listxattr(source.c_str(), names.data(), names.size());
    if (got < 0)
        return failure("List attributes of", source);
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t start = 0; start < names.size();) {
        const std::string name(names.c_str() + start);
        start += name.size() + 1;
        if (name.empty())
            continue;
        const ssize_t valueSize = isLink ? ::lgetxattr(source.c_str(), name.c_str(), nullptr, 0)
                                         : ::getxattr(source.c_str(), name.c_str(), nullptr, 0);
        if (valueSize < 0)
            return failure("Read attribute " + name + " of", source);
        std::string value(static_cast<std::size_t>(valueSize), '\0');
        const ssize_t read = isLink ? ::lgetxattr(source.c_str(), name.c_str(), value.data(), value.size())
                                    : ::getxattr(source.c_str(), name.c_str(), value.data(), value.size());
        if (read < 0)
            return failure("Read attribute " + name + " of", source);
        const int set = isLink ? ::lsetxattr(target.c_str(), name.c_str(), value.data(), read, 0)
                               : ::setxattr(target.c_str(), name.c_str(), value.data(), read, 0);
        if (set != 0 && isUserAttribute(name))
            return failure("Write attribute " + name + " of", target);
    }
    return {};
}

Outcome copyContents(int from, int to, const std::string& source, const std::string& target) {
    bool useCopyRange = true;
    char buffer[1 << 16];
    for (;;) {
        if (useCopyRange) {
            const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
            if (copied > 0)
                continue;
            if (copied == 0)
                return {};
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
                return failure("Copy", source);
            useCopyRange = false;
            continue;
        }
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failure("Read", source);
        }
        if (got == 0)
            return {};
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = ::write(to, buffer + written, static_cast<std::size_t>(got - written));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return failure("Write", target);
            }
            written += n;
        }
    }
}

Outcome copyFile(const std::string& source, const std::string& target, const struct stat& info) {
    FileDescriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (from.get() < 0)
        return failure("Open", source);
    FileDescriptor to(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0)
        return failure("Create", target);
    if (auto error = copyContents(from.get(), to.get(), source, target))
        return error;
    // Ownership only carries over for a privileged process; permissions after it (chown clears set-id bits).
    if (::fchown(to.get(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
        return failure("Change owner of", target);
    if (::fchmod(to.get(), info.st_mode & 07777) != 0)
        return failure("Change permissions of", target);
    if (auto error = copyAttributes(source, target, false))
        return error;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(to.get(), times) != 0)
        return failure("Set times of", target);
    if (::fsync(to.get()) != 0)
        return failure("Flush", target);
    if (::close(to.release()) != 0)
        return failure("Close", target);
    return {};
}

Outcome copyLink(const std::string& source, const std::string& target, const struct stat& info) {
    std::string destination(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t length = ::readlink(source.c_str(), destination.data(), destination.size());
    if (length < 0)
        return failure("Read link", source);
    destination.resize(static_cast<std::size_t>(length));
    if (::symlink(destination.c_str(), target.c_str()) != 0)
        return failure("Create link", target);
    if (::lchown(target.c_str(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
        return failure("Change owner of", target);
    if (auto error = copyAttributes(source, target, true))
        return error;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return failure("Set times of", target);
    return {};
}

Outcome copyItem(const std::string& source, const std::string& target);

Outcome copyDirectory(const std::string& source, const std::string& target, const struct stat& info) {
    if (::mkdir(target.c_str(), 0700) != 0)
        return failure("Create folder", target);
    DIR* dir = ::opendir(source.c_str());
    if (!dir)
        return failure("List", source);
    Outcome result;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if ((result = copyItem(source + "/" + entry->d_name, target + "/" + entry->d_name)))
            break;
        errno = 0;
    }
    if (!result && errno != 0)
        result = failure("List", source);
    ::closedir(dir);
    if (result)
        return result;
    if (::chown(target.c_str(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
        return failure("Change owner of", target);
    if (::chmod(target.c_str(), info.st_mode & 07777) != 0)
        return failure("Change permissions of", target);
    if (auto error = copyAttributes(source, target, false))
        return error;
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::utimensat(AT_FDCWD, target.c_str(), times, 0) != 0)
        return failure("Set times of", target);
    return {};
}

Outcome copyItem(const std::string& source, const std::string& target) {
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0)
        return failure("Examine", source);
    if (S_ISREG(info.st_mode))
        return copyFile(source, target, info);
    if (S_ISLNK(info.st_mode))
        return copyLink(source, target, info);
    if (S_ISDIR(info.st_mode))
        return copyDirectory(source, target, info);
    return failure("Copy", source, ENOTSUP);
}

// Removes a tree without following links. Used for a partial copy and, after a complete copy, for the
// source folder.
bool removeTree(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.c_str()) == 0;
    bool ok = true;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                ok = removeTree(path + "/" + entry->d_name) && ok;
        }
        ::closedir(dir);
    }
    return ::rmdir(path.c_str()) == 0 && ok;
}

void syncDirectory(const std::string& path) {
    FileDescriptor dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

bool noReplaceUnsupportedErrno(int value) { return value == EINVAL || value == ENOSYS || value == EOPNOTSUPP; }

// Puts an item in place on one file system without replacing anything.
Outcome placeWithoutReplacing(const std::string& source, const std::string& target, bool tryRenameat2) {
    if (tryRenameat2) {
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return {};
        if (!noReplaceUnsupportedErrno(errno))
            return failure("Move", source);
    }
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0)
        return failure("Move", source);
    if (!S_ISDIR(info.st_mode)) {
        // link() refuses an existing target; the source name goes only once the target exists.
        if (::link(source.c_str(), target.c_str()) == 0) {
            if (::unlink(source.c_str()) == 0)
                return {};
            const int unlinkErrno = errno;
            ::unlink(target.c_str());
            return failure("Move", source, unlinkErrno);
        }
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
            return failure("Move", source);
    }
    // Folders (and file systems without hard links): claim the target name with an empty item of our
    // own, which fails if anything holds the name, then rename over that claim. A check followed by a
    // rename would replace whatever appeared in between.
    const bool isFolder = S_ISDIR(info.st_mode);
    if (isFolder) {
        if (::mkdir(target.c_str(), 0700) != 0)
            return failure("Move", source);
    } else {
        const int claim = ::open(target.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (claim < 0)
            return failure("Move", source);
        ::close(claim);
    }
    struct stat claimed {};
    const bool known = ::lstat(target.c_str(), &claimed) == 0;
    if (::rename(source.c_str(), target.c_str()) != 0) {
        const int renameErrno = errno;
        // Only our own claim goes: whatever another program may have put there stays.
        struct stat now {};
        if (known && ::lstat(target.c_str(), &now) == 0 && now.st_dev == claimed.st_dev && now.st_ino == claimed.st_ino) {
            if (isFolder)
                ::rmdir(target.c_str());
            else
                ::unlink(target.c_str());
        }
        return failure("Move", source, renameErrno);
    }
    return {};
}

} // namespace

FileSystem::Outcome PosixFileSystem::moveItem(const std::string& source, const std::string& target) {
    if (!noReplaceUnsupported_) {
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return {};
        const int error = errno;
        if (error == EXDEV)
            return copyAndRemove(source, target);
        if (!noReplaceUnsupportedErrno(error))
            return failure("Move", source, error);
    }
    return moveWithoutRenameat2(source, target);
}

FileSystem::Outcome PosixFileSystem::moveWithoutRenameat2(const std::string& source, const std::string& target) {
    auto outcome = placeWithoutReplacing(source, target, false);
    if (outcome && outcome->errnoValue == EXDEV)
        return copyAndRemove(source, target);
    return outcome;
}

FileSystem::Outcome PosixFileSystem::copyAndRemove(const std::string& source, const std::string& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0)
        return failure("Move", source, EEXIST);
    const std::string temporary = temporarySibling(target);
    if (auto error = copyItem(source, temporary)) {
        removeTree(temporary);
        return error;
    }
    if (auto error = placeWithoutReplacing(temporary, target, !noReplaceUnsupported_)) {
        removeTree(temporary);
        return error;
    }
    syncDirectory(parentOf(target));
    // The copy is complete and in place: only now does the source go. When it cannot, both stay (the
    // copy may be the only whole one left of a folder), and the move is a failure.
    if (!removeTree(source)) {
        const int removeErrno = errno;
        Logger::error("Copied \"", source, "\" to \"", target, "\" but could not remove the original");
        FileError error = FileError::fromErrno(removeErrno, "Remove", source);
        error.description = "copied, but the original could not be removed (" + error.description + ")";
        return error;
    }
    return {};
}

FileSystem::Outcome PosixFileSystem::createDirectories(const std::string& path) {
    if (path.empty() || path == "/")
        return {};
    if (::mkdir(path.c_str(), 0777) == 0)
        return {};
    int error = errno;
    if (error == ENOENT) {
        if (auto parentError = createDirectories(parentOf(path)))
            return parentError;
        if (::mkdir(path.c_str(), 0777) == 0)
            return {};
        error = errno;
    }
    struct stat info {};
    if (error == EEXIST && ::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return {};
        error = ENOTDIR;
    }
    return failure("Create folder", path, error);
}

FileSystem::Outcome PosixFileSystem::removeDirectory(const std::string& path) {
    if (::rmdir(path.c_str()) != 0)
        return failure("Remove folder", path);
    return {};
}

FileSystem::Outcome PosixFileSystem::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return failure("Remove", path);
    return {};
}

std::optional<ItemIdentity> PosixFileSystem::identify(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return ItemIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),
                        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                        S_ISDIR(info.st_mode)};
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat info {};
    // Anything but "not there" counts as there, so that a free-name search never picks a name it
    // could not examine.
    return ::lstat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

FileSystem::Outcome PosixFileSystem::directoryEntries(const std::string& path, std::size_t limit,
                                                      std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return failure("List", path);
    errno = 0;
    while (names.size() < limit) {
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        return failure("List", path, error);
    return {};
}

} // namespace quillory
