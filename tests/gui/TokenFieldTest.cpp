// SPDX-License-Identifier: GPL-3.0-or-later
// The token field: what is typed and inserted becomes the right token string, tokens travel between
// fields through the clipboard and drags, the field stays one line, assistive technology hears labels,
// and a click on a token opens an editor for exactly the formats that token uses.
#include "GuiFixture.h"
#include "model/TokenDetailsList.h"
#include "tokens/TokenEditor.h"
#include "tokens/TokenField.h"
#include "tokens/TokenLabels.h"
#include "tokens/TokenMime.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <QRegularExpression>

#include <memory>
#include <set>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using gui::TokenField;

TokenItem token(const std::string& id, const std::string& prefix = {}, const std::string& suffix = {}) {
    TokenItem item = TokenItem::attribute(id);
    item.prefix = prefix;
    item.suffix = suffix;
    return item;
}

TokenItem dateToken(const std::string& format) {
    TokenItem item = TokenItem::attribute("{Exif}.DateTimeOriginal");
    item.dateFormat = format;
    return item;
}

// A shown field (tokens need a layout to be clicked).
struct ShownField {
    TokenField field;
    ShownField() {
        field.resize(420, field.sizeHint().height());
        field.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&field));
        field.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&field));
        field.setFocus();
    }
};

TEST(TokenFieldTest, TypedTextAndInsertedTokensMakeTheTokenStringWithTheirFormats) {
    ShownField shown;
    TokenField& field = shown.field;
    QTest::keyClicks(&field, "IMG ");
    field.insertToken(dateToken("yyyy"));
    QTest::keyClicks(&field, " x");
    // Two equal tokens side by side share one text fragment; both must come back.
    field.insertToken(token("tags", "[", "]"));
    field.insertToken(token("tags", "[", "]"));
    const TokenString expected({TokenItem::text("IMG "), dateToken("yyyy"), TokenItem::text(" x"),
                                token("tags", "[", "]"), token("tags", "[", "]")});
    EXPECT_EQ(field.tokenString(), expected);
    EXPECT_EQ(field.tokenPositions(), (std::vector<int>{4, 7, 8}));

    // A token is one character for the cursor, deletion and undo.
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.tokenString().items.size(), 4u);
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field.tokenString(), expected);
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClick(&field, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&field, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(field.textCursor().selectedText().size(), 2);
    QTest::keyClicks(&field, "-");
    EXPECT_EQ(field.tokenString(), TokenString({TokenItem::text("IMG "), dateToken("yyyy"), TokenItem::text(" -"),
                                                token("tags", "[", "]")}));

    // Shown again, a string keeps its items, a literal with a prefix included (it becomes a cell).
    TokenItem wrapped = TokenItem::text("b");
    wrapped.prefix = "(";
    const TokenString unusual({TokenItem::text("a"), wrapped, TokenItem::regex(RegExpToken(), "re")});
    field.setTokenString(unusual);
    EXPECT_EQ(field.tokenString(), unusual);
    EXPECT_FALSE(field.document()->isUndoAvailable());
}

TEST(TokenFieldTest, ReturnAndPastedLineBreaksNeverMakeASecondLine) {
    ShownField shown;
    TokenField& field = shown.field;
    QTest::keyClicks(&field, "one");
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClick(&field, Qt::Key_Enter);
    QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&field, "two");
    EXPECT_EQ(field.toPlainText(), "onetwo");
    EXPECT_EQ(field.document()->blockCount(), 1);

    // Plain text pastes as literal text, braces and all; its line breaks become spaces.
    auto* plain = new QMimeData;
    plain->setText(QStringLiteral(" {date-created}\nday\r\n2"));
    QApplication::clipboard()->setMimeData(plain);
    field.paste();
    EXPECT_EQ(field.document()->blockCount(), 1);
    EXPECT_EQ(field.tokenString(), TokenString({TokenItem::text("onetwo {date-created} day 2")}));
}

TEST(TokenFieldTest, CopyCutAndPasteCarryTokensAndPlainText) {
    TokenField source, target;
    const TokenString tokens({TokenItem::text("Trip "), dateToken("yyyy-MM"), TokenItem::text(" "),
                              token("GPS-AddressCity", "(", ")")});
    source.setTokenString(tokens);
    source.selectAll();
    source.copy();
    const QMimeData* offered = QApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    EXPECT_TRUE(offered->hasFormat(gui::tokenMimeType()));
    EXPECT_EQ(offered->text(), "Trip {{Exif}.DateTimeOriginal} {GPS-AddressCity}");
    target.paste();
    EXPECT_EQ(target.tokenString(), tokens);

    // Part of a string: only the selected characters, tokens whole.
    QTextCursor cursor = source.textCursor();
    cursor.setPosition(3);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    source.setTextCursor(cursor);
    source.cut();
    EXPECT_EQ(source.tokenString(), TokenString({TokenItem::text("Tri "), token("GPS-AddressCity", "(", ")")}));
    target.setTokenString({});
    target.paste();
    EXPECT_EQ(target.tokenString(), TokenString({TokenItem::text("p "), dateToken("yyyy-MM")}));

    // A token form that does not read falls back to the plain text.
    auto* broken = new QMimeData;
    broken->setData(gui::tokenMimeType(), "not json");
    broken->setText(QStringLiteral("plain"));
    QApplication::clipboard()->setMimeData(broken);
    target.setTokenString({});
    target.paste();
    EXPECT_EQ(target.tokenString(), TokenString({TokenItem::text("plain")}));
}

void drop(TokenField& target, const QMimeData& data, QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target.viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target.viewport(), &move);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target.viewport(), &dropped);
    EXPECT_TRUE(dropped.isAccepted());
}

TEST(TokenFieldTest, DraggedSelectionDropsWithItsTokensWhereItIsDropped) {
    ShownField source;
    ShownField target;
    source.field.setTokenString(TokenString({dateToken("dd.MM.yyyy"), TokenItem::text("!")}));
    target.field.setTokenString(TokenString({TokenItem::text("ab")}));
    source.field.selectAll();
    std::unique_ptr<QMimeData> dragged(source.field.selectionMimeData());

    QTextCursor between(target.field.document());
    between.setPosition(1);
    const QPoint at = target.field.cursorRect(between).center() + QPoint(1, 0);
    drop(target.field, *dragged, at);
    EXPECT_EQ(target.field.tokenString(),
              TokenString({TokenItem::text("a"), dateToken("dd.MM.yyyy"), TokenItem::text("!b")}));
}

TEST(TokenFieldTest, AssistiveTechnologyReadsTokensByTheirLabels) {
    ShownField shown;
    TokenField& field = shown.field;
    field.setTokenString(TokenString({TokenItem::text("Shot "), dateToken("yyyy"), TokenItem::text(" in "),
                                      token("GPS-AddressCity"), token("parent-directory-2")}));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&field);
    ASSERT_NE(accessible, nullptr);
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    const QString spoken = QStringLiteral("Shot Date Taken in CityParent Folder 2");
    EXPECT_EQ(text->characterCount(), spoken.size());
    EXPECT_EQ(text->text(0, text->characterCount()), spoken);
    EXPECT_EQ(accessible->text(QAccessible::Value), spoken);
    // Offsets count in the spoken text: the cursor after the date token sits after its label.
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(6);
    field.setTextCursor(cursor);
    EXPECT_EQ(text->cursorPosition(), QStringLiteral("Shot Date Taken").size());
    text->setSelection(0, 5, 15); // "Date Taken" selects the token itself
    EXPECT_EQ(field.textCursor().selectionStart(), 5);
    EXPECT_EQ(field.textCursor().selectionEnd(), 6);
}

TEST(TokenFieldTest, ClickingATokenOpensAnEditorForTheFormatsItUses) {
    const auto catalogue = TokenDetailsList::loadEmbedded();
    ShownField shown;
    TokenField& field = shown.field;
    field.setCatalogue(&catalogue);
    field.setSampleRenderer([](const TokenItem& item) { return QString::fromStdString(item.prefix) + "value"; });
    field.setTokenString(TokenString({TokenItem::text("x"), dateToken("yyyy"), token("{GPS}.Latitude"),
                                      token("id3-track-number")}));
    const auto positions = field.tokenPositions();
    ASSERT_EQ(positions.size(), 3u);

    QTest::mouseClick(field.viewport(), Qt::LeftButton, {}, field.tokenRect(positions[0]).center());
    gui::TokenEditor* editor = field.openEditor();
    ASSERT_NE(editor, nullptr);
    auto* format = editor->findChild<QComboBox*>(QStringLiteral("dateFormat"));
    auto* example = editor->findChild<QLabel*>(QStringLiteral("dateExample"));
    ASSERT_TRUE(format && example);
    EXPECT_EQ(editor->findChild<QComboBox*>(QStringLiteral("gpsFormat")), nullptr);
    EXPECT_EQ(format->currentText(), "yyyy");
    format->lineEdit()->selectAll();
    QTest::keyClicks(format->lineEdit(), "yyyy-MM-dd");
    EXPECT_TRUE(QRegularExpression("^Now: \\d{4}-\\d\\d-\\d\\d$").match(example->text()).hasMatch()) << example->text().toStdString();
    auto* prefix = editor->findChild<QLineEdit*>(QStringLiteral("prefix"));
    ASSERT_NE(prefix, nullptr);
    QTest::keyClicks(prefix, "@");
    EXPECT_EQ(editor->findChild<QLabel*>(QStringLiteral("sampleValue"))->text(), "\"@value\"");
    editor->close();
    TokenItem expected = dateToken("yyyy-MM-dd");
    expected.prefix = "@";
    EXPECT_EQ(field.tokenAt(positions[0]), expected);

    // A position offers its two forms, a number its digits; neither offers a date format.
    editor = field.editToken(positions[1]);
    ASSERT_NE(editor, nullptr);
    auto* gps = editor->findChild<QComboBox*>(QStringLiteral("gpsFormat"));
    ASSERT_NE(gps, nullptr);
    EXPECT_EQ(editor->findChild<QComboBox*>(QStringLiteral("dateFormat")), nullptr);
    gps->setCurrentIndex(1);
    editor->close();
    EXPECT_NE(field.tokenAt(positions[1])->gpsFormat, 0);
    editor = field.editToken(positions[2]);
    auto* digits = editor->findChild<QSpinBox*>(QStringLiteral("numberDigits"));
    ASSERT_NE(digits, nullptr);
    digits->setValue(4);
    editor->close();
    EXPECT_EQ(field.tokenAt(positions[2])->numberDigits, 4);
    // A click on literal text opens nothing.
    QTest::mouseClick(field.viewport(), Qt::LeftButton, {}, QPoint(3, field.viewport()->height() / 2));
    EXPECT_EQ(field.openEditor(), nullptr);
}

TEST(TokenFieldTest, LabelsSayWhatATokenIs) {
    EXPECT_EQ(gui::attributeLabel("{TIFF}.Model"), "Model");
    EXPECT_EQ(gui::attributeLabel("id3-album-artist"), "Album Artist");
    EXPECT_EQ(gui::attributeLabel("{Exif}.FNumber"), "F Number");
    // Every group the palette shows has tokens, and no id is listed twice.
    const auto catalogue = TokenDetailsList::loadEmbedded();
    std::set<std::string> ids;
    std::size_t count = 0;
    for (const auto& group : gui::tokenGroups(catalogue)) {
        EXPECT_FALSE(group.tokens.empty());
        for (const auto* details : group.tokens) {
            ids.insert(details->tokenId);
            ++count;
        }
    }
    EXPECT_EQ(ids.size(), count);
    EXPECT_TRUE(ids.count("GPS-AddressCity") && ids.count("id3-artist") && ids.count("original-filename"));
}

} // namespace
} // namespace quillory::test
