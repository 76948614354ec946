// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/Id3Reader.h"

#include "tokens/metadata/FileParser.h"
#include "tokens/metadata/TextDecoding.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace quillory {

namespace {

constexpr std::uint8_t kHeaderUnsynchronisation = 0x80;
constexpr std::uint8_t kHeaderExtended = 0x40;

// Bounds-checked cursor over the tag body already in memory.
class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}
    std::size_t remaining() const { return bytes_.size() - offset_; }
    std::optional<std::string_view> take(std::size_t count) {
        if (count > remaining())
            return std::nullopt;
        std::string_view piece = bytes_.substr(offset_, count);
        offset_ += count;
        return piece;
    }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
};

std::uint32_t bigEndian(std::string_view bytes, bool synchsafe) {
    std::uint32_t value = 0;
    for (char byte : bytes) {
        auto b = static_cast<std::uint8_t>(byte);
        value = synchsafe ? (value << 7) | (b & 0x7F) : (value << 8) | b;
    }
    return value;
}

// Writers insert 0x00 after every 0xFF so that no false MPEG sync appears; take those bytes out again.
std::string undoUnsynchronisation(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (static_cast<std::uint8_t>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

// v2.3 gives the size of the rest of the extended header, v2.4 a synchsafe size that includes itself.
bool skipExtendedHeader(ByteCursor& cursor, int major) {
    auto sizeBytes = cursor.take(4);
    if (!sizeBytes)
        return false;
    std::uint32_t size = bigEndian(*sizeBytes, major >= 4);
    if (major >= 4) {
        if (size < 4)
            return false;
        size -= 4;
    }
    return cursor.take(size).has_value();
}

// Splits a text body at its terminators (one NUL, or two aligned NULs for UTF-16) and decodes every
// piece. Several pieces are the multiple values of v2.4; the last terminator of many writers gives
// an empty piece that is dropped.
std::vector<std::string> decodeTextPieces(std::string_view bytes, std::uint8_t encoding) {
    bool wide = encoding == 1 || encoding == 2;
    std::vector<std::string_view> raw;
    std::size_t start = 0;
    std::size_t step = wide ? 2 : 1;
    for (std::size_t i = 0; i + step <= bytes.size(); i += step) {
        bool terminator = wide ? bytes[i] == '\0' && bytes[i + 1] == '\0' : bytes[i] == '\0';
        if (terminator) {
            raw.push_back(bytes.substr(start, i - start));
            start = i + step;
        }
    }
    if (start < bytes.size())
        raw.push_back(bytes.substr(start));

    std::vector<std::string> pieces;
    std::optional<bool> bigEndianOrder;
    for (std::string_view piece : raw) {
        std::optional<std::string> text;
        switch (encoding) {
        case 0: text = metadata::decodeWindows1252(piece); break;
        case 1: {
            if (piece.size() >= 2) {
                auto b0 = static_cast<std::uint8_t>(piece[0]);
                auto b1 = static_cast<std::uint8_t>(piece[1]);
                if (b0 == 0xFE && b1 == 0xFF)
                    bigEndianOrder = true, piece.remove_prefix(2);
                else if (b0 == 0xFF && b1 == 0xFE)
                    bigEndianOrder = false, piece.remove_prefix(2);
                else if (pieces.empty())
                    bigEndianOrder.reset(); // the first value must carry a byte-order mark
            }
            if (bigEndianOrder)
                text = metadata::decodeUtf16(piece, *bigEndianOrder);
            break;
        }
        case 2: text = metadata::decodeUtf16(piece, true); break;
        default: text = metadata::decodeUtf8(piece); break;
        }
        std::string value = text.value_or(std::string());
        value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
        if (!value.empty())
            pieces.push_back(std::move(value));
    }
    return pieces;
}

std::string joinPieces(const std::vector<std::string>& pieces) {
    std::string out;
    for (const auto& piece : pieces) {
        if (!out.empty())
            out += ", ";
        out += piece;
    }
    return out;
}

// Comments and lyrics carry a language and a description before their text; user text frames a
// description. Only the text is the value.
std::string decodeFrameText(std::string_view frameId, std::string_view body) {
    auto encoding = static_cast<std::uint8_t>(body[0]);
    std::string_view content = body.substr(1);
    if (frameId == "COMM" || frameId == "USLT") {
        if (content.size() < 3)
            return {};
        content.remove_prefix(3);
    }
    if (frameId == "COMM" || frameId == "USLT" || frameId == "TXXX") {
        // The description ends at the first terminator: drop it even when it is empty.
        bool wide = encoding == 1 || encoding == 2;
        std::size_t step = wide ? 2 : 1;
        for (std::size_t i = 0; i + step <= content.size(); i += step) {
            if (content[i] == '\0' && (!wide || content[i + 1] == '\0'))
                return joinPieces(decodeTextPieces(content.substr(i + step), encoding));
        }
        return {};
    }
    return joinPieces(decodeTextPieces(content, encoding));
}

bool isDefaultTextFrame(std::string_view frameId) {
    return (!frameId.empty() && frameId[0] == 'T') || frameId == "COMM" || frameId == "USLT";
}

bool isPairFrame(std::string_view key) { return key == "id3/TRCK" || key == "id3/TPOS"; }

void addItems(Id3Metadata& result, const std::string& key, const std::string& text, const Id3KeyFilter& wanted) {
    auto add = [&](std::string id, std::string value) {
        if (!wanted || wanted(id))
            result.items.push_back({std::move(id), std::move(value)});
    };
    if (isPairFrame(key)) {
        auto slash = text.find('/');
        add(key + "1", text.substr(0, slash));
        if (slash != std::string::npos && text.find('/', slash + 1) == std::string::npos)
            add(key + "2", text.substr(slash + 1));
    }
    add(key, text);
}

bool frameWanted(const std::string& frameId, const std::string& key, const Id3KeyFilter& wanted) {
    if (!wanted)
        return isDefaultTextFrame(frameId);
    // A catalogue may list only the parts of a pair; the frame must still be read to produce them.
    return wanted(key) || (isPairFrame(key) && (wanted(key + "1") || wanted(key + "2")));
}

void readFrames(Id3Metadata& result, std::string_view body, int major, std::uint8_t headerFlags,
                const Id3KeyFilter& wanted) {
    ByteCursor cursor(body);
    if ((headerFlags & kHeaderExtended) && !skipExtendedHeader(cursor, major))
        return;
    while (cursor.remaining() >= 10) {
        std::string_view idBytes = *cursor.take(4);
        if (idBytes[0] == '\0')
            break; // padding
        std::uint32_t size = bigEndian(*cursor.take(4), major >= 4);
        std::string_view flags = *cursor.take(2);
        if (size == 0)
            break;
        auto frameBody = cursor.take(size);
        if (!frameBody)
            break; // the frame runs past the tag or the file: keep what came before
        std::string frameId(idBytes);
        if (!metadata::decodeUtf8(frameId))
            frameId.clear();
        std::string key = "id3/" + frameId;

        auto format = static_cast<std::uint8_t>(flags[1]);
        std::string content(*frameBody);
        if (major >= 4) {
            if (format & 0x0C) // compressed or encrypted
                continue;
            if (format & 0x40) // group identifier byte
                content.erase(0, std::min<std::size_t>(1, content.size()));
            if (format & 0x01) // data length indicator
                content.erase(0, std::min<std::size_t>(4, content.size()));
            if ((format & 0x02) || (headerFlags & kHeaderUnsynchronisation))
                content = undoUnsynchronisation(content);
        } else {
            if (format & 0xC0) // compressed or encrypted
                continue;
            if (format & 0x20) // group identifier byte
                content.erase(0, std::min<std::size_t>(1, content.size()));
        }
        if (content.empty() || !frameWanted(frameId, key, wanted))
            continue;
        if (static_cast<std::uint8_t>(content[0]) >= 4)
            continue;
        addItems(result, key, decodeFrameText(frameId, content), wanted);
    }
}

} // namespace

Id3Metadata readId3(const std::filesystem::path& path, const Id3KeyFilter& wanted) {
    Id3Metadata result;
    FileParser parser(path);
    auto magic = parser.readAscii(3);
    if (!magic || *magic != "ID3")
        return result;
    auto major = parser.readByte();
    auto revision = parser.readByte();
    auto flags = parser.readByte();
    if (!major || !revision || !flags)
        return result;
    result.hasTag = true;
    result.version = "2." + std::to_string(*major) + "." + std::to_string(*revision);
    result.flags = *flags;
    // v2.2 uses three-letter frames with another layout; later majors are not defined.
    if (*major != 3 && *major != 4)
        return result;
    std::string body = parser.readAtMost(parser.readSynchsafe32().value_or(0));
    // In v2.3 the whole tag is unsynchronised; v2.4 marks it frame by frame.
    if (*major == 3 && (*flags & kHeaderUnsynchronisation))
        body = undoUnsynchronisation(body);
    readFrames(result, body, *major, *flags, wanted);
    return result;
}

std::vector<MetadataEntry> id3Entries(const Id3Metadata& metadata) {
    std::vector<MetadataEntry> entries;
    entries.reserve(metadata.items.size());
    for (const auto& item : metadata.items)
        entries.push_back({item.id, AttributeValue(item.value)});
    return entries;
}

} // namespace quillory
