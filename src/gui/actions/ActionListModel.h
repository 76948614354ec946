// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Transformer.h"

#include <QAbstractListModel>

#include <optional>
#include <vector>

namespace quillory {
class Transformers;
class UndoManager;
}

namespace quillory::gui {

// The chain of rename actions, one item per action in chain order. The check box is the action's enable
// switch; items are dragged as the record's JSON, so they can be moved here, dropped into another
// window's chain or into a text editor.
class ActionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr const char* mimeType = "com.corvalendt.quillory.transformer";
    static constexpr int idRole = Qt::UserRole + 1;

    ActionListModel(Transformers& transformers, UndoManager* undoManager, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // Takes the chain again (after any change of it).
    void refresh();
    const std::vector<Transformer>& actions() const { return actions_; }
    int rowOf(const std::string& id) const;

private:
    static std::optional<Transformer> decode(const QMimeData* data);

    Transformers& transformers_;
    UndoManager* undoManager_;
    std::vector<Transformer> actions_;
};

} // namespace quillory::gui
