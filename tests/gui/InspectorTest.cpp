// SPDX-License-Identifier: GPL-3.0-or-later
// The token palette and the file inspector over real media, and a photo-naming chain built the way a
// person builds it: with the mouse and the keyboard only.
#include "GuiFixture.h"
#include "TestPaths.h"
#include "automation/Session.h"
#include "inspector/FileInspector.h"
#include "inspector/InspectorDocks.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "actions/ActionEditor.h"
#include "model/Transformers.h"
#include "tokens/TokenEditor.h"
#include "tokens/TokenField.h"
#include "tokens/TokenMime.h"
#include "tokens/TokenPalette.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace quillory::test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

fs::path copyCorpus(const GuiApp& gui, const std::vector<std::string>& names) {
    const fs::path folder = gui.home().path() / "media";
    fs::create_directories(folder);
    for (const auto& name : names)
        fs::copy_file(fs::path(kCorpusDir) / name, folder / name);
    return folder;
}

int rowOf(gui::MainWindow& window, const QString& name) {
    auto& model = window.fileModel();
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.index(row, gui::FileTableModel::nameColumn).data().toString() == name)
            return row;
    return -1;
}

void selectFile(gui::MainWindow& window, const QString& name) {
    const int row = rowOf(window, name);
    ASSERT_GE(row, 0) << name.toStdString();
    window.fileTable().setCurrentIndex(window.fileModel().index(row, 0));
    window.inspectorDocks().refresh();
}

QString sample(gui::TokenPalette& palette, const char* id) {
    const QTreeWidgetItem* row = palette.itemFor(QString::fromLatin1(id));
    return row ? row->text(1) : QStringLiteral("<not listed>");
}

TEST(InspectorTest, PaletteShowsTheSelectedFilesValuesAndFilters) {
    GuiApp gui;
    const auto folder = copyCorpus(gui, {"img_gps_amsterdam.jpg", "song_id3v24.mp3"});
    gui.open({QString::fromStdString(folder.string())});
    auto& window = gui.app().window();
    auto& palette = window.inspectorDocks().palette();

    selectFile(window, "img_gps_amsterdam");
    EXPECT_EQ(sample(palette, "{Exif}.DateTimeOriginal"), "2020-04-27 140533");
    EXPECT_EQ(sample(palette, "GPS-AddressCity"), "Amsterdam");
    EXPECT_EQ(sample(palette, "original-filename"), "img_gps_amsterdam");
    EXPECT_EQ(sample(palette, "id3-artist"), "");

    selectFile(window, "song_id3v24");
    EXPECT_EQ(sample(palette, "id3-artist"), QString::fromUtf8("Sigur Rós"));
    EXPECT_EQ(sample(palette, "{Exif}.DateTimeOriginal"), "");

    // The inspector lists what has a value, with the token to drag.
    QTreeWidget& attributes = window.inspectorDocks().inspector().attributeView();
    const auto found = attributes.findItems(QStringLiteral("{id3-artist}"), Qt::MatchExactly,
                                            gui::FileInspector::tokenColumn);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.front()->text(gui::FileInspector::valueColumn), QString::fromUtf8("Sigur Rós"));
    EXPECT_TRUE(attributes.findItems(QStringLiteral("{{Exif}.DateTimeOriginal}"), Qt::MatchExactly, 2).isEmpty());

    // A token dragged from the palette carries its id, formats at their defaults.
    QTreeWidget& tree = palette.tree();
    tree.setCurrentItem(palette.itemFor(QStringLiteral("id3-artist")));
    std::unique_ptr<QMimeData> dragged(tree.model()->mimeData({tree.currentIndex()}));
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(gui::readTokens(dragged.get()), TokenString({TokenItem::attribute("id3-artist")}));
    EXPECT_EQ(dragged->text(), "{id3-artist}");

    palette.searchField().setText(QStringLiteral("artist"));
    EXPECT_FALSE(palette.itemFor(QStringLiteral("id3-artist"))->isHidden());
    EXPECT_TRUE(palette.itemFor(QStringLiteral("{TIFF}.Model"))->isHidden());
    EXPECT_TRUE(palette.itemFor(QStringLiteral("original-filename"))->parent()->isHidden()); // no artist there
}

TEST(InspectorTest, PlanShowsEachActionsNameBeforeAndAfterDimmedWhereItDidNotApply) {
    GuiApp gui;
    const fs::path folder = gui.home().path() / "docs";
    fs::create_directories(folder);
    std::ofstream(folder / "holiday.txt") << "x";
    gui.open({QString::fromStdString(folder.string())});
    const auto action = [](const char* type, Json properties) {
        auto decoded = Transformer::fromJson(Json{{"id", Transformer::makeId()}, {"type", type},
                                                  {"transformScope", "filename"}, {"properties", properties}});
        EXPECT_TRUE(decoded.ok());
        return std::move(decoded).value();
    };
    const auto literal = [](const char* text) { return Json{{"items", {{{"type", "string"}, {"value", text}}}}}; };
    gui.app().session().setChain({action("simple", {{"simpleFindText", "holiday"}, {"simpleReplaceText", literal("trip")}}),
                                  action("select", {{"selectType", "matching"}, {"selectMatch", "^nothing"}}),
                                  action("suffix", {{"suffixText", literal(" 2")}})});
    gui.settle();
    auto& window = gui.app().window();
    selectFile(window, "holiday");

    QTreeWidget& plan = window.inspectorDocks().inspector().planView();
    ASSERT_EQ(plan.topLevelItemCount(), 4);
    // Name before, name after, and whether the action applied.
    const auto row = [&](int r) {
        const QTreeWidgetItem* item = plan.topLevelItem(r);
        return std::vector<QString>{item->text(1), item->text(2),
                                    item->data(0, Qt::UserRole).toBool() ? "dimmed" : "applied"};
    };
    using Row = std::vector<QString>;
    EXPECT_EQ(plan.topLevelItem(0)->text(0), "Original Filename");
    EXPECT_EQ(row(0), (Row{"", "holiday.txt", "applied"}));
    EXPECT_EQ(row(1), (Row{"holiday.txt", "trip.txt", "applied"}));
    EXPECT_EQ(row(2)[1], "trip.txt");
    EXPECT_EQ(row(3), (Row{"trip.txt", "trip.txt", "dimmed"})); // the Select action let the file out: no suffix
    EXPECT_TRUE(plan.topLevelItem(3)->text(0).startsWith("Suffix")) << plan.topLevelItem(3)->text(0).toStdString();

    // A disabled action did not apply either.
    auto chain = gui.app().session().chain();
    chain[1].disabled = true;
    chain[0].disabled = true;
    gui.app().session().setChain(chain);
    gui.settle();
    window.inspectorDocks().refresh();
    EXPECT_EQ(row(1)[2], "dimmed");
    EXPECT_EQ(row(3), (Row{"holiday.txt", "holiday 2.txt", "applied"}));
}

// Clicks the entry of the open popup menu once it is shown.
void chooseFromMenu(const QString& text) {
    QTimer::singleShot(50, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        menu->close();
        FAIL() << "no menu entry " << text.toStdString();
    });
}

void doubleClickToken(gui::TokenPalette& palette, const char* search, const char* id) {
    QLineEdit& field = palette.searchField();
    QTest::mouseClick(&field, Qt::LeftButton);
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&field, search);
    QTreeWidgetItem* row = palette.itemFor(QString::fromLatin1(id));
    ASSERT_NE(row, nullptr);
    ASSERT_FALSE(row->isHidden());
    QTreeWidget& tree = palette.tree();
    tree.scrollToItem(row);
    const QPoint at = tree.visualItemRect(row).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at);
    QSignalSpy chosen(&palette, &gui::TokenPalette::tokenChosen);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(chosen.count(), 1);
}

TEST(InspectorTest, PhotosGetTheirDateAndCityThroughMouseAndKeyboardAlone) {
    GuiApp gui;
    const auto folder = copyCorpus(gui, {"img_gps_amsterdam.jpg"});
    auto& window = gui.app().window();
    window.resize(1400, 900);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    gui.open({QString::fromStdString(folder.string())});
    window.actionEditor().setDebounceInterval(10);

    // Add a Set action from the Add menu.
    QToolButton* add = nullptr;
    for (auto* button : window.findChildren<QToolButton*>())
        if (button->accessibleName() == "Add rename action")
            add = button;
    ASSERT_NE(add, nullptr);
    chooseFromMenu(QStringLiteral("Set"));
    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return gui.app().session().chain().size() == 1; }));
    auto* field = window.actionEditor().findChild<gui::TokenField*>(QStringLiteral("setText"));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(waitUntil([&] { return field->isVisible(); }));
    QTest::mouseClick(field->viewport(), Qt::LeftButton);
    ASSERT_EQ(gui::TokenField::lastFocused(), field);

    // The date the photo was taken, from the palette; its format set in the token's editor.
    auto& palette = window.inspectorDocks().palette();
    doubleClickToken(palette, "taken", "{Exif}.DateTimeOriginal");
    ASSERT_EQ(field->tokenPositions().size(), 1u);
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, field->tokenRect(field->tokenPositions()[0]).center());
    gui::TokenEditor* editor = field->openEditor();
    ASSERT_NE(editor, nullptr);
    auto* format = editor->findChild<QComboBox*>(QStringLiteral("dateFormat"));
    ASSERT_NE(format, nullptr);
    QTest::keyClick(format->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(format->lineEdit(), "yyyy-MM-dd");
    QTest::keyClicks(format->lineEdit(), "_HHmm"); // not the default format, so the new name shows the edit
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return field->openEditor() == nullptr; }));

    // Then the city, with a space before it when there is one.
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, QPoint(field->viewport()->width() - 4, 5));
    doubleClickToken(palette, "city", "GPS-AddressCity");
    ASSERT_EQ(field->tokenPositions().size(), 2u);
    QTest::mouseClick(field->viewport(), Qt::LeftButton, {}, field->tokenRect(field->tokenPositions()[1]).center());
    editor = field->openEditor();
    ASSERT_NE(editor, nullptr);
    auto* prefix = editor->findChild<QLineEdit*>(QStringLiteral("prefix"));
    ASSERT_NE(prefix, nullptr);
    QTest::mouseClick(prefix, Qt::LeftButton);
    QTest::keyClicks(prefix, " ");
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return field->openEditor() == nullptr; }));

    ASSERT_TRUE(waitUntil([&] {
        const auto chain = gui.app().session().chain();
        return chain.size() == 1 && chain[0].properties.setText && chain[0].properties.setText->items.size() == 2 &&
               chain[0].properties.setText->items[1].prefix == " ";
    }));
    gui.settle();
    const int row = rowOf(window, "img_gps_amsterdam");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(waitUntil([&] {
        return window.fileModel().index(row, gui::FileTableModel::newNameColumn).data().toString() ==
               "2020-04-27_1405 Amsterdam";
    })) << window.fileModel().index(row, gui::FileTableModel::newNameColumn).data().toString().toStdString();
}

} // namespace
} // namespace quillory::test
