// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NotificationBridge.h"

#include "app/AppNotification.h"
#include "app/ProgressUpdate.h"
#include "filelist/FileDataSource.h"

#include <any>

namespace quillory::gui {
namespace {

QString textOf(const Notification& notification) {
    if (const auto* text = std::any_cast<std::string>(&notification.object))
        return QString::fromStdString(*text);
    return {};
}

} // namespace

NotificationBridge::NotificationBridge(NotificationCenter& notifications, FileDataSource& dataSource,
                                       QObject* parent)
    : QObject(parent), dataSource_(dataSource) {
    namespace N = AppNotification;
    auto on = [&](std::string_view name, auto emitter) {
        observers_.add(notifications, name, [this, emitter](const Notification& n) { emitter(this, n); });
    };
    on(N::dataSourceUpdated, [](NotificationBridge* b, const Notification&) { emit b->dataSourceUpdated(); });
    on(N::applyChanges, [](NotificationBridge* b, const Notification&) { emit b->chainChanged(); });
    on(N::validationResult, [](NotificationBridge* b, const Notification& n) {
        if (const auto* result = std::any_cast<FileValidationResult>(&n.object))
            emit b->validationResult(*result);
    });
    on(N::showProgressIndicator,
       [](NotificationBridge* b, const Notification& n) { emit b->progressIndicatorShown(textOf(n)); });
    on(N::hideProgressIndicator, [](NotificationBridge* b, const Notification&) { emit b->progressIndicatorHidden(); });
    on(N::showProgressView, [](NotificationBridge* b, const Notification&) { emit b->progressViewShown(); });
    on(N::hideProgressView, [](NotificationBridge* b, const Notification&) { emit b->progressViewHidden(); });
    on(N::updateProgressView, [](NotificationBridge* b, const Notification& n) {
        if (const auto* update = std::any_cast<ProgressUpdate>(&n.object))
            emit b->progressViewUpdated(update->done, update->total, QString::fromStdString(update->label));
    });
    on(N::disableUserInput, [](NotificationBridge* b, const Notification&) { emit b->userInputEnabled(false); });
    on(N::enableUserInput, [](NotificationBridge* b, const Notification&) { emit b->userInputEnabled(true); });
    on(N::collapsePathColumns, [](NotificationBridge* b, const Notification&) { emit b->pathColumnsCollapsed(true); });
    on(N::uncollapsePathColumns,
       [](NotificationBridge* b, const Notification&) { emit b->pathColumnsCollapsed(false); });
    on(N::setWindowTitle, [](NotificationBridge* b, const Notification& n) { emit b->windowTitleChanged(textOf(n)); });

    // Write-backs come from worker threads, often many per pass: one queued signal per burst.
    dataSource_.setRowsUpdatedHandler([this](const std::vector<int>&) {
        if (rowsScheduled_.exchange(true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                rowsScheduled_ = false;
                emit rowsUpdated();
            },
            Qt::QueuedConnection);
    });
}

NotificationBridge::~NotificationBridge() { dataSource_.setRowsUpdatedHandler({}); }

} // namespace quillory::gui
