// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::update {

// A release number such as "1.4.10" or "v2.0.0-rc.1". Numbers compare as numbers (1.10 > 1.9), missing
// parts count as 0 (1.2 == 1.2.0), and a pre-release comes before its release (2.0.0-rc.1 < 2.0.0).
struct VersionNumber {
    std::vector<unsigned> parts;
    std::string preRelease; // after "-", empty for a release

    static std::optional<VersionNumber> parse(std::string_view text);

    std::strong_ordering operator<=>(const VersionNumber& other) const;
    bool operator==(const VersionNumber& other) const { return (*this <=> other) == 0; }
};

} // namespace quillory::update
