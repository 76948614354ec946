// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace quillory::text {

// Tells whether a regular expression match on this thread ran out of time while the watch was alive.
// A match that times out ends as "no (more) matches", so callers that must not mistake it for a real
// no-match (the rename actions) keep a watch around their work. Watches may nest.
class RegexTimeoutWatch {
public:
    RegexTimeoutWatch() : start_(count()) {}

    bool timedOut() const { return count() != start_; }

    // Timeouts so far on this thread; every match operation that hits the limit adds one.
    static std::uint64_t count();
    static void record();

private:
    std::uint64_t start_;
};

} // namespace quillory::text
