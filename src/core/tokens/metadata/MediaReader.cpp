// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MediaReader.h"

#include "app/Logger.h"
#include "tokens/metadata/MetadataConsole.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4item.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace quillory {

namespace {

std::string lowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::string utf8(const TagLib::String& text) { return text.to8Bit(true); }

// Strictly "yyyy-MM-ddTHH:mm:ssZ", a moment in UTC. Shorter forms ("2021") stay text.
std::optional<Date> parseUtcTimestamp(const std::string& text) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    auto number = [&](std::size_t at, std::size_t length) { return std::stoi(text.substr(at, length)); };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(5, 2) - 1;
    parts.tm_mday = number(8, 2);
    parts.tm_hour = number(11, 2);
    parts.tm_min = number(14, 2);
    parts.tm_sec = number(17, 2);
    if (parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour > 23 || parts.tm_min > 59 ||
        parts.tm_sec > 60)
        return std::nullopt;
    std::tm normalised = parts;
    std::time_t seconds = timegm(&normalised);
    if (normalised.tm_mday != parts.tm_mday) // 31 February and the like
        return std::nullopt;
    return Date(std::chrono::seconds(seconds));
}

AttributeValue valueOf(const std::string& text) {
    if (auto date = parseUtcTimestamp(text))
        return *date;
    return text;
}

// "©nam" is stored by TagLib as Latin-1 "\xA9nam"; identifiers keep printable ASCII and percent-encode
// the rest, so that they are plain text keys.
std::string atomIdentifier(const TagLib::String& name) {
    std::string out = "itsk/";
    for (unsigned char c : name.to8Bit(false)) {
        if (c > 0x20 && c < 0x7F && c != '%') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string pairText(const TagLib::MP4::Item::IntPair& pair) {
    std::string text = std::to_string(pair.first);
    if (pair.second > 0)
        text += "/" + std::to_string(pair.second);
    return text;
}

std::optional<std::string> mp4ItemText(const std::string& atom, const TagLib::MP4::Item& item) {
    // TagLib keeps no reliable data type on parsed items, so the kind follows the atom.
    if (atom == "trkn" || atom == "disk")
        return pairText(item.toIntPair());
    if (atom == "cpil" || atom == "pgap" || atom == "pcst" || atom == "hdvd" || atom == "shwm")
        return std::string(item.toBool() ? "1" : "0");
    if (atom == "tmpo" || atom == "rtng" || atom == "stik" || atom == "akID" || atom == "sfID" || atom == "atID" ||
        atom == "cnID" || atom == "geID" || atom == "cmID")
        return std::to_string(item.toInt());
    if (atom == "plID")
        return std::to_string(item.toLongLong());
    if (atom == "covr")
        return std::nullopt; // cover art
    TagLib::StringList list = item.toStringList();
    if (list.isEmpty())
        return std::nullopt;
    return utf8(list.toString(", "));
}

void readMp4(const std::filesystem::path& path, std::vector<MetadataEntry>& entries) {
    TagLib::MP4::File file(path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return;
    const auto& items = file.tag()->itemMap();
    for (auto it = items.begin(); it != items.end(); ++it) {
        std::string atom = it->first.to8Bit(false);
        if (atom.rfind("----", 0) == 0)
            continue; // free-form atoms have no short identifier
        if (auto text = mp4ItemText(atom, it->second))
            entries.push_back({atomIdentifier(it->first), valueOf(*text)});
    }
}

bool isTextLikeFrame(const std::string& frameId) {
    return (!frameId.empty() && (frameId[0] == 'T' || frameId[0] == 'W')) || frameId == "COMM" ||
           frameId == "USLT";
}

void readMpeg(const std::filesystem::path& path, std::vector<MetadataEntry>& entries) {
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid() || !file.hasID3v2Tag())
        return;
    for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameList()) {
        std::string frameId(frame->frameID().data(), frame->frameID().size());
        if (!isTextLikeFrame(frameId))
            continue;
        std::string text = utf8(frame->toString());
        if (!text.empty())
            entries.push_back({"id3/" + frameId, valueOf(text)});
    }
}

} // namespace

std::vector<MetadataEntry> readMediaMetadata(const std::filesystem::path& path) {
    std::vector<MetadataEntry> entries;
    std::string ext = lowerExtension(path);
    std::error_code error;
    // Only regular files: a FIFO under a media name would block the library's reads.
    if ((ext != "mp3" && ext != "m4a" && ext != "mp4") || !std::filesystem::is_regular_file(path, error))
        return entries;
    metadata::routeLibraryOutputToLogger();
    try {
        if (ext == "mp3")
            readMpeg(path, entries);
        else
            readMp4(path, entries);
    } catch (const std::exception& error) {
        Logger::log("Media metadata of ", path.string(), " unreadable: ", error.what());
    } catch (...) {
        Logger::log("Media metadata of ", path.string(), " unreadable");
    }
    return entries;
}

} // namespace quillory
