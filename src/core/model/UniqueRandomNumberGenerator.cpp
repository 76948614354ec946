// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/UniqueRandomNumberGenerator.h"

#include "app/AppNotification.h"
#include "app/NotificationCenter.h"
#include "app/Registry.h"

#include <algorithm>
#include <random>
#include <string>

namespace quillory {

namespace {

int maxDigitsFor(int base) {
    return base == 16 ? UniqueRandomNumberGenerator::maxHexadecimalDigits
                      : UniqueRandomNumberGenerator::maxDecimalDigits;
}

std::int64_t power(int base, int exponent) {
    std::int64_t result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= base;
    return result;
}

int digitCount(std::uint64_t value, int base) {
    int count = 1;
    while (value >= static_cast<std::uint64_t>(base)) {
        value /= static_cast<std::uint64_t>(base);
        ++count;
    }
    return count;
}

// The system's source feeding a uniform distribution: no modulo bias.
UniqueRandomNumberGenerator::Source systemSource() {
    auto device = std::make_shared<std::random_device>();
    auto mutex = std::make_shared<std::mutex>();
    return [device, mutex](std::int64_t upper) {
        std::uniform_int_distribution<std::int64_t> distribution(0, upper - 1);
        std::lock_guard lock(*mutex);
        return distribution(*device);
    };
}

void postProgress(std::string_view name, std::string text) {
    // No centre in tests or tools that run without the application shell.
    if (auto centre = Registry::shared().get<NotificationCenter>())
        centre->post(name, std::move(text));
}

} // namespace

UniqueRandomNumberGenerator::UniqueRandomNumberGenerator() : source_(systemSource()) {}

UniqueRandomNumberGenerator::UniqueRandomNumberGenerator(Source source) : source_(std::move(source)) {}

void UniqueRandomNumberGenerator::reset() {
    std::lock_guard lock(mutex_);
    numbers_.clear();
    taken_.clear();
}

std::vector<std::int64_t> UniqueRandomNumberGenerator::numbers() const {
    std::lock_guard lock(mutex_);
    return numbers_;
}

std::optional<std::int64_t> UniqueRandomNumberGenerator::number(std::size_t index) const {
    std::lock_guard lock(mutex_);
    if (index >= numbers_.size() || numbers_[index] < 0)
        return std::nullopt;
    return numbers_[index];
}

std::int64_t UniqueRandomNumberGenerator::randomRange(int digits, int base) const {
    std::lock_guard lock(mutex_);
    return randomRangeLocked(digits, base);
}

std::int64_t UniqueRandomNumberGenerator::randomRangeLocked(int digits, int base) const {
    const std::size_t slots = numbers_.size();
    int width = std::max(digits, 1);
    if (slots > static_cast<std::size_t>(base))
        width = std::max(width, digitCount(slots - 1, base));
    return power(base, std::min(width, maxDigitsFor(base)));
}

std::int64_t UniqueRandomNumberGenerator::drawUnique(std::size_t index, int digits, int base) {
    std::lock_guard lock(mutex_);
    if (numbers_.size() <= index)
        numbers_.resize(index + 1, -1);
    if (numbers_[index] >= 0)
        return numbers_[index];

    postProgress(AppNotification::showProgressIndicator, "Numbering...");
    std::int64_t upper = randomRangeLocked(digits, base);
    std::int64_t value = 0;
    for (;;) {
        bool found = false;
        for (int attempt = 0; attempt < maxAttempts && !found; ++attempt) {
            value = source_(upper);
            found = !taken_.contains(value);
        }
        // A full range would force a duplicate: one more digit makes room, up to the 64-bit bound.
        const std::int64_t widest = power(base, maxDigitsFor(base));
        if (found || upper >= widest)
            break;
        upper = std::min(widest, upper * base);
    }
    numbers_[index] = value;
    taken_.insert(value);
    postProgress(AppNotification::hideProgressIndicator, {});
    return value;
}

} // namespace quillory
