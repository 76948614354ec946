// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenFieldAccessible.h"

#include "tokens/TokenField.h"

#include <QTextCursor>

namespace quillory::gui {

TokenFieldAccessible::TokenFieldAccessible(TokenField* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

TokenField* TokenFieldAccessible::field() const { return static_cast<TokenField*>(widget()); }

QString TokenFieldAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Value)
        return field()->labelledText();
    return QAccessibleWidget::text(t);
}

QAccessible::State TokenFieldAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !field()->isReadOnly();
    state.readOnly = field()->isReadOnly();
    state.selectableText = true;
    return state;
}

void* TokenFieldAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int TokenFieldAccessible::documentPosition(int offset) const {
    const int end = field()->document()->characterCount() - 1;
    for (int position = 0; position < end; ++position)
        if (field()->labelledOffset(position + 1) > offset)
            return position;
    return end;
}

void TokenFieldAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = field()->textCursor();
    if (selectionIndex != 0 || !cursor.hasSelection())
        return;
    *startOffset = field()->labelledOffset(cursor.selectionStart());
    *endOffset = field()->labelledOffset(cursor.selectionEnd());
}

int TokenFieldAccessible::selectionCount() const { return field()->textCursor().hasSelection() ? 1 : 0; }

void TokenFieldAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void TokenFieldAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = field()->textCursor();
    cursor.clearSelection();
    field()->setTextCursor(cursor);
}

void TokenFieldAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = field()->textCursor();
    cursor.setPosition(documentPosition(startOffset));
    cursor.setPosition(documentPosition(endOffset), QTextCursor::KeepAnchor);
    field()->setTextCursor(cursor);
}

int TokenFieldAccessible::cursorPosition() const { return field()->labelledOffset(field()->textCursor().position()); }

void TokenFieldAccessible::setCursorPosition(int position) {
    QTextCursor cursor = field()->textCursor();
    cursor.setPosition(documentPosition(position));
    field()->setTextCursor(cursor);
}

QString TokenFieldAccessible::text(int startOffset, int endOffset) const {
    return field()->labelledText().mid(startOffset, endOffset - startOffset);
}

int TokenFieldAccessible::characterCount() const { return static_cast<int>(field()->labelledText().size()); }

QRect TokenFieldAccessible::characterRect(int offset) const {
    const int position = documentPosition(offset);
    QTextCursor cursor(field()->document());
    cursor.setPosition(position);
    QRect rect = field()->cursorRect(cursor);
    if (field()->tokenAt(position))
        rect = field()->tokenRect(position);
    return QRect(field()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TokenFieldAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint local = field()->viewport()->mapFromGlobal(point);
    return field()->labelledOffset(field()->cursorForPosition(local).position());
}

void TokenFieldAccessible::scrollToSubstring(int startIndex, int) {
    QTextCursor cursor = field()->textCursor();
    cursor.setPosition(documentPosition(startIndex));
    field()->setTextCursor(cursor);
    field()->ensureCursorVisible();
}

QString TokenFieldAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = offset;
    *endOffset = offset + 1;
    return {};
}

} // namespace quillory::gui
