// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace quillory {

// Positions in a caller's array, found by a text of theirs that the caller keeps: a flat table of
// eight-byte slots (part of the hash and the position). A run looks up tens of thousands of paths and
// names at a time, and a table of nodes costs more than the work it serves. `textOf(position)` gives
// the text a position was added under.
class PositionTable {
public:
    // Room for `count` positions; more make it grow.
    explicit PositionTable(std::size_t count) {
        std::size_t size = 16;
        while (size < count * 2)
            size *= 2;
        slots_.assign(size, Slot{});
        mask_ = size - 1;
    }

    static std::uint32_t hashOf(std::string_view text) {
        return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text));
    }

    // False, and the table unchanged, when a position with the same text is there already.
    template <typename TextOf>
    bool add(std::string_view text, std::size_t position, const TextOf& textOf) {
        return add(text, hashOf(text), position, textOf);
    }
    // The same with the text's hashOf, for a caller that looks one text up in several tables.
    template <typename TextOf>
    bool add(std::string_view text, std::uint32_t hash, std::size_t position, const TextOf& textOf) {
        std::size_t at = hash & mask_;
        for (; slots_[at].position != kEmpty; at = (at + 1) & mask_)
            if (slots_[at].hash == hash && textOf(slots_[at].position) == text)
                return false;
        slots_[at] = Slot{hash, static_cast<std::uint32_t>(position)};
        if (++count_ * 2 > slots_.size())
            grow();
        return true;
    }

    template <typename TextOf>
    std::optional<std::size_t> find(std::string_view text, const TextOf& textOf) const {
        return find(text, hashOf(text), textOf);
    }
    template <typename TextOf>
    std::optional<std::size_t> find(std::string_view text, std::uint32_t hash, const TextOf& textOf) const {
        for (std::size_t at = hash & mask_; slots_[at].position != kEmpty; at = (at + 1) & mask_)
            if (slots_[at].hash == hash && textOf(slots_[at].position) == text)
                return slots_[at].position;
        return std::nullopt;
    }

private:
    static constexpr std::uint32_t kEmpty = 0xffffffffU;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = kEmpty;
    };
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.position == kEmpty)
                continue;
            std::size_t at = slot.hash & mask_;
            while (slots_[at].position != kEmpty)
                at = (at + 1) & mask_;
            slots_[at] = slot;
        }
    }

    std::vector<Slot> slots_; // at most half full
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

} // namespace quillory
