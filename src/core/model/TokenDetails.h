// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace quillory {

// One row of the attribute catalogue.
struct TokenDetails {
    std::string tokenId = "UNDEFINED_TOKENID";
    std::string type = "UNDEFINED_TYPE"; // "date", "gps" and "number" have a meaning
    std::string description = "\nUNDEFINED"; // stored with a leading line feed
    std::string key = "UNDEFINED";
    std::optional<std::string> subKey;

    bool operator==(const TokenDetails&) const = default;
};

} // namespace quillory
