// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/MainWindow.h"

#include "Version.h"
#include "actions/ActionButtonDelegate.h"
#include "actions/ActionEditor.h"
#include "actions/ActionListModel.h"
#include "app/NotificationBridge.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "app/UndoManager.h"
#include "automation/AppServices.h"
#include "automation/Session.h"
#include "filelist/FileDataSource.h"
#include "filelist/OpenFolderEventHandler.h"
#include "filelist/SortMenuItem.h"
#include "inspector/InspectorDocks.h"
#include "main/FileTableModel.h"
#include "main/UndoRenameController.h"
#include "preferences/PreferencesWindow.h"
#include "quicklook/QuickLookWindow.h"
#include "model/RecentRecipeList.h"
#include "engine/RecipeStore.h"
#include "model/TransformerTypes.h"
#include "model/Transformers.h"
#include "rename/FileRenamer.h"
#include "engine/FileAttributesWorker.h"
#include "tokens/gps/OfflineGeocoder.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillory::gui {
namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "1 file", "3 files": the English plural until the app has translations.
QString counted(int count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

const PreferenceKey geometryKey("mainWindowGeometry");
const PreferenceKey splitterKey("mainWindowSplitter");

bool isRecipe(const QString& path) { return path.endsWith(QLatin1String(".recipe"), Qt::CaseInsensitive); }

} // namespace

MainWindow::MainWindow(Session& session, NotificationBridge& bridge, QWidget* parent)
    : QMainWindow(parent), session_(session), services_(session.services()), bridge_(bridge) {
    setWindowTitle(QStringLiteral("Quillory"));
    setAcceptDrops(true);

    fileModel_ = new FileTableModel(session_, this);
    fileModel_->setPalette(palette());
    fileModel_->setRenameEmptyFolders(services_.preferences().boolValue(PreferenceKey::renameEmptyFolders));
    actionModel_ = new ActionListModel(services_.transformers(), &services_.undoManager(), this);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(buildActionBar());

    splitter_ = new QSplitter(Qt::Horizontal, central);
    editor_ = new ActionEditor;
    auto* scroll = new QScrollArea(splitter_);
    scroll->setWidget(editor_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumWidth(260);
    scroll->setAccessibleName(tr("Rename action settings"));
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_ = new QTableView(splitter_);
    table_->setObjectName(QStringLiteral("fileTable"));
    table_->setAccessibleName(tr("Files"));
    table_->setModel(fileModel_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setSortingEnabled(false);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setSortIndicatorShown(true);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setDefaultSectionSize(150);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->horizontalHeader()->setMinimumSectionSize(60);
    const int em = table_->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    const std::pair<int, int> widths[] = {{FileTableModel::nameColumn, 18 * em}, {FileTableModel::newNameColumn, 18 * em},
                                          {FileTableModel::extensionColumn, 6 * em},
                                          {FileTableModel::newExtensionColumn, 7 * em},
                                          {FileTableModel::folderColumn, 16 * em}};
    for (const auto& [column, width] : widths)
        table_->setColumnWidth(column, std::max(width, table_->horizontalHeader()->sectionSizeHint(column)));
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setDragEnabled(true);
    table_->setAcceptDrops(true);
    table_->setDragDropMode(QAbstractItemView::DragDrop);
    table_->setDefaultDropAction(Qt::MoveAction);
    table_->setDropIndicatorShown(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideMiddle);
    splitter_->addWidget(scroll);
    splitter_->addWidget(table_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({320, 700});
    layout->addWidget(splitter_, 1);

    auto* bottom = new QHBoxLayout;
    statusActivity_ = new QLabel(central);
    bottom->addWidget(statusActivity_, 1);
    renameButton_ = new QPushButton(tr("Rename"), central);
    renameButton_->setObjectName(QStringLiteral("renameButton"));
    renameButton_->setAccessibleName(tr("Rename files"));
    renameButton_->setDefault(true);
    renameButton_->setEnabled(false);
    bottom->addWidget(renameButton_);
    layout->addLayout(bottom);
    setCentralWidget(central);

    statusCounts_ = new QLabel(this);
    statusBar()->addPermanentWidget(statusCounts_);
    buildMenus();

    connect(renameButton_, &QPushButton::clicked, this, &MainWindow::startRename);
    connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, fileModel_, &FileTableModel::sort);
    connect(fileModel_, &FileTableModel::countsChanged, this, &MainWindow::updateStatus);
    connect(fileModel_, &FileTableModel::pathsDropped, this, [this](const QStringList& paths) { openPaths(paths); });
    connect(editor_, &ActionEditor::edited, this, [this](const Transformer& action) {
        services_.transformers().updateTransformer(action);
        updateUndoActions();
    });
    connect(actionList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::actionSelectionChanged);

    connect(&bridge_, &NotificationBridge::dataSourceUpdated, this, [this] {
        fileModel_->refresh();
        updateSortMenu();
        updateUndoActions();
    });
    connect(&bridge_, &NotificationBridge::rowsUpdated, fileModel_, &FileTableModel::scheduleRefresh);
    connect(&bridge_, &NotificationBridge::chainChanged, this, &MainWindow::chainChanged);
    connect(&bridge_, &NotificationBridge::validationResult, this, &MainWindow::validationArrived);
    connect(&bridge_, &NotificationBridge::progressIndicatorShown, statusActivity_, &QLabel::setText);
    connect(&bridge_, &NotificationBridge::progressIndicatorHidden, statusActivity_, &QLabel::clear);
    connect(&bridge_, &NotificationBridge::userInputEnabled, this, &MainWindow::setInputEnabled);
    connect(&bridge_, &NotificationBridge::pathColumnsCollapsed, this, [this](bool collapsed) {
        table_->setColumnHidden(FileTableModel::folderColumn, collapsed);
        table_->setColumnHidden(FileTableModel::newFolderColumn, collapsed);
    });
    services_.recentRecipes().setMenuChangedHandler([this](const auto&) {
        QMetaObject::invokeMethod(this, &MainWindow::rebuildRecentMenu, Qt::QueuedConnection);
    });

    addInspectorDocks();
    fileModel_->refresh();
    actionModel_->refresh();
    chainChanged();
    updateStatus();
    rebuildRecentMenu();
    restoreLayout();
}

void MainWindow::addInspectorDocks() {
    docks_ = new InspectorDocks(*this, session_, *table_, *fileModel_, bridge_, *editor_);
}

MainWindow::~MainWindow() {
    services_.recentRecipes().setMenuChangedHandler({});
    if (renameThread_.joinable()) {
        renameThread_.request_stop();
        renameThread_.join();
    }
    if (openThread_.joinable())
        openThread_.join();
}

QWidget* MainWindow::buildActionBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("Rename-Actions:"), bar);
    layout->addWidget(label);

    actionList_ = new QListView(bar);
    actionList_->setObjectName(QStringLiteral("actionBar"));
    actionList_->setAccessibleName(tr("Rename actions"));
    actionList_->setModel(actionModel_);
    actionList_->setFlow(QListView::LeftToRight);
    actionList_->setWrapping(false);
    actionList_->setSpacing(2);
    actionList_->setItemDelegate(new ActionButtonDelegate(actionList_));
    actionList_->setMouseTracking(true);
    actionList_->setFrameShape(QFrame::NoFrame);
    actionList_->viewport()->setAutoFillBackground(false);
    actionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    actionList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    actionList_->setDragEnabled(true);
    actionList_->setAcceptDrops(true);
    actionList_->setDropIndicatorShown(true);
    actionList_->setDragDropMode(QAbstractItemView::DragDrop);
    actionList_->setDefaultDropAction(Qt::MoveAction);
    actionList_->setSelectionMode(QAbstractItemView::SingleSelection);
    const int rowHeight = actionList_->fontMetrics().height() + 20;
    actionList_->setFixedHeight(rowHeight + actionList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    layout->addWidget(actionList_, 1);
    label->setBuddy(actionList_);

    addMenu_ = new QMenu(tr("Add"), this);
    for (const auto& info : transformerTypes()) {
        QAction* action = addMenu_->addAction(tr(info.title.data()));
        action->setToolTip(tr(info.helpText.data()));
        action->setStatusTip(tr(info.helpText.data()));
        const std::string type(info.typeId);
        connect(action, &QAction::triggered, this, [this, type] { addAction(type); });
    }
    addMenu_->setToolTipsVisible(true);
    addButton_ = new QToolButton(bar);
    addButton_->setText(tr("Add"));
    addButton_->setAccessibleName(tr("Add rename action"));
    addButton_->setMenu(addMenu_);
    addButton_->setPopupMode(QToolButton::InstantPopup);
    addButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    duplicateButton_ = new QToolButton(bar);
    duplicateButton_->setText(tr("Duplicate"));
    duplicateButton_->setAccessibleName(tr("Duplicate rename action"));
    deleteButton_ = new QToolButton(bar);
    deleteButton_->setText(tr("Delete"));
    deleteButton_->setAccessibleName(tr("Delete rename action"));
    connect(duplicateButton_, &QToolButton::clicked, this, &MainWindow::duplicateAction);
    connect(deleteButton_, &QToolButton::clicked, this, &MainWindow::deleteAction);
    layout->addWidget(addButton_);
    layout->addWidget(duplicateButton_);
    layout->addWidget(deleteButton_);
    return bar;
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open Files…"), QKeySequence::Open, this, [this] { openFilesDialog(false); });
    file->addAction(tr("Open &Folder…"), QKeySequence(tr("Ctrl+Shift+O")), this, [this] { openFilesDialog(true); });
    file->addSeparator();
    file->addAction(tr("Open &Recipe…"), QKeySequence(tr("Ctrl+Alt+O")), this, &MainWindow::openRecipeDialog);
    recentMenu_ = file->addMenu(tr("Open Recen&t"));
    file->addAction(tr("&Save Recipe"), QKeySequence::Save, this, [this] { saveRecipe(false); });
    file->addAction(tr("Save Recipe &As…"), QKeySequence::SaveAs, this, [this] { saveRecipe(true); });
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    undo_ = edit->addAction(tr("&Undo"), QKeySequence::Undo, this, [this] { undoOrRedo(true); });
    redo_ = edit->addAction(tr("&Redo"), QKeySequence::Redo, this, [this] { undoOrRedo(false); });
    undoRename_ = new UndoRenameController(session_, this);
    edit->addAction(undoRename_->action());
    edit->addSeparator();
    QAction* remove = edit->addAction(tr("Re&move Files"), this, &MainWindow::removeSelectedFiles);
    remove->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table_->addAction(remove);
    edit->addAction(tr("Select &All"), QKeySequence::SelectAll, table_, &QTableView::selectAll);
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateUndoActions);
    connect(edit, &QMenu::aboutToShow, this, [this] { undoRename_->updateState(renaming_); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    sortMenu_ = view->addMenu(tr("&Sort By"));
    sortGroup_ = new QActionGroup(this);
    for (SortMenuItem item : allSortMenuItems()) {
        QAction* action = sortMenu_->addAction(tr(title(item).data()));
        action->setCheckable(true);
        action->setData(static_cast<int>(sortOrder(item)));
        sortGroup_->addAction(action);
        const FileSortOrder order = sortOrder(item);
        connect(action, &QAction::triggered, this, [this, order] { services_.fileDataSource().sortBy(order); });
        if (item == SortMenuItem::defaultSort)
            sortMenu_->addSeparator();
    }
    connect(sortMenu_, &QMenu::aboutToShow, this, &MainWindow::updateSortMenu);
    hideUnchanged_ = view->addAction(tr("&Hide Unchanged Files"), QKeySequence(tr("Ctrl+H")), this,
                                     [this](bool checked) { setHideUnchanged(checked); });
    hideUnchanged_->setCheckable(true);

    QMenu* actions = menuBar()->addMenu(tr("&Actions"));
    actions->addMenu(addMenu_);
    actions->addAction(tr("&Duplicate Action"), QKeySequence(tr("Ctrl+D")), this, &MainWindow::duplicateAction);
    actions->addAction(tr("De&lete Action"), this, &MainWindow::deleteAction);
    actions->addSeparator();
    actions->addAction(tr("&Clear All Actions"), this, [this] {
        services_.transformers().loadTransformers({}, Transformers::clearAllUndoName);
        updateUndoActions();
    });
    actions->addSeparator();
    actions->addAction(tr("&Rename Files"), QKeySequence(tr("Ctrl+Return")), this, [this] {
        if (renameButton_->isEnabled())
            startRename();
    });

    buildPanelActions(edit, view, actions);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Keyboard Shortcuts"), QKeySequence::HelpContents, this, &MainWindow::showShortcuts);
    help->addAction(tr("&About Quillory"), this, &MainWindow::showAbout);
}

// --- opening

void MainWindow::openPaths(const QStringList& paths, std::function<void()> done) {
    std::vector<std::string> files;
    for (const auto& path : paths) {
        if (isRecipe(path))
            loadRecipe(path);
        else
            files.push_back(QFileInfo(path).absoluteFilePath().toStdString());
    }
    if (files.empty()) {
        if (done)
            done();
        return;
    }
    if (openThread_.joinable())
        openThread_.join();
    // The replace-or-append question comes from the worker and waits for the answer on this thread.
    emit sessionWorkStarted();
    openThread_ = std::jthread([this, files = std::move(files), done = std::move(done)](std::stop_token stop) mutable {
        session_.open(files, OpenMode::ask, stop);
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                emit sessionWorkFinished();
                if (done)
                    done();
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::openPathsAndWait(const QStringList& paths) {
    QEventLoop loop;
    bool finished = false;
    openPaths(paths, [&] {
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
}

bool MainWindow::loadRecipe(const QString& path) {
    const bool ok = session_.loadRecipe(path.toStdString()).ok();
    updateUndoActions();
    return ok;
}

void MainWindow::openFilesDialog(bool folders) {
    QStringList paths;
    if (folders) {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Open Folder"));
        if (!folder.isEmpty())
            paths << folder;
    } else {
        paths = QFileDialog::getOpenFileNames(this, tr("Open Files"));
    }
    if (!paths.isEmpty())
        openPaths(paths);
}

void MainWindow::openRecipeDialog() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Recipe"), {}, tr("Recipes (*.recipe)"));
    if (!path.isEmpty())
        loadRecipe(path);
}

void MainWindow::saveRecipe(bool choosePath) {
    auto& store = services_.recipeStore();
    if (!choosePath && store.recipeUrl()) {
        if (const auto status = store.saveRecipe(); !status.ok())
            QMessageBox::warning(this, tr("Unable to save Recipe"), qs(status.error().message));
        return;
    }
    QString path = QFileDialog::getSaveFileName(this, tr("Save Recipe"), tr("Untitled.recipe"), tr("Recipes (*.recipe)"));
    if (path.isEmpty())
        return;
    if (!isRecipe(path))
        path += QStringLiteral(".recipe");
    if (const auto status = store.saveRecipe(path.toStdString()); !status.ok())
        QMessageBox::warning(this, tr("Unable to save Recipe"), qs(status.error().message));
}

void MainWindow::rebuildRecentMenu() {
    recentMenu_->clear();
    for (const auto& entry : services_.recentRecipes().menuEntries()) {
        QAction* action = recentMenu_->addAction(qs(entry.title));
        action->setToolTip(qs(entry.path));
        const std::string path = entry.path;
        connect(action, &QAction::triggered, this, [this, path] {
            // A recipe that cannot be read is reported by the store itself.
            static_cast<void>(services_.recipeStore().openRecentRecipe(path));
            updateUndoActions();
        });
    }
    recentMenu_->addSeparator();
    QAction* clear = recentMenu_->addAction(tr("Clear Menu"), this, [this] { services_.recentRecipes().clear(); });
    clear->setEnabled(!services_.recentRecipes().menuEntries().empty());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const auto& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    openPaths(paths);
}

// --- the chain

void MainWindow::addAction(const std::string& type) {
    editor_->flush();
    services_.transformers().addTransformer(Transformer(type));
    actionModel_->refresh();
    selectAction(actionModel_->rowCount() - 1);
    updateUndoActions();
}

void MainWindow::selectAction(int row) {
    if (row < 0 || row >= actionModel_->rowCount()) {
        actionList_->selectionModel()->clearSelection();
        actionList_->setCurrentIndex({});
        editor_->setAction(std::nullopt);
        return;
    }
    actionList_->setCurrentIndex(actionModel_->index(row));
    actionSelectionChanged();
}

void MainWindow::actionSelectionChanged() {
    editor_->flush();
    const QModelIndex current = actionList_->currentIndex();
    duplicateButton_->setEnabled(current.isValid());
    deleteButton_->setEnabled(current.isValid());
    if (!current.isValid()) {
        editor_->setAction(std::nullopt);
        services_.transformers().selectTransformer(std::nullopt);
        return;
    }
    const Transformer& action = actionModel_->actions()[static_cast<std::size_t>(current.row())];
    if (!editor_->shownAction() || editor_->shownAction()->id != action.id || !(*editor_->shownAction() == action) ||
        editor_->shownAction()->disabled != action.disabled)
        editor_->setAction(action);
    services_.transformers().selectTransformer(action.id);
}

void MainWindow::chainChanged() {
    const std::string shownId = editor_->shownAction() ? editor_->shownAction()->id : std::string();
    const int currentRow = actionList_->currentIndex().row();
    actionModel_->refresh();
    // While the user is typing, the editor keeps what it shows; the next edit goes on from there.
    if (!editor_->hasPendingEdit()) {
        const int count = actionModel_->rowCount();
        int row = shownId.empty() ? -1 : actionModel_->rowOf(shownId);
        if (row < 0 && count > 0)
            row = std::clamp(currentRow, 0, count - 1);
        selectAction(row);
    }
    duplicateButton_->setEnabled(actionList_->currentIndex().isValid());
    deleteButton_->setEnabled(actionList_->currentIndex().isValid());
    updateUndoActions();
}

void MainWindow::duplicateAction() {
    editor_->flush();
    const QModelIndex current = actionList_->currentIndex();
    if (!current.isValid())
        return;
    Transformer copy = actionModel_->actions()[static_cast<std::size_t>(current.row())];
    copy.id = Transformer::makeId();
    auto& undo = services_.undoManager();
    undo.beginGroup();
    services_.transformers().addTransformer(copy);
    services_.transformers().moveTransformer(services_.transformers().size() - 1,
                                             static_cast<std::size_t>(current.row() + 1));
    undo.setActionName(std::string(Transformers::addUndoName));
    undo.endGroup();
    actionModel_->refresh();
    selectAction(current.row() + 1);
    updateUndoActions();
}

void MainWindow::deleteAction() {
    editor_->flush();
    const QModelIndex current = actionList_->currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row();
    services_.transformers().removeTransformer(actionModel_->actions()[static_cast<std::size_t>(row)].id);
    actionModel_->refresh();
    selectAction(std::min(row, actionModel_->rowCount() - 1));
    updateUndoActions();
}

// --- files

void MainWindow::removeSelectedFiles() {
    const auto positions = fileModel_->positions(table_->selectionModel()->selectedRows());
    if (positions.empty())
        return;
    services_.fileDataSource().removeFiles(positions);
    updateUndoActions();
}

void MainWindow::setHideUnchanged(bool hide) {
    hideUnchanged_->setChecked(hide);
    fileModel_->setHideUnchanged(hide);
}

void MainWindow::updateSortMenu() {
    const int order = static_cast<int>(services_.fileDataSource().sortOrder());
    for (QAction* action : sortGroup_->actions())
        action->setChecked(action->data().toInt() == order);
}

// --- undo

void MainWindow::undoOrRedo(bool undo) {
    editor_->flush();
    auto& manager = services_.undoManager();
    if (undo && manager.canUndo())
        manager.undo();
    else if (!undo && manager.canRedo())
        manager.redo();
    updateUndoActions();
}

void MainWindow::updateUndoActions() {
    const auto& manager = services_.undoManager();
    undo_->setEnabled(manager.canUndo());
    redo_->setEnabled(manager.canRedo());
    const QString undoName = qs(manager.undoActionName());
    const QString redoName = qs(manager.redoActionName());
    undo_->setText(manager.canUndo() && !undoName.isEmpty() ? tr("&Undo %1").arg(undoName) : tr("&Undo"));
    redo_->setText(manager.canRedo() && !redoName.isEmpty() ? tr("&Redo %1").arg(redoName) : tr("&Redo"));
}

// --- renaming

void MainWindow::validationArrived(const FileValidationResult& result) {
    validation_ = result;
    updateRenameButton();
    updateStatus();
}

void MainWindow::updateRenameButton() {
    const bool ready = validation_ && !validation_->isPending && validation_->renameCount > 0 && !renaming_;
    renameButton_->setEnabled(ready);
    renameButton_->setText(ready ? tr("Rename %1").arg(counted(validation_->renameCount, tr("File"), tr("Files")))
                                  : tr("Rename"));
}

void MainWindow::updateStatus() {
    const auto counts = fileModel_->counts();
    QString text = counted(counts.files, tr("file"), tr("files"));
    text += tr(", %1 to rename").arg(counts.toRename);
    if (counts.errors > 0)
        text += QStringLiteral(", ") + counted(counts.errors, tr("error"), tr("errors"));
    if (counts.warnings > 0)
        text += QStringLiteral(", ") + counted(counts.warnings, tr("warning"), tr("warnings"));
    if (fileModel_->hidesUnchanged())
        text += tr(" (%1 shown)").arg(fileModel_->rowCount());
    statusCounts_->setText(text);
}

void MainWindow::startRename() {
    if (renaming_.exchange(true))
        return;
    editor_->flush();
    updateRenameButton();
    if (renameThread_.joinable())
        renameThread_.join();
    progress_ = new QProgressDialog(tr("Preparing…"), tr("Cancel"), 0, 0, this);
    progress_->setWindowTitle(tr("Renaming"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setAccessibleName(tr("Rename progress"));
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    emit sessionWorkStarted();
    renameThread_ = std::jthread([this](std::stop_token stop) {
        const auto progress = [this](const SessionProgress& progress) {
            QMetaObject::invokeMethod(this, [this, progress] { showRenameProgress(progress); }, Qt::QueuedConnection);
        };
        const RenameReport report = session_.rename(RenameOptions{true}, stop, progress);
        QMetaObject::invokeMethod(this, [this, report] { renameDone(report); }, Qt::QueuedConnection);
    });
    // Cancel stops the run between two files.
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        renameThread_.request_stop();
        if (progress_)
            progress_->setLabelText(tr("Stopping…"));
    });
    progress_->show();
}

void MainWindow::showRenameProgress(const SessionProgress& progress) {
    if (!progress_)
        return;
    if (progress.stage != SessionStage::renaming) {
        progress_->setLabelText(progress.stage == SessionStage::validating ? tr("Checking the new names…")
                                                                           : tr("Computing the new names…"));
        progress_->setMaximum(0); // busy: computing, reading attributes, looking up places, validating
        return;
    }
    const int total = static_cast<int>(std::max<std::size_t>(progress.total, 1));
    progress_->setLabelText(tr("Renamed %1 of %2 files…").arg(progress.done).arg(progress.total));
    progress_->setMaximum(total);
    progress_->setValue(std::min(static_cast<int>(progress.done), total)); // last: it may run the end of the run
}

void MainWindow::renameDone(const RenameReport& report) {
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    if (renameThread_.joinable())
        renameThread_.join();
    renaming_ = false;
    emit sessionWorkFinished();
    updateRenameButton();

    statusActivity_->setText(report.started ? tr("Renamed %1.").arg(counted(report.successCount, tr("file"), tr("files")))
                                            : tr("Nothing was renamed."));
    undoRename_->updateState();
    emit renameFinished(report);
}

void MainWindow::setInputEnabled(bool enabled) {
    // During a rename the progress dialog is modal; keep the window readable otherwise.
    if (renaming_)
        return;
    table_->setEnabled(enabled);
    actionList_->setEnabled(enabled);
}

// --- help

void MainWindow::showShortcuts() {
    const QString text = tr("<table>"
                            "<tr><td>Open files</td><td>%1</td></tr>"
                            "<tr><td>Open folder</td><td>Ctrl+Shift+O</td></tr>"
                            "<tr><td>Open recipe</td><td>Ctrl+Alt+O</td></tr>"
                            "<tr><td>Save recipe</td><td>%2</td></tr>"
                            "<tr><td>Undo / Redo</td><td>%3 / %4</td></tr>"
                            "<tr><td>Remove selected files</td><td>Delete</td></tr>"
                            "<tr><td>Hide unchanged files</td><td>Ctrl+H</td></tr>"
                            "<tr><td>Duplicate action</td><td>Ctrl+D</td></tr>"
                            "<tr><td>Rename files</td><td>Ctrl+Return</td></tr>"
                            "<tr><td>Move selected files</td><td>Ctrl+Shift+Up / Down</td></tr>"
                            "<tr><td>Move selected action</td><td>Ctrl+Shift+Left / Right</td></tr>"
                            "<tr><td>Quick look</td><td>Space</td></tr>"
                            "</table>")
                             .arg(QKeySequence(QKeySequence::Open).toString(QKeySequence::NativeText),
                                  QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText),
                                  QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText),
                                  QKeySequence(QKeySequence::Redo).toString(QKeySequence::NativeText));
    QMessageBox::information(this, tr("Keyboard Shortcuts"), text);
}

void MainWindow::showAbout() {
    QString text = tr("<h3>Quillory %1</h3><p>Renames many files at once with a chain of rename actions.</p>"
                      "<p>Licensed under the GNU General Public License, version 3 or later.</p><p>%2</p>")
                       .arg(QString::fromLatin1(kVersion), qs(OfflineGeocoder::creditLine()).toHtmlEscaped());
    // Set by the build (QUILLORY_HOMEPAGE_URL); empty while the project has no public page.
    const QString homepage = QStringLiteral(QUILLORY_HOMEPAGE_URL);
    if (!homepage.isEmpty())
        text += QStringLiteral("<p><a href=\"%1\">%1</a></p>").arg(homepage.toHtmlEscaped());
    QMessageBox::about(this, tr("About Quillory"), text);
}

// --- window state

void MainWindow::restoreLayout() {
    const auto& preferences = services_.preferences();
    if (const auto geometry = preferences.string(geometryKey))
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*geometry)));
    else
        resize(1100, 680);
    if (const auto sizes = preferences.string(splitterKey))
        splitter_->restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*sizes)));
}

void MainWindow::saveLayout() {
    auto& preferences = services_.preferences();
    preferences.setValue(geometryKey, saveGeometry().toBase64().toStdString());
    preferences.setValue(splitterKey, splitter_->saveState().toBase64().toStdString());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (renaming_) {
        // A run in progress finishes its current file first.
        renameThread_.request_stop();
        event->ignore();
        return;
    }
    editor_->flush();
    saveLayout();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        fileModel_->setPalette(palette());
    QMainWindow::changeEvent(event);
}

// --- panels and keyboard reordering

void MainWindow::buildPanelActions(QMenu* edit, QMenu* view, QMenu* actions) {
    // Reordering by keyboard does what a drag does; the shortcuts work where the focus is.
    edit->addSeparator();
    QAction* filesUp = edit->addAction(tr("Move Files &Up"), this, [this] { moveSelectedFiles(-1); });
    filesUp->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    QAction* filesDown = edit->addAction(tr("Move Files Do&wn"), this, [this] { moveSelectedFiles(1); });
    filesDown->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
    for (QAction* action : {filesUp, filesDown}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        table_->addAction(action);
    }
    edit->addSeparator();
    QAction* preferences = edit->addAction(tr("&Preferences…"), this, [this] { showPreferences(); });
    preferences->setObjectName(QStringLiteral("preferencesAction"));
    const QKeySequence standard(QKeySequence::Preferences);
    preferences->setShortcut(standard.isEmpty() ? QKeySequence(tr("Ctrl+,")) : standard);
    preferences->setMenuRole(QAction::PreferencesRole);

    QAction* actionLeft = actions->addAction(tr("Move Action &Left"), this, [this] { moveSelectedAction(-1); });
    actionLeft->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)});
    QAction* actionRight = actions->addAction(tr("Move Action &Right"), this, [this] { moveSelectedAction(1); });
    actionRight->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)});
    for (QAction* action : {actionLeft, actionRight}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        actionList_->addAction(action);
    }

    view->addSeparator();
    QAction* quickLook = view->addAction(tr("&Quick Look"), this, &MainWindow::toggleQuickLook);
    quickLook->setShortcut(QKeySequence(Qt::Key_Space));
    quickLook->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    table_->addAction(quickLook);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &MainWindow::updateQuickLook);
    connect(fileModel_, &QAbstractItemModel::modelReset, this, [this] {
        // The table was rebuilt: the selection goes with it; the quick look stays with its file.
        if (quickLook_ && quickLook_->isVisible() && table_->currentIndex().isValid())
            updateQuickLook();
    });
    connect(undoRename_, &UndoRenameController::undone, this, [this](int restored, const QStringList& problems) {
        statusActivity_->setText(problems.isEmpty() ? tr("Put back %1.").arg(counted(restored, tr("item"), tr("items")))
                                                    : tr("Put back %1, %2 not.")
                                                          .arg(counted(restored, tr("item"), tr("items")))
                                                          .arg(problems.size()));
        fileModel_->refresh();
    });
}

void MainWindow::moveSelectedFiles(int delta) {
    const auto positions = fileModel_->positions(table_->selectionModel()->selectedRows());
    if (positions.empty())
        return;
    std::vector<FileId> ids;
    for (const auto& index : table_->selectionModel()->selectedRows())
        ids.push_back(fileModel_->fileId(index.row()));
    const int currentRow = table_->currentIndex().row();
    const FileId currentId = currentRow >= 0 ? fileModel_->fileId(currentRow) : FileId();
    if (!fileModel_->moveFiles(positions, delta))
        return;
    // The list reports its new order later; the moved files stay selected then.
    auto* context = new QObject(this);
    connect(fileModel_, &QAbstractItemModel::modelReset, context, [this, context, ids, currentId] {
        context->deleteLater();
        QItemSelection selection;
        for (const auto& id : ids)
            if (const int row = fileModel_->rowOfFile(id); row >= 0)
                selection.select(fileModel_->index(row, 0), fileModel_->index(row, FileTableModel::columnCount_ - 1));
        const int current = fileModel_->rowOfFile(currentId);
        if (current >= 0)
            table_->selectionModel()->setCurrentIndex(fileModel_->index(current, 0), QItemSelectionModel::NoUpdate);
        table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        if (current >= 0)
            table_->scrollTo(fileModel_->index(current, 0));
    });
    updateUndoActions();
}

void MainWindow::moveSelectedAction(int delta) {
    editor_->flush();
    const int from = actionList_->currentIndex().row();
    const int to = from + (delta < 0 ? -1 : 1);
    if (from < 0 || to < 0 || to >= actionModel_->rowCount())
        return;
    services_.transformers().moveTransformer(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    actionModel_->refresh();
    selectAction(to);
    updateUndoActions();
}

PreferencesWindow& MainWindow::showPreferences() {
    if (!preferences_) {
        preferences_ = new PreferencesWindow(session_, this);
        connect(preferences_, &PreferencesWindow::preferenceChanged, this, [this](const QString& key) {
            if (key.toStdString() == PreferenceKey::renameEmptyFolders.str())
                fileModel_->setRenameEmptyFolders(services_.preferences().boolValue(PreferenceKey::renameEmptyFolders));
            updateStatus();
        });
    } else {
        preferences_->reload();
    }
    preferences_->show();
    preferences_->raise();
    preferences_->activateWindow();
    return *preferences_;
}

void MainWindow::toggleQuickLook() {
    if (quickLook_ && quickLook_->isVisible()) {
        quickLook_->close();
        return;
    }
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid())
        return;
    if (!quickLook_) {
        quickLook_ = new QuickLookWindow(this);
        connect(quickLook_, &QuickLookWindow::closeRequested, table_, [this] { activateWindow(); });
    }
    quickLook_->showFile(fileModel_->index(current.row(), 0).data(FileTableModel::fullPathRole).toString());
    quickLook_->show();
    quickLook_->raise();
}

void MainWindow::updateQuickLook() {
    if (!quickLook_ || !quickLook_->isVisible())
        return;
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid())
        return;
    const QString path = fileModel_->index(current.row(), 0).data(FileTableModel::fullPathRole).toString();
    if (path != quickLook_->path())
        quickLook_->showFile(path);
}

} // namespace quillory::gui
