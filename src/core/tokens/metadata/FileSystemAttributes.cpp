// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FileSystemAttributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

namespace quillory {

namespace {

Date toDate(const struct statx_timestamp& stamp) {
    using namespace std::chrono;
    return Date(duration_cast<milliseconds>(seconds(stamp.tv_sec) + nanoseconds(stamp.tv_nsec)));
}

std::string trimmed(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    std::size_t end = text.find_last_not_of(" \t");
    return std::string(text.substr(start, end - start + 1));
}

std::optional<std::vector<std::string>> readTags(const std::filesystem::path& path) {
    static constexpr const char* kTagsAttribute = "user.xdg.tags";
    ssize_t size = ::getxattr(path.c_str(), kTagsAttribute, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::string raw(static_cast<std::size_t>(size), '\0');
    size = ::getxattr(path.c_str(), kTagsAttribute, raw.data(), raw.size());
    if (size < 0)
        return std::nullopt; // changed between the two calls: treat as absent
    raw.resize(static_cast<std::size_t>(size));
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start <= raw.size()) {
        std::size_t end = raw.find(',', start);
        if (end == std::string::npos)
            end = raw.size();
        std::string tag = trimmed(std::string_view(raw).substr(start, end - start));
        if (!tag.empty() && tag.find('\0') == std::string::npos)
            tags.push_back(std::move(tag));
        start = end + 1;
    }
    if (tags.empty())
        return std::nullopt;
    return tags;
}

} // namespace

std::vector<MetadataEntry> FileSystemAttributes::entries() const {
    std::vector<MetadataEntry> out;
    if (dateCreated)
        out.push_back({"date-created", *dateCreated});
    if (dateModified)
        out.push_back({"date-modified", *dateModified});
    if (dateContentAccess)
        out.push_back({"date-content-access", *dateContentAccess});
    if (tags) {
        AttributeValue::List list(tags->begin(), tags->end());
        out.push_back({"tags", AttributeValue(std::move(list))});
    }
    return out;
}

Result<FileSystemAttributes> readFileSystemAttributes(const std::filesystem::path& path) {
    struct statx info {};
    unsigned mask = STATX_BTIME | STATX_MTIME | STATX_ATIME;
    if (::statx(AT_FDCWD, path.c_str(), 0, mask, &info) != 0 &&
        ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &info) != 0)
        return Error{path.string() + ": " + std::strerror(errno)};
    FileSystemAttributes attributes;
    if (info.stx_mask & STATX_BTIME)
        attributes.dateCreated = toDate(info.stx_btime);
    if (info.stx_mask & STATX_MTIME)
        attributes.dateModified = toDate(info.stx_mtime);
    if (info.stx_mask & STATX_ATIME)
        attributes.dateContentAccess = toDate(info.stx_atime);
    attributes.tags = readTags(path);
    return attributes;
}

} // namespace quillory
