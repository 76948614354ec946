// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FileParser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace quillory {

FileParser::FileParser(const std::filesystem::path& path) {
    // Non-blocking open so that a FIFO or device under a media extension cannot hang the reader.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    stream_ = ::fdopen(fd, "rb");
    if (!stream_) {
        ::close(fd);
        return;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

FileParser::~FileParser() {
    if (stream_)
        std::fclose(stream_);
}

std::string FileParser::readRaw(std::uint64_t count) {
    if (!stream_ || count == 0)
        return {};
    std::string bytes(static_cast<std::size_t>(std::min(count, remaining())), '\0');
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), stream_);
    bytes.resize(got);
    position_ += got;
    if (got == 0 && count > 0)
        size_ = position_; // the file shrank under us: nothing more to read
    return bytes;
}

std::optional<std::uint8_t> FileParser::readByte() {
    auto bytes = readBytes(1);
    if (!bytes)
        return std::nullopt;
    return static_cast<std::uint8_t>((*bytes)[0]);
}

std::optional<std::uint32_t> FileParser::readUInt32() {
    auto bytes = readBytes(4);
    if (!bytes)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char byte : *bytes)
        value = (value << 8) | static_cast<std::uint8_t>(byte);
    return value;
}

std::optional<std::uint32_t> FileParser::readSynchsafe32() {
    auto bytes = readBytes(4);
    if (!bytes)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char byte : *bytes)
        value = (value << 7) | (static_cast<std::uint8_t>(byte) & 0x7F);
    return value;
}

std::optional<std::string> FileParser::readBytes(std::uint64_t count) {
    if (!stream_ || count == 0 || count > remaining())
        return std::nullopt;
    std::string bytes = readRaw(count);
    if (bytes.size() != count)
        return std::nullopt;
    return bytes;
}

std::string FileParser::readAtMost(std::uint64_t count) { return readRaw(count); }

std::optional<std::string> FileParser::readAscii(std::uint64_t count) {
    auto bytes = readBytes(count);
    if (!bytes || std::any_of(bytes->begin(), bytes->end(), [](char c) { return (c & 0x80) != 0; }))
        return std::nullopt;
    return bytes;
}

bool FileParser::skip(std::uint64_t count) {
    if (!stream_ || count > remaining())
        return false;
    if (std::fseek(stream_, static_cast<long>(count), SEEK_CUR) != 0)
        return false;
    position_ += count;
    return true;
}

} // namespace quillory
