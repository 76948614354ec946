// SPDX-License-Identifier: GPL-3.0-or-later
#include "VersionNumber.h"

#include <charconv>

namespace quillory::update {

std::optional<VersionNumber> VersionNumber::parse(std::string_view text) {
    if (!text.empty() && (text.front() == 'v' || text.front() == 'V'))
        text.remove_prefix(1);
    VersionNumber version;
    if (const auto dash = text.find('-'); dash != std::string_view::npos) {
        version.preRelease = std::string(text.substr(dash + 1));
        text = text.substr(0, dash);
        if (version.preRelease.empty())
            return std::nullopt;
    }
    for (;;) {
        unsigned part = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), part);
        if (error != std::errc() || end == text.data())
            return std::nullopt;
        version.parts.push_back(part);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (text.empty())
            return version;
        if (text.front() != '.')
            return std::nullopt;
        text.remove_prefix(1);
    }
}

std::strong_ordering VersionNumber::operator<=>(const VersionNumber& other) const {
    const std::size_t count = std::max(parts.size(), other.parts.size());
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned mine = i < parts.size() ? parts[i] : 0;
        const unsigned theirs = i < other.parts.size() ? other.parts[i] : 0;
        if (mine != theirs)
            return mine <=> theirs;
    }
    if (preRelease.empty() != other.preRelease.empty())
        return preRelease.empty() ? std::strong_ordering::greater : std::strong_ordering::less;
    return preRelease <=> other.preRelease;
}

} // namespace quillory::update
