// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QDockWidget;
class QMainWindow;
class QTableView;
class QTimer;

namespace quillory {
class Session;
}

namespace quillory::gui {

class ActionEditor;
class AttributeSamples;
class FileInspector;
class FileTableModel;
class NotificationBridge;
class TokenPalette;

// The token palette and the file inspector as dock widgets of the main window, following the file
// selected in the table (the first file when none is) and the chain.
class InspectorDocks : public QObject {
    Q_OBJECT
public:
    InspectorDocks(QMainWindow& window, Session& session, QTableView& table, FileTableModel& model,
                   NotificationBridge& bridge, ActionEditor& editor);
    ~InspectorDocks() override;

    TokenPalette& palette() { return *palette_; }
    FileInspector& inspector() { return *inspector_; }
    AttributeSamples& samples() { return *samples_; }
    QDockWidget& paletteDock() { return *paletteDock_; }
    QDockWidget& inspectorDock() { return *inspectorDock_; }

    // Takes the selected file and the chain again now (otherwise done shortly after they change).
    void refresh();

private:
    void scheduleRefresh(bool fileMayChange);

    Session& session_;
    QTableView& table_;
    FileTableModel& model_;
    std::unique_ptr<AttributeSamples> samples_;
    TokenPalette* palette_;
    FileInspector* inspector_;
    QDockWidget* paletteDock_;
    QDockWidget* inspectorDock_;
    QTimer* refreshTimer_;
    bool reloadFile_ = true;
};

} // namespace quillory::gui
