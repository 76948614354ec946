// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenPalette.h"

#include "model/TokenDetailsList.h"
#include "tokens/AttributeSamples.h"
#include "tokens/TokenField.h"
#include "tokens/TokenLabels.h"
#include "tokens/TokenMime.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace quillory::gui {

QStringList TokenTree::mimeTypes() const { return {tokenMimeType(), QStringLiteral("text/plain")}; }

void TokenTree::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit returnPressed(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QMimeData* TokenTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    TokenString tokens;
    for (const auto* row : items) {
        const QString id = row->data(0, TokenPalette::tokenIdRole).toString();
        if (!id.isEmpty())
            tokens.items.push_back(attributeItem(id.toStdString()));
    }
    return tokens.items.empty() ? nullptr : tokenMimeData(tokens);
}

TokenPalette::TokenPalette(AttributeSamples& samples, QWidget* parent) : QWidget(parent), samples_(samples) {
    setObjectName(QStringLiteral("tokenPalette"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("tokenSearch"));
    search_->setPlaceholderText(tr("Search tokens"));
    search_->setAccessibleName(tr("Search tokens"));
    search_->setClearButtonEnabled(true);
    tree_ = new TokenTree(this);
    tree_->setObjectName(QStringLiteral("tokenTree"));
    tree_->setAccessibleName(tr("Tokens"));
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({tr("Token"), tr("Selected File")});
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(true);
    tree_->setDragEnabled(true);
    tree_->setDragDropMode(QAbstractItemView::DragOnly);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setUniformRowHeights(true);
    tree_->setTextElideMode(Qt::ElideMiddle);
    auto* hint = new QLabel(tr("Double-click a token or drag it into a text field."), this);
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(search_);
    layout->addWidget(tree_, 1);
    layout->addWidget(hint);

    for (const auto& group : tokenGroups(samples_.catalogue())) {
        auto* parentRow = new QTreeWidgetItem(tree_, {group.title});
        parentRow->setFlags(Qt::ItemIsEnabled);
        QFont bold = parentRow->font(0);
        bold.setBold(true);
        parentRow->setFont(0, bold);
        for (const auto* details : group.tokens) {
            auto* row = new QTreeWidgetItem(parentRow, {attributeLabel(details->tokenId)});
            const QString id = QString::fromStdString(details->tokenId);
            row->setData(0, tokenIdRole, id);
            row->setToolTip(0, QString::fromStdString(details->description).trimmed() + QStringLiteral("\n{") + id +
                                   QLatin1Char('}'));
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
    }
    tree_->expandAll();

    connect(search_, &QLineEdit::textChanged, this, &TokenPalette::setFilter);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) { choose(row); });
    connect(tree_, &TokenTree::returnPressed, this, [this](QTreeWidgetItem* row) { choose(row); });
    refreshSamples();
}

QTreeWidgetItem* TokenPalette::itemFor(const QString& tokenId) const {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, tokenIdRole).toString() == tokenId)
            return *it;
    return nullptr;
}

void TokenPalette::refreshSamples() {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        const QString id = (*it)->data(0, tokenIdRole).toString();
        if (id.isEmpty())
            continue;
        const QString value = samples_.value(id.toStdString());
        (*it)->setText(1, value);
        (*it)->setToolTip(1, value);
    }
}

void TokenPalette::setFilter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tree_->topLevelItem(g);
        int shown = 0;
        for (int r = 0; r < group->childCount(); ++r) {
            QTreeWidgetItem* row = group->child(r);
            const bool match = wanted.isEmpty() || row->text(0).contains(wanted, Qt::CaseInsensitive) ||
                               row->data(0, tokenIdRole).toString().contains(wanted, Qt::CaseInsensitive) ||
                               row->toolTip(0).contains(wanted, Qt::CaseInsensitive) ||
                               group->text(0).contains(wanted, Qt::CaseInsensitive);
            row->setHidden(!match);
            shown += match ? 1 : 0;
        }
        group->setHidden(shown == 0);
    }
}

void TokenPalette::choose(QTreeWidgetItem* row) {
    const QString id = row ? row->data(0, tokenIdRole).toString() : QString();
    if (id.isEmpty())
        return;
    const TokenItem item = attributeItem(id.toStdString());
    if (TokenField* field = TokenField::lastFocused(); field && field->isVisible() && field->isEnabled()) {
        field->insertToken(item);
        field->setFocus(Qt::OtherFocusReason);
    }
    emit tokenChosen(item);
}

} // namespace quillory::gui
