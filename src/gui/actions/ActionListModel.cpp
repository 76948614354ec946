// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ActionListModel.h"

#include "model/TransformerTypes.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"

#include <QMimeData>

namespace quillory::gui {
namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString titleOf(const Transformer& action) {
    const auto* info = transformerTypeInfo(action.type);
    return info ? qs(info->title) : qs(action.type);
}

} // namespace

ActionListModel::ActionListModel(Transformers& transformers, UndoManager* undoManager, QObject* parent)
    : QAbstractListModel(parent), transformers_(transformers), undoManager_(undoManager) {
    actions_ = transformers_.list();
}

int ActionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(actions_.size());
}

QVariant ActionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Transformer& action = actions_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return titleOf(action);
    case Qt::ToolTipRole: {
        QString tip = action.description && !action.description->empty() ? qs(*action.description) + "\n\n" : "";
        if (const auto* info = transformerTypeInfo(action.type))
            tip += qs(info->helpText);
        return tip;
    }
    case Qt::AccessibleTextRole:
        return tr("Rename action %1: %2").arg(index.row() + 1).arg(titleOf(action));
    case Qt::CheckStateRole:
        return action.disabled ? Qt::Unchecked : Qt::Checked;
    case idRole:
        return qs(action.id);
    default:
        return {};
    }
}

bool ActionListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.row() >= rowCount())
        return false;
    Transformer action = actions_[static_cast<std::size_t>(index.row())];
    action.disabled = value.toInt() != Qt::Checked;
    if (!transformers_.updateTransformer(action))
        return false;
    actions_[static_cast<std::size_t>(index.row())] = action;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ActionListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled;
}

QStringList ActionListModel::mimeTypes() const { return {QString::fromLatin1(mimeType), QStringLiteral("text/plain")}; }

QMimeData* ActionListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || !indexes.first().isValid() || indexes.first().row() >= rowCount())
        return nullptr;
    const auto json = actions_[static_cast<std::size_t>(indexes.first().row())].toJson();
    const QByteArray text = QByteArray::fromStdString(json.dump(2));
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(mimeType), text);
    mime->setText(QString::fromUtf8(text));
    return mime;
}

std::optional<Transformer> ActionListModel::decode(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(mimeType)))
        return std::nullopt;
    const auto json = nlohmann::ordered_json::parse(data->data(QString::fromLatin1(mimeType)).toStdString(), nullptr,
                                                    false);
    if (json.is_discarded() || !json.is_object())
        return std::nullopt;
    auto decoded = Transformer::fromJson(json);
    if (!decoded.ok() || !transformerTypeInfo(decoded->type))
        return std::nullopt;
    return std::move(decoded).value();
}

bool ActionListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
    return data && data->hasFormat(QString::fromLatin1(mimeType));
}

int ActionListModel::rowOf(const std::string& id) const {
    for (std::size_t i = 0; i < actions_.size(); ++i)
        if (actions_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool ActionListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                   const QModelIndex& parent) {
    auto dropped = decode(data);
    if (!dropped || action == Qt::IgnoreAction)
        return false;
    if (row < 0)
        row = parent.isValid() ? parent.row() : rowCount();
    const int from = rowOf(dropped->id);
    if (from >= 0 && action == Qt::MoveAction) {
        // Dropping after itself leaves it where it is; the list counts the target after the removal.
        const int to = row > from ? row - 1 : row;
        if (to != from)
            transformers_.moveTransformer(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
        refresh();
        return false; // the chain has moved it; the view must not remove the source row
    }
    // A copy, or an action from another window: a new record at the drop position, one undo step.
    if (from >= 0)
        dropped->id = Transformer::makeId();
    if (undoManager_)
        undoManager_->beginGroup();
    transformers_.addTransformer(*dropped);
    const int last = static_cast<int>(transformers_.size()) - 1;
    if (row < last)
        transformers_.moveTransformer(static_cast<std::size_t>(last), static_cast<std::size_t>(row));
    if (undoManager_) {
        undoManager_->setActionName(std::string(Transformers::addUndoName));
        undoManager_->endGroup();
    }
    refresh();
    return false;
}

void ActionListModel::refresh() {
    auto list = transformers_.list();
    const bool sameIds = list.size() == actions_.size() &&
                         std::equal(list.begin(), list.end(), actions_.begin(),
                                    [](const Transformer& a, const Transformer& b) { return a.id == b.id; });
    if (sameIds) {
        actions_ = std::move(list);
        if (!actions_.empty())
            emit dataChanged(index(0), index(rowCount() - 1));
        return;
    }
    beginResetModel();
    actions_ = std::move(list);
    endResetModel();
}

} // namespace quillory::gui
