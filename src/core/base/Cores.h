// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sched.h>

#include <thread>

namespace quillory {

// The cores this process may run on: a process pinned to one core (taskset, a container's cpuset) gains
// nothing from a second thread, although the machine has more.
inline unsigned usableCores() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        if (const int count = CPU_COUNT(&allowed); count > 0)
            return static_cast<unsigned>(count);
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace quillory
