// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/AttributeSourcesOf.h"

#include <array>

namespace quillory {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

} // namespace

AttributeSources attributeSourcesOf(std::string_view tokenId) {
    if (tokenId == "original-filename" || startsWith(tokenId, "parent-directory-"))
        return {};
    if (tokenId == "date-created" || tokenId == "date-modified" || tokenId == "date-content-access" ||
        tokenId == "tags")
        return AttributeSources::fileSystem;
    // Top-level image properties, the EXIF/TIFF/GPS dictionaries, and the places found from GPS.
    static constexpr std::array<std::string_view, 8> imageProperties = {
        "PixelWidth", "PixelHeight", "DPIWidth", "DPIHeight", "Orientation", "ColorModel", "Depth", "ProfileName"};
    if (startsWith(tokenId, "{") || startsWith(tokenId, "GPS-"))
        return AttributeSources::image;
    for (const auto property : imageProperties) {
        if (tokenId == property)
            return AttributeSources::image;
    }
    if (startsWith(tokenId, "id3-") || startsWith(tokenId, "FLAC-"))
        return AttributeSources::audio;
    return AttributeSources::all();
}

AttributeSources attributeSourcesOf(const std::vector<Transformer>& chain) {
    AttributeSources sources;
    for (const auto& transformer : chain) {
        if (transformer.disabled)
            continue;
        for (const TokenString* text : transformer.properties.tokenStrings()) {
            for (const auto& item : text->items) {
                if (item.isAttribute())
                    sources |= attributeSourcesOf(item.value);
            }
        }
    }
    return sources;
}

} // namespace quillory
