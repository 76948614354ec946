// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenDetailsList.h"

#include "model/Resources.h"

#include <pugixml.hpp>

#include <array>
#include <fstream>
#include <sstream>

namespace quillory {

namespace {

// The value element that follows <key>name</key> in a property-list <dict>.
pugi::xml_node dictValue(pugi::xml_node dict, std::string_view name) {
    for (auto key = dict.child("key"); key; key = key.next_sibling("key"))
        if (name == key.child_value())
            return key.next_sibling();
    return {};
}

std::optional<std::string> stringEntry(pugi::xml_node dict, std::string_view name) {
    auto value = dictValue(dict, name);
    if (!value || std::string_view(value.name()) != "string")
        return std::nullopt;
    return std::string(value.child_value());
}

TokenDetails makeDetails(pugi::xml_node entry) {
    TokenDetails details;
    if (auto value = stringEntry(entry, "tokenId"))
        details.tokenId = *value;
    if (auto value = stringEntry(entry, "type"))
        details.type = *value;
    details.description = "\n" + stringEntry(entry, "description").value_or("UNDEFINED");
    if (auto value = stringEntry(entry, "key"))
        details.key = *value;
    details.subKey = stringEntry(entry, "subkey");
    return details;
}

// The entries of a section, or nothing when it is not an array of dictionaries.
std::vector<pugi::xml_node> sectionEntries(pugi::xml_node root, std::string_view section) {
    auto array = dictValue(root, section);
    if (!array || std::string_view(array.name()) != "array")
        return {};
    std::vector<pugi::xml_node> entries;
    for (auto child : array.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (std::string_view(child.name()) != "dict")
            return {};
        entries.push_back(child);
    }
    return entries;
}

} // namespace

TokenDetailsList TokenDetailsList::loadXml(std::string_view xml) {
    TokenDetailsList list;
    pugi::xml_document document;
    if (!document.load_buffer(xml.data(), xml.size()))
        return list;
    auto root = document.child("plist").child("dict");
    if (!root)
        return list;

    struct Section {
        std::string_view name;
        std::vector<TokenDetails>* array;
        std::map<std::string, TokenDetails>* byKey;
    };
    const std::array<Section, 7> sections = {{
        {"BASIC", &list.basicTokenDetails, nullptr},
        {"EXIF", &list.exifTokenDetails, nullptr},
        {"GPS", &list.gpsTokenDetails, nullptr},
        {"ID3", &list.id3TokenDetails, &list.id3TokenDetailsDictionary},
        {"ITUNES", &list.iTunesTokenDetails, &list.iTunesTokenDetailsDictionary},
        {"FLAC", &list.flacTokenDetails, nullptr},
        {"REGEX", &list.regexTokenDetails, nullptr},
    }};
    for (const auto& section : sections) {
        for (auto entry : sectionEntries(root, section.name)) {
            auto details = makeDetails(entry);
            section.array->push_back(details);
            if (section.byKey)
                (*section.byKey)[details.key] = details;
            list.tokenDetailsDictionary[details.tokenId] = details;
        }
    }
    return list;
}

TokenDetailsList TokenDetailsList::loadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream content;
    content << in.rdbuf();
    return loadXml(content.str());
}

TokenDetailsList TokenDetailsList::loadEmbedded() {
    auto resource = embeddedResource("TokenDetails.plist");
    return resource ? loadXml(*resource) : TokenDetailsList();
}

const TokenDetails* TokenDetailsList::details(std::string_view tokenId) const {
    auto found = tokenDetailsDictionary.find(std::string(tokenId));
    return found == tokenDetailsDictionary.end() ? nullptr : &found->second;
}

const TokenDetails* TokenDetailsList::id3Details(std::string_view key) const {
    auto found = id3TokenDetailsDictionary.find(std::string(key));
    return found == id3TokenDetailsDictionary.end() ? nullptr : &found->second;
}

const TokenDetails* TokenDetailsList::iTunesDetails(std::string_view key) const {
    auto found = iTunesTokenDetailsDictionary.find(std::string(key));
    return found == iTunesTokenDetailsDictionary.end() ? nullptr : &found->second;
}

bool TokenDetailsList::hasType(std::string_view tokenId, std::string_view type) const {
    auto found = details(tokenId);
    return found && found->type == type;
}

} // namespace quillory
