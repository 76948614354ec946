// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenDetails.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The attribute catalogue, loaded once from TokenDetails.plist and shared through the registry.
// Read-only after loading, so it may be read from any thread.
class TokenDetailsList {
public:
    // An empty catalogue.
    TokenDetailsList() = default;
    // The catalogue compiled into the binary.
    static TokenDetailsList loadEmbedded();
    // A property list on disk (tests, overrides). Missing or unreadable: empty catalogue.
    static TokenDetailsList loadFile(const std::filesystem::path& path);
    // Property-list XML text. Unreadable: empty catalogue.
    static TokenDetailsList loadXml(std::string_view xml);

    std::vector<TokenDetails> basicTokenDetails;
    std::vector<TokenDetails> exifTokenDetails;
    std::vector<TokenDetails> gpsTokenDetails;
    std::vector<TokenDetails> id3TokenDetails;
    std::map<std::string, TokenDetails> id3TokenDetailsDictionary;
    std::vector<TokenDetails> iTunesTokenDetails;
    std::map<std::string, TokenDetails> iTunesTokenDetailsDictionary;
    std::vector<TokenDetails> flacTokenDetails;
    std::map<std::string, TokenDetails> tokenDetailsDictionary;
    std::vector<TokenDetails> regexTokenDetails;

    const TokenDetails* details(std::string_view tokenId) const;
    const TokenDetails* id3Details(std::string_view key) const;
    const TokenDetails* iTunesDetails(std::string_view key) const;

    // True when the id is in the catalogue with exactly this type.
    bool hasType(std::string_view tokenId, std::string_view type) const;
    bool isDate(std::string_view tokenId) const { return hasType(tokenId, "date"); }
    bool isGps(std::string_view tokenId) const { return hasType(tokenId, "gps"); }
    bool isNumber(std::string_view tokenId) const { return hasType(tokenId, "number"); }
};

} // namespace quillory
