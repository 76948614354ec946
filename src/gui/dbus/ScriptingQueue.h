// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace quillory::dbus {

// Runs the work of scripting calls one after another on a thread of its own, so that a long pass or
// a wait for validation never holds up the thread that serves the window and the bus. Calls keep
// their order: a read queued after a transform sees its result.
class ScriptingQueue {
public:
    using Job = std::function<void(std::stop_token)>;

    ScriptingQueue();
    // Stops the job in progress (through its stop token), drops the others and joins.
    ~ScriptingQueue();
    ScriptingQueue(const ScriptingQueue&) = delete;
    ScriptingQueue& operator=(const ScriptingQueue&) = delete;

    void enqueue(Job job);
    // Blocks until every job queued so far has run.
    void waitForIdle();

private:
    void run(std::stop_token stopToken);

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable idle_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    std::jthread thread_;
};

} // namespace quillory::dbus
