// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillory {

// What to read from one file: its image properties and/or its audio tags (chosen by extension), and the
// ID3 item identifiers worth keeping. `timeLimitMs` lets a worker end itself should its parent be gone.
struct MetadataRequest {
    std::string path;
    bool image = false;
    bool audio = false;
    std::vector<std::string> id3Keys; // empty: the ID3 reader's default text frames
    std::uint32_t timeLimitMs = 0;

    bool operator==(const MetadataRequest&) const = default;
};

} // namespace quillory
