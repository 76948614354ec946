// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <atomic>

namespace quillory {
class MainQueue;
}

namespace quillory::gui {

// Runs the core's main queue on the Qt event loop: every enqueue schedules one queued call on this
// object's thread, which drains the queue. Wake-ups that arrive while a drain is scheduled fold into it.
class MainQueueBinding : public QObject {
    Q_OBJECT
public:
    explicit MainQueueBinding(MainQueue& queue, QObject* parent = nullptr);
    ~MainQueueBinding() override;

private:
    void drain();

    MainQueue& queue_;
    std::atomic<bool> scheduled_{false};
};

} // namespace quillory::gui
