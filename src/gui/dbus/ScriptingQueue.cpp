// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptingQueue.h"

namespace quillory::dbus {

ScriptingQueue::ScriptingQueue() : thread_([this](std::stop_token stopToken) { run(stopToken); }) {}

ScriptingQueue::~ScriptingQueue() {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
}

void ScriptingQueue::enqueue(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ScriptingQueue::waitForIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void ScriptingQueue::run(std::stop_token stopToken) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, stopToken, [this] { return !jobs_.empty(); });
            if (stopToken.stop_requested())
                break;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
        }
        job(stopToken);
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        idle_.notify_all();
    }
    std::lock_guard lock(mutex_);
    jobs_.clear();
    busy_ = false;
    idle_.notify_all();
}

} // namespace quillory::dbus
