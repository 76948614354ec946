// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenField.h"

#include "tokens/TokenEditor.h"
#include "tokens/TokenFieldAccessible.h"
#include "tokens/TokenLabels.h"
#include "tokens/TokenMime.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBlock>
#include <QTextObjectInterface>

#include <algorithm>

Q_DECLARE_METATYPE(quillory::TokenItem)

namespace quillory::gui {
namespace {

constexpr qreal pillPadding = 6;
constexpr qreal pillGap = 1; // between a pill and its neighbours

TokenItem itemOf(const QTextFormat& format) { return format.property(TokenField::tokenItemProperty).value<TokenItem>(); }

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

QString withoutLineBreaks(QString text) {
    for (auto& c : text)
        if (isLineBreak(c))
            c = QLatin1Char(' ');
    return text;
}

// Literal items written plainly; a "string" item with a prefix or suffix (possible in recipes) must
// keep them, so it becomes a cell like a token.
bool isPlainText(const TokenItem& item) {
    return item.type == TokenItem::typeString && item.prefix.empty() && item.suffix.empty();
}

QTextCharFormat tokenFormat(const TokenItem& item) {
    QTextCharFormat format;
    format.setObjectType(TokenField::tokenObjectType);
    format.setProperty(TokenField::tokenItemProperty, QVariant::fromValue(item));
    format.setVerticalAlignment(QTextCharFormat::AlignBaseline);
    return format;
}

void insertItems(QTextCursor& cursor, const TokenString& tokens) {
    for (const auto& item : tokens.items) {
        if (isPlainText(item))
            cursor.insertText(withoutLineBreaks(QString::fromStdString(item.value)), QTextCharFormat());
        else
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), tokenFormat(item));
    }
    cursor.setCharFormat(QTextCharFormat());
}

QColor mixed(const QColor& a, const QColor& b, qreal share) {
    return QColor::fromRgbF(a.redF() * (1 - share) + b.redF() * share, a.greenF() * (1 - share) + b.greenF() * share,
                            a.blueF() * (1 - share) + b.blueF() * share);
}

// Lays out and paints the token cells.
class PillRenderer : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit PillRenderer(TokenField* field) : QObject(field), field_(field) {}

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        const QFontMetricsF metrics(field_->font());
        return {metrics.horizontalAdvance(tokenLabel(itemOf(format))) + 2 * (pillPadding + pillGap), metrics.height()};
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int position,
                    const QTextFormat& format) override {
        const TokenItem item = itemOf(format);
        const QPalette& palette = field_->palette();
        const QTextCursor cursor = field_->textCursor();
        const bool selected = cursor.hasSelection() && position >= cursor.selectionStart() && position < cursor.selectionEnd();
        const QColor base = palette.color(QPalette::Base);
        const QColor accent = item.isRegex()        ? QColor(0x3c, 0xa0, 0x5a)
                              : item.isAttribute() ? palette.color(QPalette::Highlight)
                                                   : palette.color(QPalette::Mid);
        const QColor fill = selected ? palette.color(QPalette::Highlight) : mixed(base, accent, 0.22);
        const QColor border = selected ? palette.color(QPalette::Highlight) : mixed(base, accent, 0.6);
        const QColor text = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
        const QRectF cell = rect.adjusted(pillGap, 0.5, -pillGap, -0.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(border, 1));
        painter->setBrush(fill);
        const qreal radius = cell.height() / 2.5;
        painter->drawRoundedRect(cell, radius, radius);
        painter->setPen(text);
        painter->setFont(field_->font());
        painter->drawText(cell, Qt::AlignCenter, tokenLabel(item));
        painter->restore();
    }

private:
    TokenField* field_;
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(TokenField::staticMetaObject.className()) && object && object->isWidgetType())
        return new TokenFieldAccessible(static_cast<TokenField*>(object));
    return nullptr;
}

} // namespace

QPointer<TokenField> TokenField::lastFocused_;

TokenField::TokenField(QWidget* parent) : QTextEdit(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    document()->setDocumentMargin(2);
    document()->documentLayout()->registerHandler(tokenObjectType, new PillRenderer(this));
    setFixedHeight(sizeHint().height());
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent spoken(this, labelledText());
            QAccessible::updateAccessibility(&spoken);
        }
        emit tokenStringChanged();
    });
    // Typing right after a token would otherwise take over the token's format. With a selection the
    // format would be applied to the selected tokens instead, turning them into bare characters.
    connect(this, &QTextEdit::currentCharFormatChanged, this, [this](const QTextCharFormat& format) {
        if (format.objectType() == tokenObjectType && !textCursor().hasSelection())
            setCurrentCharFormat(QTextCharFormat());
    });
    connect(this, &QTextEdit::selectionChanged, viewport(), qOverload<>(&QWidget::update));
}

TokenField::~TokenField() {
    if (editor_)
        editor_->close();
}

int TokenField::lineHeight() const { return QFontMetrics(font()).height(); }

QSize TokenField::sizeHint() const {
    const int margins = static_cast<int>(2 * document()->documentMargin()) + 2 * frameWidth() + 2;
    return {QFontMetrics(font()).averageCharWidth() * 30, lineHeight() + margins};
}

QSize TokenField::minimumSizeHint() const { return {QFontMetrics(font()).averageCharWidth() * 8, sizeHint().height()}; }

void TokenField::setTokenString(const TokenString& tokens) {
    if (editor_)
        editor_->close();
    clear();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    insertItems(cursor, tokens);
    cursor.endEditBlock();
    document()->clearUndoRedoStacks();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    setCurrentCharFormat(QTextCharFormat());
}

TokenString TokenField::tokenString() const { return tokenString(0, document()->characterCount()); }

TokenString TokenField::tokenString(int from, int to) const {
    TokenString tokens;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            tokens.items.push_back(TokenItem::text(literal.toStdString()));
        literal.clear();
    };
    // One character at a time: equal tokens next to each other share one fragment.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin() && block.position() - 1 >= from && block.position() - 1 < to)
            literal += QLatin1Char(' ');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString text = fragment.text();
            const QTextCharFormat format = fragment.charFormat();
            const bool tokens_ = format.objectType() == tokenObjectType;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const int position = fragment.position() + static_cast<int>(i);
                if (position < from || position >= to)
                    continue;
                if (tokens_ && text[i] == QChar::ObjectReplacementCharacter) {
                    flush();
                    tokens.items.push_back(itemOf(format));
                } else {
                    literal += isLineBreak(text[i]) ? QChar(QLatin1Char(' ')) : text[i];
                }
            }
        }
    }
    flush();
    return tokens;
}

void TokenField::insertTokens(const TokenString& tokens) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertItems(cursor, tokens);
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::optional<TokenItem> TokenField::tokenAt(int position) const {
    if (position < 0 || position >= document()->characterCount() - 1)
        return std::nullopt;
    if (document()->characterAt(position) != QChar::ObjectReplacementCharacter)
        return std::nullopt;
    QTextCursor cursor(document());
    cursor.setPosition(position + 1); // the format of the character before the cursor
    const QTextCharFormat format = cursor.charFormat();
    if (format.objectType() != tokenObjectType)
        return std::nullopt;
    return itemOf(format);
}

void TokenField::replaceToken(int position, const TokenItem& item) {
    if (!tokenAt(position) || *tokenAt(position) == item)
        return;
    QTextCursor cursor(document());
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    cursor.insertText(QString(QChar::ObjectReplacementCharacter), tokenFormat(item));
}

std::vector<int> TokenField::tokenPositions() const {
    std::vector<int> positions;
    for (int p = 0; p < document()->characterCount() - 1; ++p)
        if (tokenAt(p))
            positions.push_back(p);
    return positions;
}

QRect TokenField::tokenRect(int position) const {
    QTextCursor cursor(document());
    cursor.setPosition(position);
    const QRect left = cursorRect(cursor);
    cursor.setPosition(position + 1);
    const QRect right = cursorRect(cursor);
    return QRect(QPoint(left.left(), left.top()), QPoint(right.left(), left.bottom()));
}

int TokenField::tokenIndexAt(const QPoint& point) const {
    for (const int position : tokenPositions())
        if (tokenRect(position).contains(point))
            return position;
    return -1;
}

QString TokenField::labelledText() const {
    QString text;
    for (const auto& item : tokenString().items)
        text += isPlainText(item) ? QString::fromStdString(item.value) : tokenLabel(item);
    return text;
}

int TokenField::labelledOffset(int position) const {
    int offset = 0;
    for (int p = 0; p < position && p < document()->characterCount() - 1; ++p) {
        const auto token = tokenAt(p);
        offset += token ? static_cast<int>(tokenLabel(*token).size()) : 1;
    }
    return offset;
}

TokenEditor* TokenField::editToken(int position) {
    const auto item = tokenAt(position);
    if (!item)
        return nullptr;
    if (editor_)
        editor_->close();
    editor_ = new TokenEditor(*item, catalogue_, sampleRenderer_, this);
    connect(editor_, &TokenEditor::itemEdited, this, [this, position](const TokenItem& edited) {
        replaceToken(position, edited);
        viewport()->update();
    });
    const QRect rect = tokenRect(position);
    QPoint at = viewport()->mapToGlobal(rect.bottomLeft() + QPoint(0, 4));
    editor_->adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - editor_->width())));
        if (at.y() + editor_->height() > area.bottom())
            at.setY(viewport()->mapToGlobal(rect.topLeft()).y() - editor_->height() - 4);
    }
    editor_->move(at);
    editor_->show();
    return editor_;
}

TokenEditor* TokenField::openEditor() const {
    // A closed editor lingers until its deferred deletion.
    return editor_ && editor_->isVisible() ? editor_.data() : nullptr;
}

TokenField* TokenField::lastFocused() { return lastFocused_.data(); }

void TokenField::focusInEvent(QFocusEvent* event) {
    lastFocused_ = this;
    QTextEdit::focusInEvent(event);
}

void TokenField::keyPressEvent(QKeyEvent* event) {
    // One line: Return goes to the window (default buttons), never into the text.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TokenField::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (std::none_of(commit.begin(), commit.end(), isLineBreak)) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent oneLine(event->preeditString(), event->attributes());
    oneLine.setCommitString(withoutLineBreaks(commit), event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&oneLine);
}

void TokenField::mousePressEvent(QMouseEvent* event) {
    // A click names the field the palette fills, also while the window waits for activation.
    lastFocused_ = this;
    pressPoint_ = event->position().toPoint();
    pressedToken_ = event->button() == Qt::LeftButton ? tokenIndexAt(pressPoint_) : -1;
    QTextEdit::mousePressEvent(event);
}

void TokenField::mouseReleaseEvent(QMouseEvent* event) {
    QTextEdit::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    const bool click = (at - pressPoint_).manhattanLength() < QApplication::startDragDistance();
    if (event->button() == Qt::LeftButton && click && pressedToken_ >= 0 && tokenIndexAt(at) == pressedToken_)
        editToken(pressedToken_);
    pressedToken_ = -1;
}

QMimeData* TokenField::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    return tokenMimeData(tokenString(cursor.selectionStart(), cursor.selectionEnd()));
}

bool TokenField::canInsertFromMimeData(const QMimeData* source) const { return canReadTokens(source); }

void TokenField::insertFromMimeData(const QMimeData* source) {
    if (const auto tokens = readTokens(source))
        insertTokens(*tokens);
}

} // namespace quillory::gui

#include "TokenField.moc"
