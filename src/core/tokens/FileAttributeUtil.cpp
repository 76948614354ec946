// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/FileAttributeUtil.h"

#include "app/Logger.h"
#include "text/DateFormat.h"
#include "tokens/GPSFormatUtil.h"
#include "model/TokenDetailsList.h"
#include "tokens/metadata/FileSystemAttributes.h"
#include "tokens/metadata/FlacReader.h"
#include "tokens/metadata/Id3Reader.h"
#include "tokens/metadata/ImageReader.h"
#include "tokens/metadata/MediaReader.h"

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

} // namespace

FileAttributeUtil::FileAttributeUtil(std::shared_ptr<const TokenDetailsList> catalogue)
    : catalogue_(std::move(catalogue)) {}

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
    std::string path = percentDecode(file.source.sourceUrl);
    constexpr std::string_view scheme = "file://";
    if (std::string_view(path).substr(0, scheme.size()) == scheme)
        path.erase(0, scheme.size());
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
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
    if (!wantsContents || !isRegularFile(path))
        return map;
    if (sources.has(AttributeSources::image))
        addImageProperties(map, path);
    if (sources.has(AttributeSources::audio))
        addAudioTags(map, path);
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

void FileAttributeUtil::addImageProperties(AttributeMap& map, const std::filesystem::path& path) const {
    if (!catalogue_ || (catalogue_->exifTokenDetails.empty() && catalogue_->gpsTokenDetails.empty()))
        return;
    const auto properties = readImageProperties(path);
    if (!properties)
        return;
    auto visit = [&](const std::vector<TokenDetails>& section) {
        for (const auto& details : section) {
            if (details.subKey) {
                if (const AttributeValue* value = properties->value(details.key, *details.subKey))
                    addAttribute(map, details.key + "." + *details.subKey, *details.subKey, *value);
            } else if (const AttributeValue* value = properties->value(details.key)) {
                addAttribute(map, details.key, details.key, *value);
            }
        }
    };
    visit(catalogue_->exifTokenDetails);
    visit(catalogue_->gpsTokenDetails);
}

void FileAttributeUtil::addAudioTags(AttributeMap& map, const std::filesystem::path& path) const {
    if (!catalogue_)
        return;
    const std::string ext = lowerAscii(path.extension().string());
    if (ext == ".mp3" || ext == ".m4a" || ext == ".mp4") {
        const auto items = readMediaMetadata(path);
        // The media items first, for each catalogue dictionary in turn; then the ID3 parser, whose
        // split track and disc numbers the media reader does not give.
        for (const auto* dictionary : {&catalogue_->iTunesTokenDetailsDictionary,
                                       &catalogue_->id3TokenDetailsDictionary}) {
            for (const auto& item : items) {
                const auto found = dictionary->find(item.id);
                if (found != dictionary->end())
                    addAttribute(map, found->second.tokenId, found->second.tokenId, item.value);
            }
        }
        const auto& id3Keys = catalogue_->id3TokenDetailsDictionary;
        const auto id3 = readId3(path, [&](std::string_view id) { return id3Keys.count(std::string(id)) > 0; });
        for (auto& entry : id3Entries(id3)) {
            const auto found = id3Keys.find(entry.id);
            if (found != id3Keys.end())
                addAttribute(map, found->second.tokenId, found->second.tokenId, std::move(entry.value));
        }
    } else if (ext == ".flac") {
        for (auto& entry : readFlac(path))
            addAttribute(map, entry.id, entry.id, std::move(entry.value));
    }
}

} // namespace quillory
