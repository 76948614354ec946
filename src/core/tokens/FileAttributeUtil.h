// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <filesystem>
#include <memory>
#include <string_view>

namespace quillory {

class TokenDetailsList;

// Reads the attribute map of one file from its sources, the first source that gives an id winning:
// the file system (dates, tags), the image properties the catalogue lists, then the audio tags.
// Never fails: a source that cannot be read adds nothing. Safe to use from several threads.
class FileAttributeUtil {
public:
    // Without a catalogue no image property or audio tag is wanted; file-system values still are.
    explicit FileAttributeUtil(std::shared_ptr<const TokenDetailsList> catalogue);

    // Reads only the sources asked for: a file no source is asked of is not even opened.
    AttributeMap readAttributes(const std::filesystem::path& path,
                                AttributeSources sources = AttributeSources::all()) const;
    // The file's map read from its source URL, in the loaded state.
    FileAttributes load(const File& file, AttributeSources sources = AttributeSources::all()) const;

    // Adds unless the id is already there. A list becomes the text of its elements joined with ",";
    // texts are sanitised (":" to U+A789, then "/" to ":").
    static void addAttribute(AttributeMap& map, std::string_view id, std::string_view label, AttributeValue value);
    // The local path of a file's source URL.
    static std::filesystem::path pathOf(const File& file);

private:
    void addFileSystemAttributes(AttributeMap& map, const std::filesystem::path& path) const;
    void addImageProperties(AttributeMap& map, const std::filesystem::path& path) const;
    void addAudioTags(AttributeMap& map, const std::filesystem::path& path) const;

    std::shared_ptr<const TokenDetailsList> catalogue_;
};

} // namespace quillory
