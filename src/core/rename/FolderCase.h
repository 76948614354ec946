// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace quillory {

class FileSystem;

// Which folders compare names without regard to letter case, asked of the file system once per folder
// for as long as the object lives (one validation, one run), and the keys that compare paths the way
// their folders do. Not thread-safe.
class FolderCase {
public:
    explicit FolderCase(FileSystem& fileSystem);

    bool ignoresCase(const std::string& folder);
    // The path itself, or with its last component case-folded where its folder ignores case: two paths
    // with the same key name the same entry.
    std::string key(std::string path);
    // Whether key(path) may differ from the path: the folder of its last component ignores case.
    bool foldsName(std::string_view path);
    // Two different spellings of one entry: a rename that changes only letter case, which such a folder
    // carries out only through another name.
    bool sameEntry(const std::string& a, const std::string& b);

    // What the real file system says: a volume type that ignores case (FAT, exFAT, NTFS, HFS+, SMB) or
    // a folder with the case-folding attribute (ext4, f2fs, tmpfs). A folder not there yet is judged
    // by the nearest one above it, whose attribute new folders inherit.
    static bool probe(const std::string& folder);

private:
    FileSystem& fileSystem_;
    std::unordered_map<std::string, bool> folders_;
    std::string lastFolder_;
    bool lastAnswer_ = false;
};

} // namespace quillory
