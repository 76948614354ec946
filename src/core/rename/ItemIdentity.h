// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quillory {

// What tells one item on disk from another, and whether it changed: device and inode, with size and
// modification time for an item that was copied to another file system (and so has a new inode).
struct ItemIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since the epoch
    bool isFolder = false;
    bool sizeAndTimeKnown = true; // false: only device and inode were taken

    bool sameItem(const ItemIdentity& other) const { return device == other.device && inode == other.inode; }
    // The same item, or a faithful copy of it on another file system.
    bool sameOrCopiedItem(const ItemIdentity& other) const {
        if (sameItem(other))
            return true;
        if (!sizeAndTimeKnown || !other.sizeAndTimeKnown)
            return false;
        return device != other.device && isFolder == other.isFolder && modified == other.modified &&
               (isFolder || size == other.size);
    }
    bool operator==(const ItemIdentity&) const = default;
};

} // namespace quillory
