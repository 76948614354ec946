// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptingQueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace quillory::dbus {

ScriptingQueue::ScriptingQueue(QObject* parent) : QObject(parent) {}

ScriptingQueue::~ScriptingQueue() {
    stop_.request_stop();
    auto jobs = std::move(jobs_);
    jobs_.clear();
    for (auto& job : jobs)
        if (job.abandon)
            job.abandon();
}

void ScriptingQueue::enqueue(Job job) {
    Q_ASSERT(QThread::currentThread() == thread());
    jobs_.push_back(std::move(job));
    schedule();
}

void ScriptingQueue::enqueue(std::function<void(std::stop_token)> job) {
    enqueue(Job{[job = std::move(job)](std::stop_token stopToken, const Done& done) {
        job(stopToken);
        done();
    }});
}

void ScriptingQueue::hold() {
    Q_ASSERT(QThread::currentThread() == thread());
    ++holds_;
}

void ScriptingQueue::release() {
    Q_ASSERT(QThread::currentThread() == thread());
    if (holds_ > 0 && --holds_ == 0)
        schedule();
}

void ScriptingQueue::waitForIdle() {
    while (!isIdle())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ScriptingQueue::schedule() {
    if (scheduled_ || running_ || holds_ > 0 || jobs_.empty())
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &ScriptingQueue::runNext, Qt::QueuedConnection);
}

void ScriptingQueue::runNext() {
    scheduled_ = false;
    if (running_ || holds_ > 0 || jobs_.empty())
        return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    running_ = true;
    const unsigned serial = ++serial_;
    QPointer<ScriptingQueue> self(this);
    job.run(stop_.get_token(), [self, serial] {
        if (self)
            self->finished(serial);
    });
}

void ScriptingQueue::finished(unsigned serial) {
    Q_ASSERT(QThread::currentThread() == thread());
    if (!running_ || serial != serial_)
        return;
    running_ = false;
    schedule();
}

} // namespace quillory::dbus
