// SPDX-License-Identifier: GPL-3.0-or-later
// Reordering with the keyboard: Ctrl+Shift+Up/Down in the file table moves the selected files like a
// drag, Ctrl+Shift+Left/Right in the action bar moves the selected action.
#include "GuiFixture.h"

#include "automation/AppServices.h"
#include "filelist/FileDataSource.h"
#include "main/MainWindow.h"
#include "main/ShiftedOrder.h"
#include "model/Transformers.h"

#include <QApplication>
#include <QListView>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

TEST(ShiftedOrderTest, MovesBlocksOnePlaceAndStopsAtTheEdges) {
    const std::vector<bool> marked = {false, true, true, false, true};
    EXPECT_EQ(gui::shiftedOrder(marked, -1), (std::vector<int>{1, 2, 0, 4, 3}));
    EXPECT_EQ(gui::shiftedOrder(marked, 1), (std::vector<int>{0, 3, 1, 2, 4}));
    // Already at the edge: nothing moves, and nothing jumps over it.
    EXPECT_EQ(gui::shiftedOrder({true, true, false}, -1), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(gui::shiftedOrder({true, false, true}, 1), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(gui::shiftedOrder({}, 1), std::vector<int>{});
}

std::vector<std::string> listedNames(AppServices& services) {
    std::vector<std::string> names;
    for (const auto& file : services.fileDataSource().files())
        names.push_back(file.source.name);
    return names;
}

void focus(QMainWindow& window, QWidget& widget) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    widget.setFocus();
}

TEST(KeyboardReorderTest, CtrlShiftArrowsMoveTheSelectedFilesInTheList) {
    GuiApp gui;
    auto& window = gui.app().window();
    auto& services = gui.app().services();
    gui.open({QString::fromStdString(gui.copyExampleFiles() + "/Documents")});
    const auto before = listedNames(services);
    ASSERT_EQ(before.size(), 3u);
    auto& table = window.fileTable();
    focus(window, table);
    selectOnly(table, 0);

    QTest::keyClick(&table, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    const std::vector<std::string> moved = {before[1], before[0], before[2]};
    ASSERT_TRUE(waitUntil([&] { return listedNames(services) == moved; }));
    ASSERT_TRUE(gui.settle());
    // The moved file stays selected, so the next key press moves it on.
    ASSERT_TRUE(waitUntil([&] { return table.selectionModel()->isRowSelected(1, {}); }));
    QTest::keyClick(&table, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return listedNames(services) == std::vector<std::string>{before[1], before[2], before[0]}; }));
    ASSERT_TRUE(gui.settle());
    // At the bottom it stays.
    ASSERT_TRUE(waitUntil([&] { return table.selectionModel()->isRowSelected(2, {}); }));
    window.moveSelectedFiles(1);
    ASSERT_TRUE(gui.settle());
    EXPECT_EQ(listedNames(services), (std::vector<std::string>{before[1], before[2], before[0]}));

    // Like a drag, the move is one step of the undo history.
    window.undoAction().trigger();
    ASSERT_TRUE(waitUntil([&] { return listedNames(services) == moved; }));
}

TEST(KeyboardReorderTest, CtrlShiftArrowsMoveTheSelectedActionInTheBar) {
    GuiApp gui;
    auto& window = gui.app().window();
    auto& transformers = gui.app().services().transformers();
    window.addAction("prefix");
    window.addAction("suffix");
    window.addAction("trim");
    auto* bar = window.findChild<QListView*>(QStringLiteral("actionBar"));
    ASSERT_NE(bar, nullptr);
    focus(window, *bar);
    window.selectAction(0);
    const auto types = [&] {
        std::vector<std::string> result;
        for (const auto& action : transformers.list())
            result.push_back(action.type);
        return result;
    };

    QTest::keyClick(bar, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(types(), (std::vector<std::string>{"suffix", "prefix", "trim"}));
    EXPECT_EQ(bar->currentIndex().row(), 1);
    QTest::keyClick(bar, Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(types(), (std::vector<std::string>{"suffix", "trim", "prefix"}));
    QTest::keyClick(bar, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(types(), (std::vector<std::string>{"suffix", "trim", "prefix"})) << "the last one stays last";
    QTest::keyClick(bar, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(types(), (std::vector<std::string>{"suffix", "prefix", "trim"}));
    window.undoAction().trigger();
    EXPECT_EQ(types(), (std::vector<std::string>{"suffix", "trim", "prefix"}));
}

} // namespace
} // namespace quillory::test
