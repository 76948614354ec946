// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/ActionButtonDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionButton>

namespace quillory::gui {
namespace {
constexpr int padding = 8;
}

void ActionButtonDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // The button shows the selection; the item's own highlight would cover it.
    if (option->state & QStyle::State_Selected)
        option->font.setBold(true);
    option->state &= ~QStyle::State_Selected;
    option->state &= ~QStyle::State_HasFocus;
    option->rect.adjust(padding, 0, -padding / 2, 0);
}

void ActionButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionButton button;
    button.rect = option.rect.adjusted(1, 1, -1, -1);
    button.palette = option.palette;
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (option.state & QStyle::State_Selected)
        button.state = (button.state & ~QStyle::State_Raised) | QStyle::State_Sunken | QStyle::State_On;
    if (option.state & QStyle::State_MouseOver)
        button.state |= QStyle::State_MouseOver;
    if (option.state & QStyle::State_HasFocus)
        button.state |= QStyle::State_HasFocus;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButtonBevel, &button, painter, widget);
    QStyledItemDelegate::paint(painter, option, index);
}

QSize ActionButtonDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem bold = option;
    bold.font.setBold(true); // room for the selected (bold) title
    const QSize base = QStyledItemDelegate::sizeHint(bold, index);
    return {base.width() + padding * 2, base.height() + padding};
}

} // namespace quillory::gui
