// SPDX-License-Identifier: GPL-3.0-or-later
#include "Interrupt.h"

#include "ExitStatus.h"

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace quillory::cli {
namespace {

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void say(const char* text) {
    std::size_t length = 0;
    while (text[length])
        ++length;
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, text, length);
}

} // namespace

InterruptWatch::InterruptWatch() {
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    watcher_ = std::thread([this, set] {
        int requests = 0;
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0)
                continue;
            if (closing_.load())
                return;
            if (++requests == 1) {
                say("\nquillory-cli: stopping (press Ctrl-C again to quit at once)...\n");
                source_.request_stop();
            } else {
                say("\nquillory-cli: quit\n");
                ::_exit(exitInterrupted);
            }
        }
    });
}

InterruptWatch::~InterruptWatch() {
    closing_.store(true);
    pthread_kill(watcher_.native_handle(), SIGINT);
    watcher_.join();
}

} // namespace quillory::cli
