// SPDX-License-Identifier: GPL-3.0-or-later
// Expression tokens in the desktop app: a click on one opens an editor for the characters it matches,
// each edit reaching the regular-expression action as one undo step, and the palette offers them
// (only) while that action is edited.
#include "GuiFixture.h"
#include "actions/ActionEditor.h"
#include "inspector/InspectorDocks.h"
#include "main/MainWindow.h"
#include "model/TokenDetailsList.h"
#include "model/TransformerTypes.h"
#include "tokens/RegExpResolver.h"
#include "tokens/TokenEditor.h"
#include "tokens/TokenField.h"
#include "tokens/TokenLabels.h"
#include "tokens/TokenMime.h"
#include "tokens/TokenPalette.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace quillory::test {
namespace {

RegExpToken numbers(int count = 0) {
    RegExpToken token;
    token.numeric = true;
    token.count = count;
    return token;
}

Transformer regexAction(const TokenString& find) {
    Transformer action{std::string(TransformerType::regularExpression)};
    action.properties.regexFindText = find;
    action.properties.regexReplaceText = TokenString({TokenItem::text("#$1")});
    return action;
}

TEST(RegExpTokenTest, EditingAnExpressionTokenChangesTheFindExpressionOneUndoStepPerEdit) {
    gui::ActionEditor editor;
    editor.setDebounceInterval(10);
    QSignalSpy edited(&editor, &gui::ActionEditor::edited);
    editor.resize(500, 300);
    const TokenString original({TokenItem::text("IMG_"), TokenItem::regex(numbers(), "regex-numbers")});
    editor.setAction(regexAction(original));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto* field = editor.findChild<gui::TokenField*>(QStringLiteral("regexFindText"));
    ASSERT_NE(field, nullptr);
    const auto positions = field->tokenPositions();
    ASSERT_EQ(positions.size(), 1u);
    const int at = positions[0];

    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, field->tokenRect(at).center());
    gui::TokenEditor* tokenEditor = field->openEditor();
    ASSERT_NE(tokenEditor, nullptr);
    // Only the pattern settings: an expression has no value to format or wrap.
    EXPECT_EQ(tokenEditor->findChild<QLineEdit*>(QStringLiteral("prefix")), nullptr);
    EXPECT_EQ(tokenEditor->findChild<QComboBox*>(QStringLiteral("dateFormat")), nullptr);
    auto* numeric = tokenEditor->findChild<QCheckBox*>(QStringLiteral("regexNumeric"));
    auto* letters = tokenEditor->findChild<QCheckBox*>(QStringLiteral("regexAlphabetic"));
    auto* count = tokenEditor->findChild<QSpinBox*>(QStringLiteral("regexCount"));
    auto* anchor = tokenEditor->findChild<QComboBox*>(QStringLiteral("regexAnchor"));
    auto* containing = tokenEditor->findChild<QComboBox*>(QStringLiteral("regexContaining"));
    auto* custom = tokenEditor->findChild<QLineEdit*>(QStringLiteral("regexCustom"));
    auto* pattern = tokenEditor->findChild<QLabel*>(QStringLiteral("regexPattern"));
    auto* title = tokenEditor->findChild<QLabel*>(QStringLiteral("tokenTitle"));
    ASSERT_TRUE(numeric && letters && count && anchor && containing && custom && pattern && title);
    EXPECT_TRUE(numeric->isChecked());
    EXPECT_FALSE(letters->isChecked());
    EXPECT_EQ(pattern->text(), "((?:[\\d])+)");

    // Exactly three digits: the action's expression follows at once.
    count->setValue(3);
    EXPECT_EQ(pattern->text(), "((?:[\\d]){3})");
    EXPECT_EQ(title->text(), "3 numbers");
    auto find = editor.action()->properties.regexFindText;
    ASSERT_TRUE(find);
    EXPECT_EQ(*find, TokenString({TokenItem::text("IMG_"), TokenItem::regex(numbers(3), "regex-numbers")}));

    // Letters too, the whole name, some literal characters, then everything except all that.
    letters->click();
    anchor->setCurrentIndex(anchor->findText(QStringLiteral("The whole text")));
    QTest::mouseClick(custom, Qt::LeftButton);
    QTest::keyClicks(custom, "a-z]");
    EXPECT_EQ(gui::tokenLabel(*field->tokenAt(at)), "From Start to End: 3 letters numbers a-z] ");
    EXPECT_EQ(pattern->text(), "^((?:[\\p{L}\\da\\-z\\]]\\p{M}*){3})$");
    containing->setCurrentIndex(1);
    tokenEditor->close();

    RegExpToken expected = numbers(3);
    expected.alphabetic = true;
    expected.anchor = RegExpAnchor::startEnd;
    expected.custom = "a-z]";
    expected.containing = false;
    find = editor.action()->properties.regexFindText;
    ASSERT_TRUE(find);
    EXPECT_EQ(*find, TokenString({TokenItem::text("IMG_"), TokenItem::regex(expected, "regex-numbers")}));
    EXPECT_EQ(RegExpResolver::resolve(*find).pattern, "IMG_^((?:[^\\p{L}\\da\\-z\\]\\p{M}]){3})$");

    // The edits come to the action as one change after the pause; each is its own undo step in the field.
    ASSERT_TRUE(waitUntil([&] {
        return !edited.isEmpty() && qvariant_cast<Transformer>(edited.last().first()).properties.regexFindText == find;
    }));
    field->undo();
    expected.containing = true;
    EXPECT_EQ(field->tokenAt(at)->regexp, expected);
    field->undo();
    expected.custom = "a-z";
    EXPECT_EQ(field->tokenAt(at)->regexp, expected);
}

TEST(RegExpTokenTest, PaletteOffersExpressionTokensOnlyForTheRegularExpressionAction) {
    GuiApp gui;
    auto& window = gui.app().window();
    auto& palette = window.inspectorDocks().palette();
    const auto catalogue = TokenDetailsList::loadEmbedded();
    QTreeWidgetItem* group = palette.expressionGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->childCount(), static_cast<int>(catalogue.regexTokenDetails.size()));
    EXPECT_TRUE(group->isHidden()) << "no action is shown";

    window.addAction(std::string(TransformerType::set));
    ASSERT_TRUE(waitUntil([&] { return window.actionEditor().actionType() == TransformerType::set; }));
    EXPECT_TRUE(group->isHidden());
    // A search that matches them does not bring them into another action.
    palette.searchField().setText(QStringLiteral("numbers"));
    EXPECT_TRUE(group->isHidden());
    palette.searchField().clear();

    window.addAction(std::string(TransformerType::regularExpression));
    ASSERT_TRUE(waitUntil([&] { return !group->isHidden(); }));
    palette.searchField().setText(QStringLiteral("whitespace"));
    EXPECT_FALSE(group->isHidden());
    EXPECT_TRUE(palette.itemFor(QStringLiteral("regex-numbers"))->isHidden());
    EXPECT_FALSE(palette.itemFor(QStringLiteral("regex-except-whitespace"))->isHidden());
    palette.searchField().clear();

    // A drag carries the token with its settings.
    RegExpToken notWhitespace;
    notWhitespace.containing = false;
    notWhitespace.whitespace = true;
    QTreeWidget& tree = palette.tree();
    for (const auto& [id, token] :
         {std::pair{"regex-numbers", numbers()}, std::pair{"regex-except-whitespace", notWhitespace}}) {
        tree.setCurrentItem(palette.itemFor(QString::fromLatin1(id)));
        std::unique_ptr<QMimeData> dragged(tree.model()->mimeData({tree.currentIndex()}));
        ASSERT_NE(dragged, nullptr) << id;
        EXPECT_EQ(gui::readTokens(dragged.get()), TokenString({TokenItem::regex(token, id)})) << id;
    }
    EXPECT_EQ(palette.itemFor(QStringLiteral("regex-numbers"))->text(0), "One or more numbers");

    // Back in the other action they are gone again.
    window.selectAction(0);
    ASSERT_TRUE(waitUntil([&] { return window.actionEditor().actionType() == TransformerType::set; }));
    EXPECT_TRUE(group->isHidden());
}

} // namespace
} // namespace quillory::test
