// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Session.h"
#include "filelist/FileSortOrder.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QPalette>

#include <functional>
#include <string>
#include <vector>

namespace quillory {
class FileDataSource;
}

namespace quillory::gui {

// The file list as a table: current and new name, extension and folder of every listed file, tinted by
// what will happen to it. Works on a snapshot of the list's rows, taken again whenever the list reports a
// change, so that scrolling never waits for the list's actor. Texts are made only for the cells the view
// asks for: a keystroke that renames 100,000 files must not convert all of them.
class FileTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { nameColumn, newNameColumn, extensionColumn, newExtensionColumn, folderColumn, newFolderColumn,
                  columnCount_ };
    using RowState = quillory::RowState;
    static constexpr const char* positionsMimeType = "application/x-quillory-file-positions";
    // The row's display position in the whole list (rows may be hidden by the filter).
    static constexpr int positionRole = Qt::UserRole + 1;
    static constexpr int stateRole = Qt::UserRole + 2;
    // Where the file is now (a folder entry: the folder).
    static constexpr int fullPathRole = Qt::UserRole + 3;

    struct Counts {
        int files = 0;
        int toRename = 0;
        int errors = 0;
        int warnings = 0;
    };

    explicit FileTableModel(Session& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order) override;

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // Takes the list again. Keeps rows and selection when the same files are listed in the same order.
    void refresh();
    // One refresh on the next turn of the event loop, however many updates arrive before it: a keystroke
    // updates every row up to three times (marking, quick pass, validation).
    void scheduleRefresh();
    void setHideUnchanged(bool hide);
    bool hidesUnchanged() const { return hideUnchanged_; }
    void setRenameEmptyFolders(bool rename);
    // Colours derived from this palette, so that dark themes get dark tints.
    void setPalette(const QPalette& palette);

    Counts counts() const { return counts_; }
    int position(int row) const { return shown_[static_cast<std::size_t>(row)]; }
    // The display positions of the given rows, ascending.
    std::vector<int> positions(const QModelIndexList& rows) const;
    RowState state(int row) const { return rowAt(row).state; }
    const FileId& fileId(int row) const { return rowAt(row).identifier; }
    // The row showing the file, -1 when it is not shown.
    int rowOfFile(const FileId& id) const;

    // Moves the files at the given display positions one place up (delta -1) or down (+1) in the list,
    // as one step that can be undone, like a drag; files at the edge stay. False when nothing moved.
    bool moveFiles(const std::vector<int>& positions, int delta);
    QColor tint(RowState state) const;

    // The order a click on a column header asks for.
    static FileSortOrder sortOrderFor(int column, Qt::SortOrder order);

signals:
    void countsChanged();
    // Files and folders dropped from a file manager (local paths).
    void pathsDropped(const QStringList& paths);

private:
    using Row = SessionRow;
    static QString text(const Row& row, int column);
    static QString messages(const Row& row);
    const Row& rowAt(int row) const { return all_[static_cast<std::size_t>(shown_[static_cast<std::size_t>(row)])]; }
    bool isShown(const Row& row) const;
    void rebuild(std::vector<Row> all, bool forceReset);
    void makeIcons();

    Session& session_;
    FileDataSource& dataSource_;
    std::vector<Row> all_;
    std::vector<int> shown_; // indexes into all_ of the rows the filter lets through
    Counts counts_;
    bool hideUnchanged_ = false;
    bool refreshScheduled_ = false;
    bool renameEmptyFolders_ = true;
    QPalette palette_;
    QIcon icons_[4];
};

} // namespace quillory::gui
