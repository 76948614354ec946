// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/PosixFileSystem.h"

#include "app/FileDescriptor.h"
#include "app/Logger.h"
#include "model/File.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <utility>

namespace quillory {
namespace {

using Outcome = FileSystem::Outcome;

Outcome failure(const std::string& operation, const std::string& path, int errnoValue = errno) {
    return FileError::fromErrno(errnoValue, operation, path);
}

// A name beside the target that nothing else uses; the copy is built there and then put in place.
std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 generator{std::random_device{}()};
    char name[48];
    std::snprintf(name, sizeof name, ".quillory-move-%d-%u-%08x", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned>(generator()));
    return name;
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

void syncFolder(int folder) {
    // A held descriptor only locates the folder; flushing needs one opened for reading.
    FileDescriptor dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

bool noReplaceUnsupportedErrno(int value) { return value == EINVAL || value == ENOSYS || value == EOPNOTSUPP; }

// Puts an item in place on one file system without replacing anything.
Outcome placeWithoutReplacing(int sourceFolder, const std::string& sourceName, int targetFolder,
                              const std::string& targetName, bool tryRenameat2, const std::string& source) {
    const char* from = sourceName.c_str();
    const char* to = targetName.c_str();
    if (tryRenameat2) {
        if (::renameat2(sourceFolder, from, targetFolder, to, RENAME_NOREPLACE) == 0)
            return {};
        if (!noReplaceUnsupportedErrno(errno))
            return failure("Move", source);
    }
    struct stat info {};
    if (::fstatat(sourceFolder, from, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return failure("Move", source);
    if (!S_ISDIR(info.st_mode)) {
        // linkat() refuses an existing target; the source name goes only once the target exists.
        if (::linkat(sourceFolder, from, targetFolder, to, 0) == 0) {
            if (::unlinkat(sourceFolder, from, 0) == 0)
                return {};
            const int unlinkErrno = errno;
            ::unlinkat(targetFolder, to, 0);
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
        if (::mkdirat(targetFolder, to, 0700) != 0)
            return failure("Move", source);
    } else {
        const int claim = ::openat(targetFolder, to, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (claim < 0)
            return failure("Move", source);
        ::close(claim);
    }
    struct stat claimed {};
    const bool known = ::fstatat(targetFolder, to, &claimed, AT_SYMLINK_NOFOLLOW) == 0;
    if (::renameat(sourceFolder, from, targetFolder, to) != 0) {
        const int renameErrno = errno;
        // Only our own claim goes: whatever another program may have put there stays.
        struct stat now {};
        if (known && ::fstatat(targetFolder, to, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == claimed.st_dev &&
            now.st_ino == claimed.st_ino)
            ::unlinkat(targetFolder, to, isFolder ? AT_REMOVEDIR : 0);
        return failure("Move", source, renameErrno);
    }
    return {};
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Folder and name of a path: "/a/b" -> "/a", "b".
std::pair<std::string, std::string> splitPath(const std::string& path) {
    const std::string plain = withoutTrailingSlashes(path);
    const auto slash = plain.rfind('/');
    if (slash == std::string::npos)
        return {".", plain};
    return {slash == 0 ? std::string("/") : plain.substr(0, slash), plain.substr(slash + 1)};
}

// The same split as views into a path that has no trailing slash, so that the name is NUL-terminated:
// a run moves every file through here and needs no copies of its paths.
std::pair<std::string_view, std::string_view> splitPlainPath(const std::string& plain) {
    const auto slash = lastSlash(plain);
    const std::string_view path = plain;
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? std::string_view("/") : path.substr(0, slash), path.substr(slash + 1)};
}

bool hasTrailingSlash(const std::string& path) { return path.size() > 1 && path.back() == '/'; }

bool isPlainName(std::string_view name) { return !name.empty() && name != "." && name != ".." && name != "/"; }

std::string collapseSlashes(const std::string& path) {
    std::string result;
    result.reserve(path.size());
    for (const char c : path)
        if (c != '/' || result.empty() || result.back() != '/')
            result += c;
    return withoutTrailingSlashes(std::move(result));
}

bool hasDotComponent(const std::string& path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view piece(path.data() + start, end - start);
        if (piece == "." || piece == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// An absolute path without "." and ".." opened one component at a time, none of them a link.
int openWalking(const std::string& path) {
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 1;
    while (fd >= 0 && start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) {
            const std::string name = path.substr(start, end - start);
            const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            int error = errno;
            struct stat info {};
            if (next < 0 && error == ENOTDIR && ::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                error = ELOOP;
            ::close(fd);
            fd = next;
            errno = error;
        }
        start = end + 1;
    }
    return fd;
}

std::atomic<bool> openat2Missing{false};

int openWithoutLinks(const std::string& path, bool walkOnly) {
    if (!walkOnly && !openat2Missing.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_NO_SYMLINKS;
        const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
        if (fd >= 0 || errno != ENOSYS)
            return static_cast<int>(fd);
        openat2Missing.store(true, std::memory_order_relaxed);
    }
    return openWalking(path);
}

FileError refusedFolder(const std::string& operation, const std::string& display, const std::string& folder,
                        const std::string& real) {
    std::string description = operation + " \"" + display + "\" failed: ";
    description += folder == real ? "\"" + folder + "\" is outside the folders where renaming is allowed"
                                  : "\"" + folder + "\" leads through a symbolic link to \"" + real +
                                        "\", outside the folders where renaming is allowed";
    return FileError{FileError::unknown, EACCES, std::move(description)};
}

FileError linkAppeared(const std::string& operation, const std::string& display, const std::string& real) {
    return FileError{FileError::unknown, ELOOP,
                     operation + " \"" + display + "\" failed: a symbolic link appeared in \"" + real +
                         "\" while it was being opened; nothing was followed"};
}

// The path of an item in a folder held by descriptor, for the copy code that works with paths.
std::string heldPath(int folder, const std::string& name) {
    static const bool procUsable = ::access("/proc/self/fd", X_OK) == 0;
    if (!procUsable)
        return {};
    return "/proc/self/fd/" + std::to_string(folder) + "/" + name;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Whether renames in the folder go faster on two threads than on one. In memory a rename spends much of
// its time outside the folder's lock; on a disk file system nearly all of it inside (ext4: two threads
// took 15% longer than one).
bool movesPayTogether(int folder) {
    struct statfs volume {};
    if (::fstatfs(folder, &volume) != 0)
        return false;
    const auto type = static_cast<unsigned long>(volume.f_type) & 0xffffffffUL;
    return type == TMPFS_MAGIC || type == RAMFS_MAGIC;
}

// Moves inside one held folder. Needs no lock: the descriptor is its own and stays open until it goes.
class PosixFolderMoves : public FileSystem::FolderMoves {
public:
    explicit PosixFolderMoves(int folder) : folder_(folder) {}
    bool move(const char* fromName, const char* toName) override {
        // A name with a slash would reach into another folder.
        const auto plain = [](std::string_view name) { return isPlainName(name) && name.find('/') == name.npos; };
        return plain(fromName) && plain(toName) &&
               ::renameat2(folder_.get(), fromName, folder_.get(), toName, RENAME_NOREPLACE) == 0;
    }

private:
    FileDescriptor folder_;
};

} // namespace

PosixFileSystem::~PosixFileSystem() { releaseLocked(); }

void PosixFileSystem::setFolderCheck(std::function<bool(const std::string& realFolder)> check) {
    std::lock_guard lock(mutex_);
    folderCheck_ = std::move(check);
    releaseLocked();
}

void PosixFileSystem::releaseFolders() {
    std::lock_guard lock(mutex_);
    releaseLocked();
}

void PosixFileSystem::releaseLocked() {
    for (auto& folder : held_) {
        if (folder.fd >= 0)
            ::close(folder.fd);
        folder = HeldFolder{};
    }
}

void PosixFileSystem::forget(std::string_view path) {
    for (auto& folder : held_) {
        if (folder.fd < 0)
            continue;
        if (folder.path == path || isInside(folder.path, path)) {
            ::close(folder.fd);
            folder = HeldFolder{};
        }
    }
}

int PosixFileSystem::openFolder(const std::string& folder, const std::string& operation, const std::string& display,
                                Outcome& error) {
    const std::string plain = collapseSlashes(folder);
    if (!plain.empty() && plain.front() == '/' && !hasDotComponent(plain)) {
        const int fd = openWithoutLinks(plain, openat2Unsupported_);
        if (fd >= 0) {
            if (!folderCheck_ || folderCheck_(plain))
                return fd;
            ::close(fd);
            error = refusedFolder(operation, display, folder, plain);
            return -1;
        }
        if (errno != ELOOP) {
            error = failure(operation, display);
            return -1;
        }
    }
    // The path goes through a link: where it really leads must be allowed, and must still be the same
    // when it is opened (the real place has no link left, so a link appearing in it fails the open).
    char* real = ::realpath(plain.c_str(), nullptr);
    if (!real) {
        error = failure(operation, display);
        return -1;
    }
    const std::string resolved(real);
    std::free(real);
    if (folderCheck_ && !folderCheck_(resolved)) {
        error = refusedFolder(operation, display, folder, resolved);
        return -1;
    }
    if (beforeOpen_)
        beforeOpen_(resolved);
    const int fd = openWithoutLinks(resolved, openat2Unsupported_);
    if (fd < 0)
        error = errno == ELOOP ? linkAppeared(operation, display, resolved) : *failure(operation, display);
    return fd;
}

int PosixFileSystem::heldFolder(std::string_view folder, const std::string& operation, const std::string& display,
                                Outcome& error, bool& fresh) {
    fresh = false;
    for (auto& entry : held_) {
        if (entry.fd >= 0 && entry.path == folder) {
            entry.lastUse = ++useCounter_;
            return entry.fd;
        }
    }
    const int fd = openFolder(std::string(folder), operation, display, error);
    if (fd < 0)
        return -1;
    fresh = true;
    HeldFolder* slot = &held_.front();
    for (auto& entry : held_)
        if (entry.fd < 0 || entry.lastUse < slot->lastUse)
            slot = &entry;
    if (slot->fd >= 0)
        ::close(slot->fd);
    *slot = HeldFolder{std::string(folder), fd, ++useCounter_};
    return fd;
}

std::unique_ptr<FileSystem::FolderMoves> PosixFileSystem::movesWithin(const std::string& folder) {
    std::lock_guard lock(mutex_);
    if (noReplaceUnsupported_)
        return nullptr;
    Outcome error;
    FileDescriptor fd(openFolder(folder, "Move", folder, error));
    if (fd.get() < 0 || !movesPayTogether(fd.get()))
        return nullptr;
    return std::make_unique<PosixFolderMoves>(fd.release());
}

FileSystem::Outcome PosixFileSystem::moveItem(const std::string& source, const std::string& target) {
    std::lock_guard lock(mutex_);
    bool usedHeld = false;
    Outcome outcome = moveLocked(source, target, usedHeld);
    if (outcome && outcome->errnoValue == ENOENT && usedHeld) {
        // A folder held from earlier may have been removed or replaced since: try once more afresh.
        forget(splitPath(source).first);
        forget(splitPath(target).first);
        outcome = moveLocked(source, target, usedHeld);
    }
    if (!outcome) {
        // A folder that moved is no longer at its path.
        std::string_view moved = source;
        while (moved.size() > 1 && moved.back() == '/')
            moved.remove_suffix(1);
        forget(moved);
    }
    return outcome;
}

FileSystem::Outcome PosixFileSystem::moveLocked(const std::string& source, const std::string& target, bool& usedHeld) {
    std::string trimmedSource;
    std::string trimmedTarget;
    const std::string& plainSource =
        hasTrailingSlash(source) ? (trimmedSource = withoutTrailingSlashes(source)) : source;
    const std::string& plainTarget =
        hasTrailingSlash(target) ? (trimmedTarget = withoutTrailingSlashes(target)) : target;
    const auto [sourceFolder, sourceName] = splitPlainPath(plainSource);
    const auto [targetFolder, targetName] = splitPlainPath(plainTarget);
    if (!isPlainName(sourceName))
        return failure("Move", source, EINVAL);
    if (!isPlainName(targetName))
        return failure("Move", source, EINVAL);
    Outcome error;
    bool freshSource = false;
    bool freshTarget = false;
    const int from = heldFolder(sourceFolder, "Move", source, error, freshSource);
    if (from < 0)
        return error;
    const int to = heldFolder(targetFolder, "Move", source, error, freshTarget);
    if (to < 0)
        return error;
    usedHeld = !freshSource || !freshTarget;
    if (!noReplaceUnsupported_) {
        if (::renameat2(from, sourceName.data(), to, targetName.data(), RENAME_NOREPLACE) == 0)
            return {};
        const int code = errno;
        if (code == EXDEV)
            return copyAndRemoveAt(from, std::string(sourceName), to, std::string(targetName), source, target);
        if (!noReplaceUnsupportedErrno(code))
            return failure("Move", source, code);
    }
    auto outcome = placeWithoutReplacing(from, std::string(sourceName), to, std::string(targetName), false, source);
    if (outcome && outcome->errnoValue == EXDEV)
        return copyAndRemoveAt(from, std::string(sourceName), to, std::string(targetName), source, target);
    return outcome;
}

FileSystem::Outcome PosixFileSystem::copyAndRemove(const std::string& source, const std::string& target) {
    std::lock_guard lock(mutex_);
    const auto [sourceFolder, sourceName] = splitPath(source);
    const auto [targetFolder, targetName] = splitPath(target);
    if (!isPlainName(sourceName) || !isPlainName(targetName))
        return failure("Move", source, EINVAL);
    Outcome error;
    bool fresh = false;
    const int from = heldFolder(sourceFolder, "Move", source, error, fresh);
    if (from < 0)
        return error;
    const int to = heldFolder(targetFolder, "Move", source, error, fresh);
    if (to < 0)
        return error;
    auto outcome = copyAndRemoveAt(from, sourceName, to, targetName, source, target);
    if (!outcome)
        forget(withoutTrailingSlashes(source));
    return outcome;
}

FileSystem::Outcome PosixFileSystem::copyAndRemoveAt(int sourceFolder, const std::string& sourceName, int targetFolder,
                                                     const std::string& targetName, const std::string& source,
                                                     const std::string& target) {
    struct stat info {};
    if (::fstatat(targetFolder, targetName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return failure("Move", source, EEXIST);
    const std::string parkedName = temporaryName();
    // The copy code works with paths: it reaches the items through the held folders, so that no link
    // can take it elsewhere. Without /proc the plain paths have to do.
    std::string from = heldPath(sourceFolder, sourceName);
    std::string temporary = heldPath(targetFolder, parkedName);
    if (from.empty() || temporary.empty()) {
        from = source;
        temporary = splitPath(target).first + "/" + parkedName;
    }
    const auto readable = [&](FileError error) {
        replaceAll(error.description, from, source);
        replaceAll(error.description, temporary, target);
        return error;
    };
    if (auto error = copyItem(from, temporary)) {
        removeTree(temporary);
        return readable(*error);
    }
    if (auto error = placeWithoutReplacing(targetFolder, parkedName, targetFolder, targetName,
                                           !noReplaceUnsupported_, source)) {
        removeTree(temporary);
        return readable(*error);
    }
    syncFolder(targetFolder);
    // The copy is complete and in place: only now does the source go. When it cannot, both stay (the
    // copy may be the only whole one left of a folder), and the move is a failure.
    if (!removeTree(from)) {
        const int removeErrno = errno;
        Logger::error("Copied \"", source, "\" to \"", target, "\" but could not remove the original");
        FileError error = FileError::fromErrno(removeErrno, "Remove", source);
        error.description = "copied, but the original could not be removed (" + error.description + ")";
        return error;
    }
    return {};
}

FileSystem::Outcome PosixFileSystem::createDirectories(const std::string& path) {
    std::lock_guard lock(mutex_);
    const std::string wanted = collapseSlashes(path);
    if (wanted.empty() || wanted == "/")
        return {};
    // Where ".." leads only the kernel knows, and only for folders that exist.
    if (hasDotComponent(wanted))
        return failure("Create folder", path, EINVAL);
    std::vector<std::string> missing; // deepest first
    std::string existing = wanted;
    Outcome error;
    int opened = -1;
    while ((opened = openFolder(existing, "Create folder", path, error)) < 0) {
        if (!error || error->errnoValue != ENOENT || existing == "/")
            return error;
        auto [parent, name] = splitPath(existing);
        missing.push_back(std::move(name));
        existing = std::move(parent);
    }
    struct Current {
        int fd;
        ~Current() { ::close(fd); }
    } folder{opened};
    // One component at a time below a folder that was opened without links: a link put in place of a
    // folder just made is refused, never followed.
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        if (::mkdirat(folder.fd, name->c_str(), 0777) != 0 && errno != EEXIST)
            return failure("Create folder", path);
        const int next = ::openat(folder.fd, name->c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int code = errno;
            struct stat info {};
            if (code == ENOTDIR && ::fstatat(folder.fd, name->c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                return linkAppeared("Create folder", path, existing + (existing == "/" ? "" : "/") + *name);
            return failure("Create folder", path, code);
        }
        ::close(folder.fd);
        folder.fd = next;
        existing += (existing == "/" ? "" : "/") + *name;
    }
    return {};
}

FileSystem::Outcome PosixFileSystem::removeDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto [parent, name] = splitPath(path);
    if (!isPlainName(name))
        return failure("Remove folder", path, EINVAL);
    Outcome error;
    bool fresh = false;
    const int folder = heldFolder(parent, "Remove folder", path, error, fresh);
    if (folder < 0)
        return error;
    forget(withoutTrailingSlashes(path));
    if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0)
        return failure("Remove folder", path);
    return {};
}

FileSystem::Outcome PosixFileSystem::removeFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto [parent, name] = splitPath(path);
    if (!isPlainName(name))
        return failure("Remove", path, EINVAL);
    Outcome error;
    bool fresh = false;
    const int folder = heldFolder(parent, "Remove", path, error, fresh);
    if (folder < 0)
        return error;
    if (::unlinkat(folder, name.c_str(), 0) != 0)
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
