// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/FileAttributeUtil.h"

#include "app/Logger.h"
#include "text/DateFormat.h"
#include "tokens/GPSFormatUtil.h"
#include "model/TokenDetailsList.h"
#include "tokens/metadata/FileSystemAttributes.h"
#include "tokens/metadata/MetadataWorkerPool.h"

#include <algorithm>
#include <system_error>

namespace quillory {
namespace {

std::string describe(const AttributeValue& value);

std::string describeList(const AttributeValue::List& list) {
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += ',';
        text += describe(list[i]);
    }
    return text;
}

// How an element reads inside a joined list.
std::string describe(const AttributeValue& value) {
    if (const auto* text = value.text())
        return *text;
    if (const auto* integer = value.integer())
        return std::to_string(*integer);
    if (const auto* real = value.real())
        return GPSFormatUtil::shortestDecimal(*real);
    if (const auto* date = value.date())
        return text::formatDate(*date, "yyyy-MM-dd HH:mm:ss Z");
    if (const auto* list = value.list())
        return describeList(*list);
    return {};
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool hasAudioExtension(const std::filesystem::path& path) {
    const std::string ext = lowerAscii(path.extension().string());
    return ext == ".mp3" || ext == ".m4a" || ext == ".mp4" || ext == ".flac";
}

// The MP4 track and disc atoms hold "3/12" pairs as ID3 does; their parts become the ID3 items of a
// split pair, so that the number and total tokens work for MP4 files as for MP3 files.
std::optional<std::string_view> id3PairKey(std::string_view mediaId) {
    if (mediaId == "itsk/trkn")
        return "id3/TRCK";
    if (mediaId == "itsk/disk")
        return "id3/TPOS";
    return std::nullopt;
}

} // namespace

FileAttributeUtil::FileAttributeUtil(std::shared_ptr<const TokenDetailsList> catalogue, MetadataSource source)
    : catalogue_(std::move(catalogue)), source_(std::move(source)) {
    if (!catalogue_)
        return;
    wantsImages_ = !catalogue_->exifTokenDetails.empty() || !catalogue_->gpsTokenDetails.empty();
    for (const auto& entry : catalogue_->id3TokenDetailsDictionary)
        id3Keys_.push_back(entry.first);
    if (!source_) {
        auto pool = std::make_shared<MetadataWorkerPool>();
        source_ = [pool](const MetadataRequest& request) { return pool->read(request); };
    }
}

void FileAttributeUtil::addAttribute(AttributeMap& map, std::string_view id, std::string_view label,
                                     AttributeValue value) {
    std::string key(id);
    if (map.find(key) != map.end())
        return;
    if (const auto* list = value.list())
        value = AttributeValue(describeList(*list));
    map.emplace(key, FileAttribute(key, std::string(label), std::move(value)));
}

std::filesystem::path FileAttributeUtil::pathOf(const File& file) {
    return file.source.location();
}

FileAttributes FileAttributeUtil::load(const File& file, AttributeSources sources) const {
    if (sources.empty())
        return FileAttributes::loaded({}, sources);
    return FileAttributes::loaded(readAttributes(pathOf(file), sources), sources);
}

AttributeMap FileAttributeUtil::readAttributes(const std::filesystem::path& path, AttributeSources sources) const {
    AttributeMap map;
    if (sources.has(AttributeSources::fileSystem))
        addFileSystemAttributes(map, path);
    const bool wantsContents = sources.has(AttributeSources::image) || sources.has(AttributeSources::audio);
    // Image and audio readers only look into regular files: a folder or a FIFO has no tags to give.
    if (!wantsContents || !catalogue_ || !isRegularFile(path))
        return map;
    MetadataRequest request;
    request.path = path.string();
    request.image = wantsImages_ && sources.has(AttributeSources::image);
    request.audio = sources.has(AttributeSources::audio) && hasAudioExtension(path);
    if (!request.image && !request.audio)
        return map;
    if (request.audio)
        request.id3Keys = id3Keys_;
    const auto report = source_(request);
    if (!report)
        return map;
    if (report->image)
        addImageProperties(map, *report->image);
    addAudioTags(map, *report);
    return map;
}

void FileAttributeUtil::addFileSystemAttributes(AttributeMap& map, const std::filesystem::path& path) const {
    auto attributes = readFileSystemAttributes(path);
    if (!attributes) {
        Logger::error("Error reading file attributes: ", attributes.error().message);
        return;
    }
    for (auto& entry : attributes->entries())
        addAttribute(map, entry.id, entry.id, std::move(entry.value));
}

void FileAttributeUtil::addImageProperties(AttributeMap& map, const ImageProperties& properties) const {
    auto visit = [&](const std::vector<TokenDetails>& section) {
        for (const auto& details : section) {
            if (details.subKey) {
                if (const AttributeValue* value = properties.value(details.key, *details.subKey))
                    addAttribute(map, details.key + "." + *details.subKey, *details.subKey, *value);
            } else if (const AttributeValue* value = properties.value(details.key)) {
                addAttribute(map, details.key, details.key, *value);
            }
        }
    };
    visit(catalogue_->exifTokenDetails);
    visit(catalogue_->gpsTokenDetails);
}

void FileAttributeUtil::addAudioTags(AttributeMap& map, const MetadataReport& report) const {
    // The media items first; then the ID3 parser, whose split track and disc numbers the media
    // reader does not give.
    addMediaItems(map, report.media);
    const auto& id3Keys = catalogue_->id3TokenDetailsDictionary;
    for (const auto& item : report.id3) {
        const auto found = id3Keys.find(item.id);
        if (found != id3Keys.end())
            addAttribute(map, found->second.tokenId, found->second.tokenId, item.value);
    }
    for (const auto& entry : report.flac)
        addAttribute(map, entry.id, entry.id, entry.value);
}

void FileAttributeUtil::addMediaItems(AttributeMap& map, const std::vector<MetadataEntry>& items) const {
    for (const auto* dictionary : {&catalogue_->iTunesTokenDetailsDictionary,
                                   &catalogue_->id3TokenDetailsDictionary}) {
        for (const auto& item : items) {
            const auto found = dictionary->find(item.id);
            if (found != dictionary->end())
                addAttribute(map, found->second.tokenId, found->second.tokenId, item.value);
        }
    }
    const auto& id3Keys = catalogue_->id3TokenDetailsDictionary;
    auto addPart = [&](const std::string& key, std::string text) {
        const auto found = id3Keys.find(key);
        if (found != id3Keys.end())
            addAttribute(map, found->second.tokenId, found->second.tokenId, AttributeValue(std::move(text)));
    };
    for (const auto& item : items) {
        const auto pairKey = id3PairKey(item.id);
        const std::string* text = item.value.text();
        if (!pairKey || !text)
            continue;
        const auto slash = text->find('/');
        addPart(std::string(*pairKey) + "1", text->substr(0, slash));
        if (slash != std::string::npos && text->find('/', slash + 1) == std::string::npos)
            addPart(std::string(*pairKey) + "2", text->substr(slash + 1));
    }
}

} // namespace quillory
