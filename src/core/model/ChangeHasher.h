// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace quillory {

// FNV-1a over a stream of values: stable across runs and platforms, so logged hashes can be compared.
class ChangeHasher {
public:
    void add(std::string_view text) {
        addInteger(text.size());
        for (unsigned char c : text)
            mix(c);
    }
    void add(bool value) { mix(value ? 1 : 0); }
    void addInteger(std::uint64_t value) {
        for (int i = 0; i < 8; ++i)
            mix(static_cast<unsigned char>(value >> (8 * i)));
    }
    std::uint64_t value() const { return hash_; }
    std::uint64_t& state() { return hash_; }

private:
    void mix(unsigned char byte) {
        hash_ ^= byte;
        hash_ *= 0x100000001b3ULL;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace quillory
