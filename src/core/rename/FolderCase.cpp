// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FolderCase.h"

#include "app/FileDescriptor.h"
#include "model/File.h"
#include "rename/FileSystem.h"
#include "text/Normalization.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

#include <cerrno>

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

namespace quillory {
namespace {

// f_type of the volumes that compare names without regard to case.
bool caseInsensitiveVolume(long type) {
    switch (static_cast<unsigned long>(type) & 0xffffffffUL) {
    case 0x4d44UL:     // FAT (msdos, vfat)
    case 0x2011bab0UL: // exFAT
    case 0x5346544eUL: // NTFS (ntfs, ntfs3)
    case 0x482bUL:     // HFS+
    case 0xff534d42UL: // CIFS
    case 0xfe534d42UL: // SMB2
    case 0x517bUL:     // SMB
        return true;
    default:
        return false;
    }
}

} // namespace

FolderCase::FolderCase(FileSystem& fileSystem) : fileSystem_(fileSystem) {}

bool FolderCase::probe(const std::string& folder) {
    std::string at = folder.empty() ? std::string("/") : folder;
    for (;;) {
        struct statfs volume {};
        if (::statfs(at.c_str(), &volume) == 0) {
            if (caseInsensitiveVolume(static_cast<long>(volume.f_type)))
                return true;
            const FileDescriptor fd(::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK));
            int flags = 0;
            return fd.get() >= 0 && ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
        }
        if ((errno != ENOENT && errno != ENOTDIR) || at == "/")
            return false;
        at = deletingLastPathComponent(at);
        if (at.empty())
            return false;
    }
}

bool FolderCase::ignoresCase(const std::string& folder) {
    // Runs of files share a folder.
    if (!lastFolder_.empty() && folder == lastFolder_)
        return lastAnswer_;
    auto found = folders_.find(folder);
    if (found == folders_.end())
        found = folders_.emplace(folder, fileSystem_.ignoresCase(folder)).first;
    lastFolder_ = folder;
    lastAnswer_ = found->second;
    return lastAnswer_;
}

bool FolderCase::foldsName(std::string_view path) {
    const std::string_view folder = enclosingFolder(path);
    if (folder.empty())
        return false;
    return !lastFolder_.empty() && folder == lastFolder_ ? lastAnswer_ : ignoresCase(std::string(folder));
}

std::string FolderCase::key(std::string path) {
    if (!foldsName(path))
        return path;
    const auto slash = path.rfind('/');
    std::string folded = text::foldCase(std::string_view(path).substr(slash + 1));
    path.resize(slash + 1);
    return path + folded;
}

bool FolderCase::sameEntry(const std::string& a, const std::string& b) {
    return a != b && deletingLastPathComponent(a) == deletingLastPathComponent(b) && key(a) == key(b);
}

} // namespace quillory
