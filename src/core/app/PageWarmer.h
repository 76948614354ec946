// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <utility>
#include <vector>

namespace quillory {

// Faults in the pages of freshly reserved arrays on another core while this thread fills them. The first
// touch of a page costs about a microsecond in the kernel; for a large list that is as much time as making
// the list itself, and the other core would sit idle meanwhile. It never changes what the memory holds.
// The warming stops where it is when the warmer goes, which must be before the arrays do.
class PageWarmer {
public:
    PageWarmer() = default;
    PageWarmer(const PageWarmer&) = delete;
    PageWarmer& operator=(const PageWarmer&) = delete;
    ~PageWarmer() { stop(); }

    // What a vector reserved beyond its size will hold.
    template <typename T> void add(const std::vector<T>& reserved) {
        addBytes(reserved.data(), reserved.capacity() * sizeof(T));
    }
    void addBytes(const void* start, std::size_t bytes);
    // Begins on another thread, in step over all arrays, so that it keeps ahead of a thread that fills them
    // side by side from the front. Nothing happens with one core, or below `worthFrom` bytes in all.
    void start();
    void stop();

    static constexpr std::size_t worthFrom = 2 << 20;

private:
    std::vector<std::pair<std::byte*, std::size_t>> ranges_; // page-aligned
    std::atomic<bool> stopping_{false};
    std::jthread thread_;
};

} // namespace quillory
