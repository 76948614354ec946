// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FolderListings.h"

#include "text/Utf.h"

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
    return hash != 0 ? hash : 1;
}

bool before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

} // namespace

std::uint64_t FolderListings::listedInode(const dirent& entry) {
    // A folder may be a mount point or a subvolume, whose listing gives an inode of the volume below.
    return entry.d_type == DT_DIR || entry.d_type == DT_UNKNOWN ? 0 : static_cast<std::uint64_t>(entry.d_ino);
}

bool FolderListings::Listing::mayHold(std::string_view name) const {
    if (!text::isAscii(name))
        return true;
    return slotHolding(keyOf(name)).has_value();
}

std::optional<std::uint64_t> FolderListings::Listing::inodeOf(std::string_view name) const {
    const auto at = slotHolding(keyOf(name));
    return at && inodes[*at] != 0 ? std::optional(inodes[*at]) : std::nullopt;
}

std::optional<std::size_t> FolderListings::Listing::slotHolding(std::uint64_t key) const {
    for (std::size_t at = slotOf(key); keys[at] != 0; at = (at + 1) & (keys.size() - 1))
        if (keys[at] == key)
            return at;
    return std::nullopt;
}

std::size_t FolderListings::Listing::slotOf(std::uint64_t key) const {
    // The key's high bits, mixed: FNV's low bits depend only on the names' low bits.
    return shift >= 64 ? 0 : static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ULL) >> shift);
}

void FolderListings::Listing::makeTable() {
    // At most four fifths full, so that a name that is not there ends its search soon.
    std::size_t size = 8;
    shift = 61;
    while (size < keys.size() + keys.size() / 4 + 1) {
        size *= 2;
        --shift;
    }
    std::vector<std::uint64_t> table(size, 0);
    std::vector<std::uint64_t> inodeTable(size, 0);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::size_t at = slotOf(keys[i]);
        while (table[at] != 0 && table[at] != keys[i])
            at = (at + 1) & (size - 1);
        // The names of a folder differ: a key met again is two names that share it, and tells neither's inode.
        inodeTable[at] = table[at] == 0 ? inodes[i] : 0;
        table[at] = keys[i];
    }
    keys = std::move(table);
    inodes = std::move(inodeTable);
}

bool FolderListings::Reading::begin(int folderFd) {
    active_ = false;
    timespec now{};
    // The coarse clock is the one the kernel stamps folders with.
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
        return false;
    struct stat info {};
    if (::fstat(folderFd, &info) != 0 || !before(info.st_mtim, now) || !before(info.st_ctim, now))
        return false;
    listing_.device = static_cast<std::uint64_t>(info.st_dev);
    listing_.inode = static_cast<std::uint64_t>(info.st_ino);
    listing_.modified = info.st_mtim;
    listing_.changed = info.st_ctim;
    listing_.keys.clear();
    listing_.inodes.clear();
    active_ = true;
    return true;
}

void FolderListings::Reading::add(std::string_view name, std::uint64_t inode) {
    if (!active_)
        return;
    listing_.keys.push_back(keyOf(name));
    listing_.inodes.push_back(inode);
}

void FolderListings::record(const std::string& folder, Reading&& reading) {
    if (!reading.active_)
        return;
    auto listing = std::make_shared<Listing>(std::move(reading.listing_));
    listing->makeTable();
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
    // A folder's time can be set back (rsync and cp -a do, after replacing files), its change time cannot.
    if (sameTime(info.st_mtim, listing->modified) && sameTime(info.st_ctim, listing->changed))
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
            reading.add(entry->d_name, listedInode(*entry));
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    if (!complete || !reading.active())
        return nullptr;
    auto listing = std::make_shared<Listing>(std::move(reading.listing_));
    listing->makeTable();
    std::lock_guard lock(mutex_);
    listings_[folder] = listing;
    return listing;
}

void FolderListings::clear() {
    std::lock_guard lock(mutex_);
    listings_.clear();
}

} // namespace quillory
