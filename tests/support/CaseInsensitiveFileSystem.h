// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileSystem.h"

#include <string>
#include <vector>

namespace quillory {

// A file system that forwards to another one but ignores letter case in chosen folders and everything
// below them, as a FAT volume or a case-folding ext4 folder does: any spelling finds an entry, the entry
// keeps the spelling it was made with, and a no-replace move onto another spelling of its own name
// fails with "exists". Letters fold as ASCII only. Lets tests meet such a volume on any machine.
class CaseInsensitiveFileSystem : public FileSystem {
public:
    CaseInsensitiveFileSystem(FileSystem& inner, std::vector<std::string> folders);

    // False: the volume does not admit that it ignores case (one the probe cannot recognise).
    void setAdmitsIgnoringCase(bool admits) { admits_ = admits; }

    Outcome moveItem(const std::string& source, const std::string& target) override;
    Outcome createDirectories(const std::string& path) override;
    Outcome removeDirectory(const std::string& path) override;
    Outcome removeFile(const std::string& path) override;
    bool exists(const std::string& path) override;
    Outcome directoryEntries(const std::string& path, std::size_t limit, std::vector<std::string>& names) override;
    std::optional<ItemIdentity> identify(const std::string& path) override;
    bool ignoresCase(const std::string& folder) override;

private:
    bool folds(const std::string& folder) const;
    // The entry the path finds, spelt as on disk; the path itself when nothing is there.
    std::string resolve(const std::string& path);

    FileSystem& inner_;
    std::vector<std::string> folders_;
    bool admits_ = true;
};

} // namespace quillory
