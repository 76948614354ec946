// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace quillory {

// Random numbers of one Number action, unique per file. Placeholder: holds the history and its reset;
// the drawing is added with the Number action.
class UniqueRandomNumberGenerator {
public:
    // Empties the history so that the next pass draws new values.
    void reset() {
        std::lock_guard lock(mutex_);
        numbers_.clear();
    }
    std::vector<std::int64_t> numbers() const {
        std::lock_guard lock(mutex_);
        return numbers_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::int64_t> numbers_; // slot i: value of the file at index i, or -1 while none is drawn
};

} // namespace quillory
