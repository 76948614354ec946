// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataReader.h"

#include "tokens/metadata/FlacReader.h"
#include "tokens/metadata/Id3Reader.h"
#include "tokens/metadata/ImageReader.h"
#include "tokens/metadata/MediaReader.h"

#include <algorithm>
#include <filesystem>

namespace quillory {

namespace {

std::string lowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return ext;
}

Id3KeyFilter filterOf(const std::vector<std::string>& keys) {
    if (keys.empty())
        return {};
    return [&keys](std::string_view id) { return std::find(keys.begin(), keys.end(), id) != keys.end(); };
}

} // namespace

MetadataReport readMetadata(const MetadataRequest& request) {
    MetadataReport report;
    const std::filesystem::path path(request.path);
    if (request.image)
        report.image = readImageProperties(path);
    if (!request.audio)
        return report;
    const std::string ext = lowerExtension(path);
    if (ext == ".mp3" || ext == ".m4a" || ext == ".mp4") {
        report.media = readMediaMetadata(path);
        report.id3 = readId3(path, filterOf(request.id3Keys)).items;
    } else if (ext == ".flac") {
        report.flac = readFlac(path);
    }
    return report;
}

} // namespace quillory
