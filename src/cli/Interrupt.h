// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <stop_token>
#include <thread>

namespace quillory::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a stop request that the long operations check between
// files, so that a run ends with nothing half-done. A second Ctrl-C ends the process at once.
//
// Must be made before any other thread starts: the signals are blocked in the creating thread (and so
// in every thread started later) and taken by a thread of its own with sigwait.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token token() const { return source_.get_token(); }

private:
    std::stop_source source_;
    std::atomic<bool> closing_{false};
    std::thread watcher_;
};

} // namespace quillory::cli
