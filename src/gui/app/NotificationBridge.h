// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/NotificationCenter.h"
#include "rename/FileValidationResult.h"

#include <QObject>
#include <QString>

#include <atomic>

namespace quillory {
class FileDataSource;
}

namespace quillory::gui {

// Core notifications as typed Qt signals, emitted on the GUI thread (notifications are delivered there).
class NotificationBridge : public QObject {
    Q_OBJECT
public:
    NotificationBridge(NotificationCenter& notifications, FileDataSource& dataSource, QObject* parent = nullptr);
    ~NotificationBridge() override;

signals:
    void dataSourceUpdated();
    // Components of listed files were written (computed names, validation, attributes).
    void rowsUpdated();
    void chainChanged();
    void validationResult(const quillory::FileValidationResult& result);
    void progressIndicatorShown(const QString& text);
    void progressIndicatorHidden();
    void progressViewShown();
    void progressViewUpdated(int done, int total, const QString& label);
    void progressViewHidden();
    void userInputEnabled(bool enabled);
    void pathColumnsCollapsed(bool collapsed);
    void windowTitleChanged(const QString& title);

private:
    void observe(std::string_view name, const NotificationCenter::Observer& observer);

    FileDataSource& dataSource_;
    std::atomic<bool> rowsScheduled_{false};
    NotificationObservers observers_;
};

} // namespace quillory::gui
