// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillory::text {

// The localized standard comparison used for natural ordering in lists: case-insensitive,
// digit runs compared by value (file2 < file10), locale-aware. Returns <0, 0 or >0.
// Thread-safe; each thread keeps its own collator.
int localizedStandardCompare(std::string_view a, std::string_view b);

// A binary sort key with the same order as localizedStandardCompare, for sorting many names.
std::string localizedStandardSortKey(std::string_view text);

// The standard comparison of one locale ("" for the default one), always through ICU. One thread at a time.
class StandardCollator {
public:
    explicit StandardCollator(const std::string& locale);
    ~StandardCollator();
    StandardCollator(StandardCollator&&) noexcept;
    StandardCollator& operator=(StandardCollator&&) noexcept;

    bool valid() const { return impl_ != nullptr; }
    int compare(std::string_view a, std::string_view b) const;
    std::string sortKey(std::string_view text) const;

private:
    friend class AsciiCollation;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A collator's order over names made only of ASCII, without ICU: most names are such, and ICU's keys
// cost thousands of instructions a name. Made only where every ASCII character is one collation element
// and no contraction is made of ASCII alone (none for Danish "aa" or Czech "ch"), and only after the
// ranks it takes from ICU have ordered a bank of awkward names exactly as ICU does. Thread-safe.
class AsciiCollation {
public:
    static std::optional<AsciiCollation> of(const StandardCollator& collator);
    // Making the order costs a few milliseconds, once: sorts of this many names or more repay it.
    static constexpr std::size_t worthMakingFrom = 4096;
    // True for a name this order can key: ASCII, and no digit run longer than ICU reads as one number.
    static bool covers(std::string_view text);
    // A key that orders the names it covers as the collator does. Its bytes are its own: it never
    // meets an ICU key.
    std::string key(std::string_view text) const;
    // The same key written over `key`, whose room is reused: for a walk that needs one key at a time.
    void keyInto(std::string_view text, std::string& key) const;

private:
    AsciiCollation() = default;
    std::array<std::uint8_t, 128> rank_{}; // 0: ignored; digits carry the rank of numbers
};

// The default locale's ASCII order, made on first use (a few milliseconds); null where that locale has none.
const AsciiCollation* defaultAsciiCollation();

} // namespace quillory::text
