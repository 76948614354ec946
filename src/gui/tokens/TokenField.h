// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TokenString.h"

#include <QPointer>
#include <QTextEdit>

#include <functional>
#include <optional>

namespace quillory {
class TokenDetailsList;
}

namespace quillory::gui {

class TokenEditor;

// A one-line editor of a token string: literal text with attribute and expression tokens shown as
// rounded cells among it. Each token is one object character of the document whose format carries
// the TokenItem, so the cursor, selections, undo and input methods treat it as one character.
// Clicking a token opens its editor; copy, cut, paste and drags carry the token form and plain text.
class TokenField : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int tokenObjectType = QTextFormat::UserObject + 1;
    static constexpr int tokenItemProperty = QTextFormat::UserProperty + 1;

    explicit TokenField(QWidget* parent = nullptr);
    ~TokenField() override;

    // Shows the token string; the undo history starts anew.
    void setTokenString(const TokenString& tokens);
    // The document read character by character: runs of text become one "string" item each, every
    // object character its token.
    TokenString tokenString() const;
    // The part between two document positions, read the same way.
    TokenString tokenString(int from, int to) const;

    // Replaces the selection (or inserts at the cursor) as one undo step.
    void insertTokens(const TokenString& tokens);
    void insertToken(const TokenItem& item) { insertTokens(TokenString({item})); }

    // The token at a document position, if that character is one.
    std::optional<TokenItem> tokenAt(int position) const;
    void replaceToken(int position, const TokenItem& item);
    // Document positions of the tokens, in order, and the rectangle of one in viewport coordinates.
    std::vector<int> tokenPositions() const;
    QRect tokenRect(int position) const;

    // The text with every token replaced by its label (what a screen reader says), and the mapping
    // of a document position into that text.
    QString labelledText() const;
    int labelledOffset(int position) const;

    // The catalogue decides which formats a token's editor offers; the sample file gives its live example.
    void setCatalogue(const TokenDetailsList* catalogue) { catalogue_ = catalogue; }
    const TokenDetailsList* catalogue() const { return catalogue_; }
    using SampleRenderer = std::function<QString(const TokenItem&)>;
    void setSampleRenderer(SampleRenderer renderer) { sampleRenderer_ = std::move(renderer); }

    // Opens the editor of the token at a position; returns it (null when there is no token there).
    TokenEditor* editToken(int position);
    TokenEditor* openEditor() const;

    // The field that had the keyboard focus last, where the palette inserts.
    static TokenField* lastFocused();

    // The MIME data of the current selection, as copy and drag make it.
    QMimeData* selectionMimeData() const { return createMimeDataFromSelection(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void tokenStringChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int tokenIndexAt(const QPoint& viewportPoint) const;
    int lineHeight() const;

    const TokenDetailsList* catalogue_ = nullptr;
    SampleRenderer sampleRenderer_;
    QPointer<TokenEditor> editor_;
    QPoint pressPoint_;
    int pressedToken_ = -1;
    static QPointer<TokenField> lastFocused_;
};

} // namespace quillory::gui
