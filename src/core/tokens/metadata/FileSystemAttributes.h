// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "model/AttributeValue.h"
#include "tokens/metadata/MetadataEntry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// The file system's own attributes of one file. Linux records no "added to directory" date, and the
// creation date only where the file system keeps a birth time.
struct FileSystemAttributes {
    std::optional<Date> dateCreated;
    std::optional<Date> dateModified;
    std::optional<Date> dateContentAccess;
    std::optional<std::vector<std::string>> tags; // from the extended attribute "user.xdg.tags"

    // The present values under the ids "date-created", "date-modified", "date-content-access" and
    // "tags" (a list of texts), in that order.
    std::vector<MetadataEntry> entries() const;
};

// Dates of the file (a symbolic link is followed; a dangling one describes itself) and its tags.
// An Error when the file cannot be examined at all.
Result<FileSystemAttributes> readFileSystemAttributes(const std::filesystem::path& path);

} // namespace quillory
