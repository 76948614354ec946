// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileError.h"
#include "rename/ItemIdentity.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillory {

// What renaming needs from the file system. Every operation reports failure as a value; none throws.
// Paths are absolute, UTF-8 or raw bytes.
class FileSystem {
public:
    using Outcome = std::optional<FileError>; // nothing on success

    virtual ~FileSystem() = default;

    // Moves a file, link or folder to the target. Never replaces anything: an existing target is
    // always error 516. Works across file systems.
    virtual Outcome moveItem(const std::string& source, const std::string& target) = 0;
    // Creates the folder and every missing folder above it.
    virtual Outcome createDirectories(const std::string& path) = 0;
    // Removes an empty folder (never its contents).
    virtual Outcome removeDirectory(const std::string& path) = 0;
    // Removes a file or link (not a folder).
    virtual Outcome removeFile(const std::string& path) = 0;
    // True when anything is there, a dangling link included.
    virtual bool exists(const std::string& path) = 0;
    // Up to `limit` entry names of a folder ("." and ".." left out), in no particular order.
    virtual Outcome directoryEntries(const std::string& path, std::size_t limit, std::vector<std::string>& names) = 0;
    // Device, inode, size and time of the item itself (links not followed); nothing when it is not there.
    virtual std::optional<ItemIdentity> identify(const std::string& path) = 0;
    // The identities of the sources of many moves (source, target), in order, taken before the moves
    // run; nothing for a source that is not there. Size and time may be left out
    // (ItemIdentity::sizeAndTimeKnown) where a move stays on its file system. The journal asks from two
    // threads at once, each with half of a long plan.
    virtual std::vector<std::optional<ItemIdentity>>
    identifyMoveSources(const std::vector<std::pair<std::string_view, std::string_view>>& moves) {
        std::vector<std::optional<ItemIdentity>> identities;
        identities.reserve(moves.size());
        for (const auto& move : moves)
            identities.push_back(identify(std::string(move.first)));
        return identities;
    }
    // Whether names in the folder are compared without regard to letter case; there "a.txt" and "A.txt"
    // are one entry, and a rename between the two spellings needs a detour through another name.
    virtual bool ignoresCase(const std::string& folder) {
        (void)folder;
        return false;
    }
    // Many moves inside one folder, by name, for items whose order does not matter: move() may be called
    // from several threads at once and never replaces anything. It says only whether the item moved; the
    // caller moves one that did not with moveItem, which tells why (and retries where that helps).
    class FolderMoves {
    public:
        virtual ~FolderMoves() = default;
        virtual bool move(const char* fromName, const char* toName) = 0;
    };
    // The folder held for such moves; nothing where the file system has no such way, where it would not
    // be faster, or where the folder cannot be held: the caller then moves each item with moveItem.
    virtual std::unique_ptr<FolderMoves> movesWithin(const std::string& folder) {
        (void)folder;
        return nullptr;
    }
    // Lets go of whatever was kept open to speed up a run of operations in the same folders; the next
    // operation looks at the disk afresh. The renamer calls it when a run starts and when it ends.
    virtual void releaseFolders() {}
};

} // namespace quillory
