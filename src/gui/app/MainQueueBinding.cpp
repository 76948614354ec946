// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainQueueBinding.h"

#include "app/MainQueue.h"

namespace quillory::gui {

MainQueueBinding::MainQueueBinding(MainQueue& queue, QObject* parent) : QObject(parent), queue_(queue) {
    queue_.adoptCurrentThread();
    queue_.setWakeUp([this] {
        if (scheduled_.exchange(true))
            return;
        QMetaObject::invokeMethod(this, &MainQueueBinding::drain, Qt::QueuedConnection);
    });
    // Tasks queued before the binding existed.
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &MainQueueBinding::drain, Qt::QueuedConnection);
}

MainQueueBinding::~MainQueueBinding() { queue_.setWakeUp({}); }

void MainQueueBinding::drain() {
    // Cleared first: a task queued while draining schedules the next drain.
    scheduled_ = false;
    queue_.runPending();
}

} // namespace quillory::gui
