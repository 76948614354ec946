// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct dirent;

namespace quillory {

// What the folders held when they were opened, so that validation can tell that a new name is free
// without asking the disk once per file, and a run's record can take its sources' inode numbers. A
// listing answers only while its folder is unchanged: same device, inode, modification and change time,
// and those times older than the moment of reading (a change in the same clock tick as the reading would
// leave them as they were). A folder that changed since (a rename
// run, say) is read again when asked for. Names are compared byte for byte, so a listing speaks only for
// a volume that tells case apart; a name that may be taken, or one with letters beyond ASCII (which a
// normalizing volume could match to another spelling), still goes to the disk.
class FolderListings {
public:
    class Listing {
    public:
        // False only when the folder held no entry named `name`.
        bool mayHold(std::string_view name) const;
        // The inode number the listing gave the entry named `name`, for a name the folder holds. Nothing
        // for a folder (a mount point lists an inode of another volume), or when the listing cannot tell
        // the name from another.
        std::optional<std::uint64_t> inodeOf(std::string_view name) const;

    private:
        friend class FolderListings;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        timespec modified{};
        timespec changed{}; // unlike the modification time, no one can set it back
        // While reading, the keys in listing order; once recorded, a table of them with open addressing
        // (found in one or two cache lines; 0 marks a free slot, and no key is 0). `inodes` goes beside
        // them; 0 where two names share a key.
        std::vector<std::uint64_t> keys;
        std::vector<std::uint64_t> inodes;
        unsigned shift = 64;

        void makeTable();
        std::size_t slotOf(std::uint64_t key) const;
        std::optional<std::size_t> slotHolding(std::uint64_t key) const;
    };

    // A reading of one folder, recorded when complete.
    class Reading {
    public:
        // Call with the folder's descriptor before reading its entries. False when the folder's time says
        // its listing could not be trusted afterwards; the reading is then not recorded.
        bool begin(int folderFd);
        // `inode` 0 where the listing cannot speak for the item's inode.
        void add(std::string_view name, std::uint64_t inode);
        bool active() const { return active_; }

    private:
        friend class FolderListings;
        bool active_ = false;
        Listing listing_;
    };

    // The inode number to add for an entry of a folder being read.
    static std::uint64_t listedInode(const dirent& entry);

    void record(const std::string& folder, Reading&& reading);
    // The folder's listing when it still describes the folder (one look at the folder), else null. A
    // folder listed before that has changed since is read again.
    std::shared_ptr<const Listing> current(const std::string& folder) const;
    void clear();

private:
    std::shared_ptr<const Listing> reread(const std::string& folder) const;

    mutable std::mutex mutex_;
    mutable std::map<std::string, std::shared_ptr<const Listing>, std::less<>> listings_;
};

} // namespace quillory
