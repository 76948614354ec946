// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Logger.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace quillory::fuzz {

// The input as text; the log is switched off once, so that the run's output is the fuzzer's own.
inline std::string_view input(const std::uint8_t *data, std::size_t size) {
    static const bool quiet = (Logger::setSink(LogSink::off), true);
    (void)quiet;
    return {reinterpret_cast<const char *>(data), size};
}

// A broken invariant is a finding: abort so that the fuzzer keeps the input.
inline void require(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace quillory::fuzz
