// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/FileTableModel.h"

#include "filelist/FileDataSource.h"
#include "main/ShiftedOrder.h"

#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace quillory::gui {
namespace {

QString qs(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QColor blend(const QColor& base, const QColor& hue, double amount) {
    return QColor::fromRgbF(static_cast<float>(base.redF() * (1 - amount) + hue.redF() * amount),
                            static_cast<float>(base.greenF() * (1 - amount) + hue.greenF() * amount),
                            static_cast<float>(base.blueF() * (1 - amount) + hue.blueF() * amount));
}

bool isDark(const QPalette& palette) { return palette.color(QPalette::Base).lightnessF() < 0.5; }

// The traffic-light hues have no palette role; they are fitted to the palette's base instead, so that
// they read on light and dark themes alike.
QColor hueOf(FileTableModel::RowState state, const QPalette& palette) {
    const QColor hue = [state]() -> QColor {
        switch (state) {
        case FileTableModel::RowState::willChange:
            return QColor(0x2e, 0xa0, 0x43);
        case FileTableModel::RowState::warning:
            return QColor(0xe0, 0x9b, 0x1a);
        case FileTableModel::RowState::error:
            return QColor(0xd9, 0x3a, 0x3a);
        case FileTableModel::RowState::unchanged:
            break;
        }
        return {};
    }();
    return hue.isValid() && isDark(palette) ? hue.lighter(125) : hue;
}

QIcon stateIcon(FileTableModel::RowState state, const QPalette& palette) {
    if (state == FileTableModel::RowState::unchanged)
        return {};
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hueOf(state, palette));
    painter.drawEllipse(QRectF(1, 1, 10, 10));
    if (state != FileTableModel::RowState::willChange) {
        // The mark in the base colour: a hole through the disc on either theme.
        painter.setPen(QPen(palette.color(QPalette::Base), 1.6));
        painter.drawLine(QPointF(6, 3.2), QPointF(6, 6.8));
        painter.drawPoint(QPointF(6, 8.8));
    }
    return QIcon(pixmap);
}

} // namespace

FileTableModel::FileTableModel(Session& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session), dataSource_(session.services().fileDataSource()) {
    makeIcons();
}

void FileTableModel::makeIcons() {
    for (auto state : {RowState::unchanged, RowState::willChange, RowState::warning, RowState::error})
        icons_[static_cast<int>(state)] = stateIcon(state, palette_);
}

int FileTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int FileTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columnCount_; }

QVariant FileTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(row, index.column());
    case Qt::DecorationRole:
        return index.column() == nameColumn ? QVariant(icons_[static_cast<int>(row.state)]) : QVariant();
    case Qt::BackgroundRole:
        return row.state == RowState::unchanged ? QVariant() : QVariant(tint(row.state));
    case Qt::ToolTipRole:
        return row.errors.empty() && row.warnings.empty() ? QVariant() : QVariant(messages(row));
    case positionRole:
        return position(index.row());
    case stateRole:
        return static_cast<int>(row.state);
    case fullPathRole:
        return qs(row.fullPath());
    default:
        return {};
    }
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount_)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* titles[] = {"Name", "New Name", "Extension", "New Extension", "Folder", "New Folder"};
    return tr(titles[section]);
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

FileSortOrder FileTableModel::sortOrderFor(int column, Qt::SortOrder order) {
    const bool up = order == Qt::AscendingOrder;
    switch (column) {
    case nameColumn:
        return up ? FileSortOrder::byNameAscending : FileSortOrder::byNameDescending;
    case newNameColumn:
        return up ? FileSortOrder::byTransformedNameAscending : FileSortOrder::byTransformedNameDescending;
    case folderColumn:
        return up ? FileSortOrder::byPathAscending : FileSortOrder::byPathDescending;
    case newFolderColumn:
        return up ? FileSortOrder::byTransformedPathAscending : FileSortOrder::byTransformedPathDescending;
    default:
        return FileSortOrder::defaultSort;
    }
}

void FileTableModel::sort(int column, Qt::SortOrder order) {
    // The list sorts itself in the background and reports the new order.
    if (column >= 0 && column < columnCount_)
        dataSource_.sortBy(sortOrderFor(column, order));
}

QStringList FileTableModel::mimeTypes() const {
    return {QString::fromLatin1(positionsMimeType), QStringLiteral("text/uri-list")};
}

std::vector<int> FileTableModel::positions(const QModelIndexList& indexes) const {
    std::vector<int> result;
    for (const auto& index : indexes)
        if (index.isValid() && index.row() < rowCount())
            result.push_back(position(index.row()));
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

QMimeData* FileTableModel::mimeData(const QModelIndexList& indexes) const {
    auto* mime = new QMimeData;
    QStringList texts;
    for (int position : positions(indexes))
        texts << QString::number(position);
    mime->setData(QString::fromLatin1(positionsMimeType), texts.join(QLatin1Char(',')).toLatin1());
    return mime;
}

bool FileTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent) {
    if (!data->hasFormat(QString::fromLatin1(positionsMimeType)) && data->hasUrls()) {
        QStringList paths;
        for (const auto& url : data->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
        if (paths.isEmpty())
            return false;
        emit pathsDropped(paths);
        return true;
    }
    if (action != Qt::MoveAction || !data->hasFormat(QString::fromLatin1(positionsMimeType)))
        return false;
    if (row < 0 && parent.isValid())
        row = parent.row();
    auto files = dataSource_.files();
    const int target = row < 0 || row >= rowCount() ? static_cast<int>(files.size()) : position(row);
    std::vector<bool> moving(files.size(), false);
    for (const auto& piece : QString::fromLatin1(data->data(QString::fromLatin1(positionsMimeType))).split(QLatin1Char(','))) {
        bool ok = false;
        const int position = piece.toInt(&ok);
        if (ok && position >= 0 && position < static_cast<int>(files.size()))
            moving[static_cast<std::size_t>(position)] = true;
    }
    std::vector<File> moved, before, after;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (moving[i])
            moved.push_back(std::move(files[i]));
        else if (static_cast<int>(i) < target)
            before.push_back(std::move(files[i]));
        else
            after.push_back(std::move(files[i]));
    }
    if (moved.empty())
        return false;
    before.insert(before.end(), std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
    before.insert(before.end(), std::make_move_iterator(after.begin()), std::make_move_iterator(after.end()));
    dataSource_.replaceMovedFiles(std::move(before));
    // The list reports the new order itself; the view must not remove the dragged rows.
    return false;
}

int FileTableModel::rowOfFile(const FileId& id) const {
    for (std::size_t i = 0; i < shown_.size(); ++i)
        if (all_[static_cast<std::size_t>(shown_[i])].identifier == id)
            return static_cast<int>(i);
    return -1;
}

bool FileTableModel::moveFiles(const std::vector<int>& positions, int delta) {
    auto files = dataSource_.files();
    std::vector<bool> marked(files.size(), false);
    for (int position : positions)
        if (position >= 0 && position < static_cast<int>(files.size()))
            marked[static_cast<std::size_t>(position)] = true;
    const auto order = shiftedOrder(marked, delta);
    if (std::is_sorted(order.begin(), order.end()))
        return false;
    std::vector<File> reordered;
    reordered.reserve(files.size());
    for (int from : order)
        reordered.push_back(std::move(files[static_cast<std::size_t>(from)]));
    dataSource_.replaceMovedFiles(std::move(reordered));
    return true;
}

QString FileTableModel::text(const Row& row, int column) {
    switch (column) {
    case nameColumn:
        return qs(row.name);
    case newNameColumn:
        return qs(row.newName + row.uniqueSuffix);
    case extensionColumn:
        return qs(row.ext);
    case newExtensionColumn:
        return qs(row.newExt);
    case folderColumn:
        return qs(row.path);
    case newFolderColumn:
        return qs(row.newPath);
    default:
        return {};
    }
}

QString FileTableModel::messages(const Row& row) {
    QStringList lines;
    for (const auto& error : row.errors)
        lines << qs(error);
    for (const auto& warning : row.warnings)
        lines << qs(warning);
    return lines.join(QLatin1Char('\n'));
}

bool FileTableModel::isShown(const Row& row) const {
    if (!hideUnchanged_)
        return true;
    if (row.isFolder && !renameEmptyFolders_)
        return false;
    return row.state != RowState::unchanged;
}

void FileTableModel::refresh() { rebuild(session_.rows(), false); }

void FileTableModel::scheduleRefresh() {
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshScheduled_ = false;
        refresh();
    });
}

void FileTableModel::rebuild(std::vector<Row> all, bool forceReset) {
    std::vector<int> shown;
    Counts counts;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Row& row = all[i];
        ++counts.files;
        counts.errors += row.state == RowState::error;
        counts.warnings += row.state == RowState::warning;
        counts.toRename += row.state == RowState::willChange || row.state == RowState::warning;
        if (isShown(row))
            shown.push_back(static_cast<int>(i));
    }
    const auto sameRows = [&] {
        if (shown.size() != shown_.size())
            return false;
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (all[static_cast<std::size_t>(shown[i])].identifier != all_[static_cast<std::size_t>(shown_[i])].identifier)
                return false;
        return true;
    };
    if (!forceReset && sameRows()) {
        all_ = std::move(all);
        shown_ = std::move(shown);
        if (!shown_.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount_ - 1));
    } else {
        beginResetModel();
        all_ = std::move(all);
        shown_ = std::move(shown);
        endResetModel();
    }
    counts_ = counts;
    emit countsChanged();
}

void FileTableModel::setHideUnchanged(bool hide) {
    if (hide == hideUnchanged_)
        return;
    hideUnchanged_ = hide;
    rebuild(std::move(all_), true);
}

void FileTableModel::setRenameEmptyFolders(bool rename) {
    if (rename == renameEmptyFolders_)
        return;
    renameEmptyFolders_ = rename;
    rebuild(std::move(all_), true);
}

void FileTableModel::setPalette(const QPalette& palette) {
    palette_ = palette;
    makeIcons();
    if (!shown_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount_ - 1),
                         {Qt::BackgroundRole, Qt::DecorationRole});
}

QColor FileTableModel::tint(RowState state) const {
    if (state == RowState::unchanged)
        return palette_.color(QPalette::Base);
    const QColor base = palette_.color(QPalette::Base);
    // Dark bases need a stronger share of the hue to show it at all.
    const double amount = isDark(palette_) ? 0.32 : 0.2;
    return blend(base, hueOf(state, palette_), amount);
}

} // namespace quillory::gui
