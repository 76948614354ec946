// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/ItemIdentity.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace quillory {

class FolderListings;

// The identities of the sources of a run's moves, taken before the moves run. Where many sources share
// a folder, device and inode come from one listing of the folder instead of a look at each item, which
// on a fast volume costs as much as the move itself; size and time are then left out. A move that
// leaves its file system is copied, and only size and time tell that copy for the original: its
// source is always looked at in full. A folder listed when it was opened, and unchanged since, need not be
// read again: `listings` gives its entries' inode numbers.
class IdentityScan {
public:
    using Move = std::pair<std::string_view, std::string_view>; // source, target

    // In the order of the moves; nothing for a source that is not there.
    static std::vector<std::optional<ItemIdentity>> moveSources(const std::vector<Move>& moves,
                                                                const FolderListings* listings = nullptr);
    // Below this many sources in one folder each is looked at on its own.
    static constexpr std::size_t listingThreshold = 32;
};

} // namespace quillory
