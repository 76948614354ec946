// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quillory {

// The places a file's attribute values are read from. A chain asks only for the sources its tokens
// use, so a chain without attribute tokens opens no file and reads no extended attribute.
class AttributeSources {
public:
    enum Source : std::uint8_t {
        fileSystem = 1 << 0, // dates and tags from stat and extended attributes
        image = 1 << 1,      // image properties, EXIF and GPS (the GPS address tokens too)
        audio = 1 << 2,      // ID3, MP4 and FLAC tags
    };

    constexpr AttributeSources() = default;
    constexpr AttributeSources(Source source) : bits_(source) {}
    static constexpr AttributeSources all() { return fromBits(fileSystem | image | audio); }
    static constexpr AttributeSources fromBits(unsigned bits) {
        AttributeSources sources;
        sources.bits_ = static_cast<std::uint8_t>(bits & 0x7u);
        return sources;
    }

    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool has(Source source) const { return (bits_ & source) != 0; }
    constexpr bool contains(AttributeSources other) const { return (bits_ & other.bits_) == other.bits_; }
    constexpr unsigned bits() const { return bits_; }
    constexpr AttributeSources operator|(AttributeSources other) const { return fromBits(bits_ | other.bits_); }
    constexpr AttributeSources& operator|=(AttributeSources other) { return *this = *this | other; }
    constexpr bool operator==(const AttributeSources&) const = default;

private:
    std::uint8_t bits_ = 0;
};

} // namespace quillory
