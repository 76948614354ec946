// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/IdentityScan.h"

#include "filelist/FolderListings.h"
#include "model/File.h"
#include "rename/PositionTable.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

namespace quillory {
namespace {

std::optional<ItemIdentity> lookAt(std::string_view path) {
    struct stat info {};
    if (::lstat(std::string(path).c_str(), &info) != 0)
        return std::nullopt;
    return ItemIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),
                        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                        S_ISDIR(info.st_mode)};
}

// An identity from a folder listing: device and inode, without size and time.
ItemIdentity listedIdentity(std::uint64_t device, std::uint64_t inode) {
    ItemIdentity identity;
    identity.device = device;
    identity.inode = inode;
    identity.sizeAndTimeKnown = false;
    return identity;
}

// File systems whose listings give the same inode numbers as a look at the item. Others (overlay,
// network and FUSE file systems) may not.
bool listingsGiveInodes(const std::string& folder) {
    struct statfs volume {};
    if (::statfs(folder.c_str(), &volume) != 0)
        return false;
    switch (static_cast<unsigned long>(volume.f_type) & 0xffffffffUL) {
    case 0x01021994UL: // tmpfs
    case 0xef53UL:     // ext2, ext3, ext4
    case 0x58465342UL: // XFS
    case 0x9123683eUL: // Btrfs
    case 0xf2f52010UL: // F2FS
        return true;
    default:
        return false;
    }
}

// The device a folder is (or, when it is still to be made, will be) on.
std::optional<std::uint64_t> deviceOf(std::string_view folder) {
    for (std::string at(folder); !at.empty(); at = std::string(enclosingFolder(at))) {
        struct stat info {};
        if (::stat(at.c_str(), &info) == 0)
            return static_cast<std::uint64_t>(info.st_dev);
        if (at == "/")
            break;
    }
    return std::nullopt;
}

} // namespace

std::vector<std::optional<ItemIdentity>> IdentityScan::moveSources(const std::vector<Move>& moves,
                                                                   const FolderListings* listings) {
    std::vector<std::optional<ItemIdentity>> out(moves.size());
    std::vector<char> known(moves.size(), 0);
    std::unordered_map<std::string_view, std::vector<std::size_t>> byFolder;
    for (std::size_t i = 0; i < moves.size(); ++i)
        byFolder[enclosingFolder(moves[i].first)].push_back(i);

    std::unordered_map<std::string_view, std::optional<std::uint64_t>> targetDevices;
    for (const auto& [folderView, members] : byFolder) {
        if (members.size() < listingThreshold)
            continue;
        const std::string folder(folderView);
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !listingsGiveInodes(folder))
            continue;
        const auto device = static_cast<std::uint64_t>(info.st_dev);
        const auto listed = listings ? listings->current(folder) : nullptr;
        // A folder of many thousand entries is matched against its sources entry by entry: by the
        // names of its members (empty for those looked at in full), found by name.
        std::vector<std::string_view> names(members.size());
        const auto nameOf = [&names](std::size_t k) { return names[k]; };
        PositionTable byName(members.size());
        std::size_t left = 0;
        for (std::size_t k = 0; k < members.size(); ++k) {
            const std::size_t i = members[k];
            const std::string_view targetFolder = enclosingFolder(moves[i].second);
            if (targetFolder != folderView) {
                auto found = targetDevices.find(targetFolder);
                if (found == targetDevices.end())
                    found = targetDevices.emplace(targetFolder, deviceOf(targetFolder)).first;
                if (found->second != device)
                    continue; // leaves the file system, or cannot tell: looked at in full
            }
            const std::string_view name = moves[i].first.substr(lastSlash(moves[i].first) + 1);
            if (const auto inode = listed ? listed->inodeOf(name) : std::nullopt) {
                out[i] = listedIdentity(device, *inode);
                known[i] = 1;
                continue;
            }
            names[k] = name;
            left += byName.add(names[k], k, nameOf) ? 1 : 0;
        }
        if (left == 0)
            continue;
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        // A folder of many more entries than sources would cost more to read than looking at each.
        std::size_t budget = 8 * members.size() + 4096;
        // Many volumes list a folder in the order its entries were made or the reverse, often the order
        // of the list: the member beside the last one found, on the side the listing goes, is tried first.
        std::size_t last = names.size();
        bool backwards = false;
        while (left > 0 && budget-- > 0) {
            const dirent* entry = ::readdir(dir);
            if (!entry)
                break;
            // Folders are looked at in full: a mount point or a subvolume lists another inode or device.
            if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_DIR)
                continue;
            const std::string_view name(entry->d_name);
            const std::size_t guess = last == names.size() ? last : backwards ? last - 1 : last + 1;
            const auto found = guess < names.size() && names[guess] == name ? guess : byName.find(name, nameOf);
            if (!found || known[members[*found]])
                continue;
            if (last != names.size())
                backwards = *found < last;
            last = *found;
            out[members[*found]] = listedIdentity(device, static_cast<std::uint64_t>(entry->d_ino));
            known[members[*found]] = 1;
            --left;
        }
        ::closedir(dir);
    }
    for (std::size_t i = 0; i < moves.size(); ++i)
        if (!known[i])
            out[i] = lookAt(moves[i].first);
    return out;
}

} // namespace quillory
