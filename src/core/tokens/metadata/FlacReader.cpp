// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FlacReader.h"

#include "tokens/metadata/FileParser.h"
#include "tokens/metadata/TextDecoding.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace quillory {

namespace {

constexpr std::uint32_t kFlacMagic = 0x664C6143; // "fLaC"

std::optional<std::uint32_t> littleEndian32(std::string_view data, std::size_t& offset) {
    if (data.size() - offset < 4)
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(data[offset + static_cast<std::size_t>(i)]);
    offset += 4;
    return value;
}

std::vector<std::string> splitDroppingEmpty(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start)
            pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string capitalised(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        char c = out[i];
        if (i == 0 && c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
        else if (i > 0 && c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

AttributeValue typedValue(const std::string& text) {
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    bool whole = error == std::errc() && end == text.data() + text.size();
    if (whole && number <= static_cast<std::uint64_t>(INT64_MAX) && std::to_string(number).size() == text.size())
        return AttributeValue(static_cast<std::int64_t>(number));
    return AttributeValue(text);
}

} // namespace

FlacMetadata readFlacMetadata(const std::filesystem::path& path) {
    FlacMetadata result;
    FileParser parser(path);
    if (parser.readUInt32() != kFlacMagic)
        return result;
    result.isFlac = true;
    while (auto headerValue = parser.readUInt32()) {
        MetadataBlockHeader header{*headerValue};
        std::string data;
        if (header.length() > 0) {
            auto bytes = parser.readBytes(header.length());
            if (!bytes)
                break; // runs past the end of the file
            data = std::move(*bytes);
        }
        if (header.type() < 7)
            result.metadata[static_cast<MetadataBlockType>(header.type())] = MetadataBlock{header, std::move(data)};
        if (header.isLast())
            break;
    }
    return result;
}

std::vector<std::string> parseVorbisComments(std::string_view data) {
    std::vector<std::string> comments;
    std::size_t offset = 0;
    auto vendorLength = littleEndian32(data, offset);
    if (!vendorLength || *vendorLength > data.size() - offset)
        return comments;
    offset += *vendorLength;
    auto count = littleEndian32(data, offset);
    if (!count)
        return comments;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto length = littleEndian32(data, offset);
        if (!length || *length > data.size() - offset)
            break;
        std::string_view text = data.substr(offset, *length);
        offset += *length;
        if (auto decoded = metadata::decodeUtf8(text))
            comments.push_back(std::move(*decoded));
    }
    return comments;
}

std::vector<MetadataEntry> readFlac(const std::filesystem::path& path) {
    std::vector<MetadataEntry> entries;
    FlacMetadata flac = readFlacMetadata(path);
    auto block = flac.metadata.find(MetadataBlockType::VORBISCOMMENT);
    if (block == flac.metadata.end())
        return entries;
    for (const std::string& comment : parseVorbisComments(block->second.data)) {
        std::vector<std::string> pieces = splitDroppingEmpty(comment, '=');
        if (pieces.size() != 2)
            continue;
        entries.push_back({"FLAC-" + capitalised(pieces[0]), typedValue(pieces[1])});
    }
    return entries;
}

} // namespace quillory
