// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>

namespace quillory::test {

// /dev/shm where there is one, else the system temporary directory: many small files cost little on
// tmpfs, and tmpfs lists a folder newest first, an order other volumes do not give.
std::filesystem::path memoryBackedFolder();

// A fresh folder under the system temporary directory, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    // Inside the given folder (for example /dev/shm, where many small files cost little).
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Creates a file (and its folders) relative to the temporary folder, with the given content.
    std::filesystem::path write(const std::string& relative, const std::string& content = {}) const;
    std::filesystem::path mkdir(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

} // namespace quillory::test
