// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rename/FileValidationResult.h"
#include "rename/RenameReport.h"

#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

class QAction;
class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QProgressDialog;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;

namespace quillory {
class AppServices;
class Session;
struct SessionProgress;
}

namespace quillory::gui {

class ActionEditor;
class ActionListModel;
class FileTableModel;
class InspectorDocks;
class NotificationBridge;
class PreferencesWindow;
class QuickLookWindow;
class UndoRenameController;

// The main window: the rename-action bar, the editor of the selected action, the file table, the
// rename button and the status bar, with the menus that drive them.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Session& session, NotificationBridge& bridge, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens files and folders (asking to replace or append when the list is not empty); recipe files
    // load as recipes. `done` runs on this thread when the files are listed.
    void openPaths(const QStringList& paths, std::function<void()> done = {});
    // The same, returning when it is done (start-up); the window keeps painting meanwhile.
    void openPathsAndWait(const QStringList& paths);
    bool loadRecipe(const QString& path);

    // The rename run; `renameFinished` tells when it has ended.
    void startRename();
    bool isRenaming() const { return renaming_; }
    const std::optional<FileValidationResult>& validation() const { return validation_; }

    FileTableModel& fileModel() { return *fileModel_; }
    ActionListModel& actionModel() { return *actionModel_; }
    ActionEditor& actionEditor() { return *editor_; }
    QTableView& fileTable() { return *table_; }
    QPushButton& renameButton() { return *renameButton_; }
    QAction& undoAction() { return *undo_; }
    QAction& redoAction() { return *redo_; }
    InspectorDocks& inspectorDocks() { return *docks_; }

    void addAction(const std::string& type);
    void selectAction(int row);
    void removeSelectedFiles();
    void setHideUnchanged(bool hide);

    void restoreLayout();
    void saveLayout();

    UndoRenameController& undoRename() { return *undoRename_; }
    // Moves the selected files (display order) or the selected action one place; -1 up/left, +1 down/right.
    void moveSelectedFiles(int delta);
    void moveSelectedAction(int delta);
    // The preferences window, made on first use.
    PreferencesWindow& showPreferences();
    // Space: shows the selected file in the quick-look window, or closes it.
    void toggleQuickLook();
    QuickLookWindow* quickLook() const { return quickLook_; }

signals:
    void renameFinished(const quillory::RenameReport& report);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildActionBar();
    // The token palette and the file inspector, docked at the side.
    void addInspectorDocks();
    void chainChanged();
    void actionSelectionChanged();
    void updateUndoActions();
    void updateRenameButton();
    void updateStatus();
    void updateSortMenu();
    void rebuildRecentMenu();
    void validationArrived(const FileValidationResult& result);
    void renameDone(const RenameReport& report);
    void duplicateAction();
    void deleteAction();
    void openFilesDialog(bool folders);
    void openRecipeDialog();
    void saveRecipe(bool choosePath);
    void showShortcuts();
    void showAbout();
    void undoOrRedo(bool undo);
    void showRenameProgress(const SessionProgress& progress);
    void setInputEnabled(bool enabled);
    void buildPanelActions(QMenu* edit, QMenu* view, QMenu* actions);
    void updateQuickLook();

    Session& session_;
    AppServices& services_;
    NotificationBridge& bridge_;
    FileTableModel* fileModel_;
    ActionListModel* actionModel_;
    ActionEditor* editor_;
    QTableView* table_;
    QListView* actionList_;
    QSplitter* splitter_;
    QPushButton* renameButton_;
    QToolButton* addButton_;
    QToolButton* duplicateButton_;
    QToolButton* deleteButton_;
    QLabel* statusCounts_;
    QLabel* statusActivity_;
    QMenu* addMenu_;
    QMenu* recentMenu_;
    QMenu* sortMenu_;
    QActionGroup* sortGroup_;
    QAction* undo_;
    QAction* redo_;
    QAction* hideUnchanged_;
    std::optional<FileValidationResult> validation_;
    std::atomic<bool> renaming_{false};
    std::jthread renameThread_;
    std::jthread openThread_;
    // A modal progress dialog runs events inside setValue(); the run may end (and the dialog go) there.
    QPointer<QProgressDialog> progress_;
    InspectorDocks* docks_ = nullptr;
    UndoRenameController* undoRename_ = nullptr;
    PreferencesWindow* preferences_ = nullptr;
    QuickLookWindow* quickLook_ = nullptr;
};

} // namespace quillory::gui
