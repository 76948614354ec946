// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenPalette.h"

#include "model/TokenDetailsList.h"
#include "model/TokenTemplate.h"
#include "model/TransformerTypes.h"
#include "tokens/RegExpResolver.h"
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
    for (const auto* row : items)
        if (auto item = TokenPalette::rowToken(row))
            tokens.items.push_back(std::move(*item));
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

    const auto groupRow = [this](const QString& title) {
        auto* parentRow = new QTreeWidgetItem(tree_, {title});
        parentRow->setFlags(Qt::ItemIsEnabled);
        QFont bold = parentRow->font(0);
        bold.setBold(true);
        parentRow->setFont(0, bold);
        return parentRow;
    };
    // First, so that it is in view when it appears.
    const auto& catalogue = samples_.catalogue();
    if (!catalogue.regexTokenDetails.empty()) {
        expressionGroup_ = groupRow(tr("Expression"));
        for (const auto& details : catalogue.regexTokenDetails) {
            // The catalogue's kinds of characters become the token the way text templates read them.
            const auto parsed = TokenTemplate::parse("{" + details.tokenId + "}", catalogue);
            if (!parsed.ok() || parsed.value().items.size() != 1 || !parsed.value().items[0].isRegex())
                continue;
            const TokenItem& item = parsed.value().items[0];
            const QString description = QString::fromStdString(details.description).trimmed();
            auto* row = new QTreeWidgetItem(expressionGroup_,
                                            {description.isEmpty() ? tokenLabel(item).trimmed() : description});
            const QString id = QString::fromStdString(details.tokenId);
            row->setData(0, tokenIdRole, id);
            row->setData(0, expressionItemRole, QString::fromStdString(item.toJson().dump()));
            const QString pattern = QString::fromStdString(RegExpResolver::resolve(item.regexp).pattern);
            row->setToolTip(0, tr("Matches %1\n{%2}").arg(pattern, id));
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
        expressionGroup_->setHidden(true);
    }
    for (const auto& group : tokenGroups(catalogue)) {
        auto* parentRow = groupRow(group.title);
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

std::optional<TokenItem> TokenPalette::rowToken(const QTreeWidgetItem* row) {
    if (!row)
        return std::nullopt;
    const QString expression = row->data(0, expressionItemRole).toString();
    if (!expression.isEmpty()) {
        const auto json = nlohmann::ordered_json::parse(expression.toStdString(), nullptr, false);
        if (json.is_discarded())
            return std::nullopt;
        auto item = TokenItem::fromJson(json);
        if (!item.ok())
            return std::nullopt;
        return std::move(item).value();
    }
    const QString id = row->data(0, tokenIdRole).toString();
    if (id.isEmpty())
        return std::nullopt;
    return attributeItem(id.toStdString());
}

void TokenPalette::setActionType(std::string_view typeId) {
    const bool shown = typeId == TransformerType::regularExpression;
    if (shown == expressionsShown_)
        return;
    expressionsShown_ = shown;
    setFilter(search_->text());
}

void TokenPalette::refreshSamples() {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        const QString id = (*it)->data(0, tokenIdRole).toString();
        // Expression tokens stand for a pattern, not for a value of the file.
        if (id.isEmpty() || !(*it)->data(0, expressionItemRole).toString().isEmpty())
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
        group->setHidden(shown == 0 || (group == expressionGroup_ && !expressionsShown_));
    }
}

void TokenPalette::choose(QTreeWidgetItem* row) {
    const auto token = rowToken(row);
    if (!token)
        return;
    const TokenItem& item = *token;
    if (TokenField* field = TokenField::lastFocused(); field && field->isVisible() && field->isEnabled()) {
        field->insertToken(item);
        field->setFocus(Qt::OtherFocusReason);
    }
    emit tokenChosen(item);
}

} // namespace quillory::gui
