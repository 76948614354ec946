// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

namespace quillory::gui {

class TokenField;

// What assistive technology reads of a token field: its text with each token spoken by its label
// ("Photo Date Taken City"), with offsets, selections and the cursor counted in that text.
class TokenFieldAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TokenFieldAccessible(TokenField* field);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    TokenField* field() const;
    // The document position whose labelled text covers the offset.
    int documentPosition(int offset) const;
};

} // namespace quillory::gui
