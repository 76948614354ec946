// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

namespace quillory {

// Random numbers of one Number action, unique per file. Slot i holds the value of the file at list
// position i, so a second pass finds the same numbers until reset() empties the history.
class UniqueRandomNumberGenerator {
public:
    static constexpr int maxAttempts = 1'000'000;
    // The bound base^width must fit a signed 64-bit integer.
    static constexpr int maxDecimalDigits = 18;
    static constexpr int maxHexadecimalDigits = 15;

    // Returns a uniformly distributed value in 0 ... upper - 1.
    using Source = std::function<std::int64_t(std::int64_t upper)>;

    // Draws from the system's random source without modulo bias.
    UniqueRandomNumberGenerator();
    // A given source, for tests that need collisions on purpose.
    explicit UniqueRandomNumberGenerator(Source source);

    // Empties the history so that the next pass draws new values.
    void reset();
    std::vector<std::int64_t> numbers() const;
    // The value drawn for a list position, if any.
    std::optional<std::int64_t> number(std::size_t index) const;

    // base^w, the exclusive upper bound of the draw: w is `digits` (at least 1), raised to the digit
    // count of the highest slot index once there are more slots than `base`. base is 16 or 10.
    std::int64_t randomRange(int digits, int base) const;

    // The value of slot `index`, drawn on first use so that no other slot holds it. When every attempt
    // collides the range is widened by one digit instead of taking a duplicate.
    std::int64_t drawUnique(std::size_t index, int digits, int base);

private:
    std::int64_t randomRangeLocked(int digits, int base) const;

    mutable std::mutex mutex_;
    Source source_;
    std::vector<std::int64_t> numbers_; // slot i: value of the file at index i, or -1 while none is drawn
    std::unordered_set<std::int64_t> taken_;
};

} // namespace quillory
