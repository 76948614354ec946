// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quillory {

// The 32-bit header of a FLAC metadata block as read: last-block flag, 7-bit type, 24-bit length.
struct MetadataBlockHeader {
    std::uint32_t value = 0;

    bool isLast() const { return (value & 0x80000000u) != 0; }
    int type() const { return static_cast<int>((value >> 24) & 0x7F); }
    std::uint32_t length() const { return value & 0x00FFFFFFu; }
};

} // namespace quillory
