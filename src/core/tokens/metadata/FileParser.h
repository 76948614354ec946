// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace quillory {

// Sequential byte reader over one regular file. Every read is bounds-checked against the file's size:
// a read that would run past the end returns nothing and allocates nothing, so a corrupt length field
// can neither over-read nor make us reserve more memory than the file holds.
class FileParser {
public:
    explicit FileParser(const std::filesystem::path& path);
    ~FileParser();
    FileParser(const FileParser&) = delete;
    FileParser& operator=(const FileParser&) = delete;

    // False when the file could not be opened or is not a regular file (a FIFO would block us).
    bool isOpen() const { return stream_ != nullptr; }
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }
    std::uint64_t remaining() const { return size_ - position_; }

    std::optional<std::uint8_t> readByte();
    // Unsigned 32-bit big-endian.
    std::optional<std::uint32_t> readUInt32();
    // Four 7-bit bytes, most significant first.
    std::optional<std::uint32_t> readSynchsafe32();
    // Exactly count bytes, or nothing when fewer remain.
    std::optional<std::string> readBytes(std::uint64_t count);
    // Up to count bytes: fewer at the end of the file.
    std::string readAtMost(std::uint64_t count);
    // Exactly count bytes of 7-bit ASCII, or nothing.
    std::optional<std::string> readAscii(std::uint64_t count);
    bool skip(std::uint64_t count);

private:
    std::string readRaw(std::uint64_t count);

    std::FILE* stream_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

} // namespace quillory
