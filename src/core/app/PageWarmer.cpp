// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PageWarmer.h"

#include "base/Cores.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace quillory {

void PageWarmer::addBytes(const void* start, std::size_t bytes) {
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes) / page * page;
    if (start && end > first)
        ranges_.emplace_back(reinterpret_cast<std::byte*>(first), end - first);
}

void PageWarmer::start() {
    std::size_t total = 0;
    for (const auto& range : ranges_)
        total += range.second;
    if (total < worthFrom || usableCores() < 2 || thread_.joinable())
        return;
    const auto warm = [this] {
        // Slices small enough that a stop waits little, large enough that the calls cost nothing.
        constexpr std::size_t steps = 64;
        static const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        for (std::size_t step = 0; step < steps; ++step) {
            for (const auto& [first, bytes] : ranges_) {
                if (stopping_.load(std::memory_order_relaxed))
                    return;
                const std::size_t pages = bytes / page;
                const std::size_t from = pages * step / steps * page;
                const std::size_t to = pages * (step + 1) / steps * page;
                // An old kernel without it says EINVAL: the pages are then faulted in where they are filled.
                if (to > from && ::madvise(first + from, to - from, MADV_POPULATE_WRITE) != 0 && errno == EINVAL)
                    return;
            }
        }
    };
    try {
        thread_ = std::jthread(warm);
    } catch (const std::system_error&) {
        // No thread to be had: the pages are faulted in where they are filled.
    }
}

void PageWarmer::stop() {
    stopping_.store(true, std::memory_order_relaxed);
    if (thread_.joinable())
        thread_.join();
}

} // namespace quillory
