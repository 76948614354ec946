// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <stop_token>

namespace quillory::dbus {

// The one serial queue in front of the app's Session: the work of D-Bus calls runs on the thread that
// owns the Session (the GUI thread), one job at a time and in call order, between the GUI's own uses.
// Nothing here is shared with another thread, so nothing needs a lock.
//
// A job may finish later than it returns (it waits for validation, say): it then keeps the queue until
// it calls its `done`. A job that opens a nested event loop (a question to the user) keeps the queue
// as well: calls that arrive meanwhile wait for it instead of running inside it. While the GUI runs
// session work on a thread of its own it holds the queue (hold/release).
class ScriptingQueue : public QObject {
    Q_OBJECT
public:
    // Tells the queue that the job is over; call it once, on the queue's thread.
    using Done = std::function<void()>;
    using Run = std::function<void(std::stop_token, Done)>;
    struct Job {
        Run run;
        // Called instead of `run` when the queue goes away before the job ran (answer the caller).
        std::function<void()> abandon{};
    };

    explicit ScriptingQueue(QObject* parent = nullptr);
    // Stops the job in progress (through its stop token) and abandons the others.
    ~ScriptingQueue() override;

    // Both from the queue's thread only.
    void enqueue(Job job);
    // A job that is over when it returns.
    void enqueue(std::function<void(std::stop_token)> job);

    // While held, no job starts; holds nest. The GUI holds the queue while a thread of its own uses the
    // session (opening, renaming).
    void hold();
    void release();

    // Jobs waiting to start (not the one in progress).
    std::size_t pendingCount() const { return jobs_.size(); }
    bool isIdle() const { return jobs_.empty() && !running_; }
    // Serves events until every job queued so far has run (tests, and callers in the same process).
    void waitForIdle();

private:
    // Starts the next job on a later turn of the event loop, never from inside another.
    void schedule();
    void runNext();
    void finished(unsigned serial);

    std::deque<Job> jobs_;
    bool running_ = false;
    bool scheduled_ = false;
    unsigned serial_ = 0; // of the job in progress, so that a late or second `done` changes nothing
    int holds_ = 0;
    std::stop_source stop_;
};

} // namespace quillory::dbus
