// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RegularFile.h"

#include "app/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {
namespace {

std::string sizeText(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0)
        return std::to_string(bytes / (1024 * 1024)) + " MiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

Result<std::string> RegularFile::read(const std::filesystem::path &path, std::size_t limit) {
    const std::string name = "'" + path.string() + "'";
    // O_NONBLOCK: opening a FIFO that has no writer must not wait for one.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return Error{name + " cannot be read: " + std::strerror(errno)};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Error{name + " cannot be read: " + std::strerror(errno)};
    if (!S_ISREG(info.st_mode))
        return Error{name + " is not a regular file"};
    if (static_cast<unsigned long long>(info.st_size) > limit)
        return Error{name + " is larger than " + sizeText(limit)};
    std::string content;
    content.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    char probe = 0;
    for (;;) {
        char *into = filled < content.size() ? content.data() + filled : &probe;
        const std::size_t room = filled < content.size() ? content.size() - filled : 1;
        const ssize_t got = ::read(fd.get(), into, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Error{name + " cannot be read: " + std::strerror(errno)};
        if (got == 0)
            break;
        if (into == &probe) {
            if (content.size() >= limit)
                return Error{name + " is larger than " + sizeText(limit)};
            content.push_back(probe);
        }
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    return content;
}

} // namespace quillory
