// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace quillory::fuzz {

// The readers under test take a path: each input is written to one file of this process, on a memory
// file system where there is one, under the extension the reader chooses by.
class FuzzInputFile {
public:
    explicit FuzzInputFile(const std::string& extension) {
        std::error_code error;
        std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
        path_ = folder / ("quillory-fuzz-" + std::to_string(::getpid()) + extension);
    }
    ~FuzzInputFile() {
        std::error_code error;
        std::filesystem::remove(path_, error);
    }

    const std::filesystem::path& write(const std::uint8_t* data, std::size_t size) {
        if (std::FILE* file = std::fopen(path_.c_str(), "wb")) {
            if (size > 0)
                std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        return path_;
    }

private:
    std::filesystem::path path_;
};

} // namespace quillory::fuzz
