// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FolderListings.h"

#include "text/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {
namespace {

// FNV-1a: a hash kept per name instead of the name. Two names that share one only cost a look at the disk.
std::uint64_t keyOf(std::string_view name) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return hash;
}

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

} // namespace

bool FolderListings::Listing::mayHold(std::string_view name) const {
    if (!text::isAscii(name))
        return true;
    return std::binary_search(keys.begin(), keys.end(), keyOf(name));
}

bool FolderListings::Reading::begin(int folderFd) {
    active_ = false;
    timespec now{};
    // The coarse clock is the one the kernel stamps folders with.
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
        return false;
    struct stat info {};
    if (::fstat(folderFd, &info) != 0 || !before(info.st_mtim, now))
        return false;
    listing_.device = static_cast<std::uint64_t>(info.st_dev);
    listing_.inode = static_cast<std::uint64_t>(info.st_ino);
    listing_.modified = info.st_mtim;
    listing_.keys.clear();
    active_ = true;
    return true;
}

void FolderListings::Reading::add(std::string_view name) {
    if (!active_)
        return;
    listing_.keys.push_back(keyOf(name));
}

void FolderListings::record(const std::string& folder, Reading&& reading) {
    if (!reading.active_)
        return;
    auto listing = std::make_shared<Listing>(std::move(reading.listing_));
    std::sort(listing->keys.begin(), listing->keys.end());
    reading.active_ = false;
    std::lock_guard lock(mutex_);
    listings_[folder] = std::move(listing);
}

std::shared_ptr<const FolderListings::Listing> FolderListings::current(const std::string& folder) const {
    std::shared_ptr<const Listing> listing;
    {
        std::lock_guard lock(mutex_);
        const auto found = listings_.find(folder);
        if (found == listings_.end())
            return nullptr;
        listing = found->second;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || static_cast<std::uint64_t>(info.st_dev) != listing->device ||
        static_cast<std::uint64_t>(info.st_ino) != listing->inode)
        return nullptr;
    if (info.st_mtim.tv_sec == listing->modified.tv_sec && info.st_mtim.tv_nsec == listing->modified.tv_nsec)
        return listing;
    // Changed since (a rename run, say): one reading of the folder costs less than a look per name.
    return reread(folder);
}

std::shared_ptr<const FolderListings::Listing> FolderListings::reread(const std::string& folder) const {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return nullptr;
    }
    Reading reading;
    reading.begin(fd);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            reading.add(entry->d_name);
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    if (!complete || !reading.active())
        return nullptr;
    auto listing = std::make_shared<Listing>(std::move(reading.listing_));
    std::sort(listing->keys.begin(), listing->keys.end());
    std::lock_guard lock(mutex_);
    listings_[folder] = listing;
    return listing;
}

void FolderListings::clear() {
    std::lock_guard lock(mutex_);
    listings_.clear();
}

} // namespace quillory
