// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PageWarmer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quillory {
namespace {

// Warming races the thread that fills the memory, over what was written before it started too: whatever
// either does first, every value must read back as written.
TEST(PageWarmerTest, NeverChangesWhatTheMemoryHolds) {
    constexpr std::size_t count = 6'000'000; // 48 MB: well past the size worth a thread
    std::vector<std::uint64_t> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count / 3; ++i)
        values.push_back(i * 2654435761u);
    {
        PageWarmer warmer;
        warmer.add(values);
        warmer.addBytes(nullptr, 0); // nothing: ignored
        warmer.start();
        for (std::size_t i = count / 3; i < count; ++i)
            values.push_back(i * 2654435761u);
    }
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(values[i], i * 2654435761u) << i;

    // Stopped at once, before it could finish: it lets go of the memory, which is then freed.
    std::vector<char> other;
    other.reserve(64 << 20);
    PageWarmer early;
    early.add(other);
    early.start();
    early.stop();
    early.stop();
}

} // namespace
} // namespace quillory
