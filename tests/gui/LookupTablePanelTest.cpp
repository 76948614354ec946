// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup-table panel: CSV files in and out as the core reads them, the lines an import skipped,
// reordering, and the rows reaching the Convert action through its editor.
#include "GuiFixture.h"

#include "actions/ActionEditor.h"
#include "lookup/LookupTablePanel.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace quillory::test {
namespace {

using Rows = std::vector<LookupTableRow>;

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(LookupTablePanelTest, ImportShowsTheRowsAndTheLinesItSkipped) {
    TempDir dir;
    writeFile(dir.path() / "table.csv", "\xEF\xBB\xBF" "ä;ae\r\njust one field\r\n;no find\r\n\"x;y\";z\r\n");
    gui::LookupTablePanel panel;
    panel.setRows({{"old", "row"}});
    QSignalSpy edited(&panel, &gui::LookupTablePanel::edited);
    ASSERT_TRUE(panel.importFile(QString::fromStdString((dir.path() / "table.csv").string())));
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(panel.rows(), (Rows{{"ä", "ae"}, {"x;y", "z"}}));
    EXPECT_EQ(panel.skippedLines().size(), 2u);
    auto* report = panel.findChild<QLabel*>(QStringLiteral("lookupReport"));
    EXPECT_TRUE(report->text().contains(QStringLiteral("Line 2 skipped")));
    EXPECT_TRUE(report->text().contains(QStringLiteral("Line 3 skipped (The find text is empty): ;no find")));

    // An unreadable file changes nothing and says why.
    EXPECT_FALSE(panel.importFile(QString::fromStdString((dir.path() / "missing.csv").string())));
    EXPECT_EQ(panel.rows(), (Rows{{"ä", "ae"}, {"x;y", "z"}}));
    EXPECT_TRUE(report->text().contains(QStringLiteral("Could not read the lookup file")));
}

TEST(LookupTablePanelTest, ExportedFileImportsAsTheSameRows) {
    TempDir dir;
    const Rows rows = {{"a;b", "c"}, {"say \"hi\"", ""}, {"(\\d+)", "#$1"}, {"é", "e"}, {"multi\nline", "x"}};
    gui::LookupTablePanel out;
    out.setRows(rows);
    const QString path = QString::fromStdString((dir.path() / "out.csv").string());
    ASSERT_TRUE(out.exportFile(path));
    // The row with a line break cannot be one line of the file; the panel names it.
    EXPECT_TRUE(out.findChild<QLabel*>(QStringLiteral("lookupReport"))->text().contains(QStringLiteral("Row 5 left out")));

    gui::LookupTablePanel in;
    ASSERT_TRUE(in.importFile(path));
    EXPECT_EQ(in.rows(), (Rows{rows[0], rows[1], rows[2], rows[3]}));
    EXPECT_TRUE(in.skippedLines().empty());
}

TEST(LookupTablePanelTest, RowsAreAddedRemovedAndMovedWithTheKeyboard) {
    gui::LookupTablePanel panel;
    panel.setRows({{"1", "a"}, {"2", "b"}, {"3", "c"}});
    auto& table = panel.table();
    selectOnly(table, 2);
    panel.moveSelectedRows(-1);
    EXPECT_EQ(panel.rows(), (Rows{{"1", "a"}, {"3", "c"}, {"2", "b"}}));
    panel.show();
    QApplication::setActiveWindow(&panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(panel.rows(), (Rows{{"3", "c"}, {"1", "a"}, {"2", "b"}}));
    EXPECT_TRUE(table.selectionModel()->isRowSelected(0, {}));
    panel.removeSelectedRows();
    EXPECT_EQ(panel.rows(), (Rows{{"1", "a"}, {"2", "b"}}));
    table.clearSelection();
    table.setCurrentCell(-1, -1);
    panel.addRow();
    EXPECT_EQ(panel.rows(), (Rows{{"1", "a"}, {"2", "b"}, {"", ""}}));
}

TEST(LookupTablePanelTest, ImportedRowsReachTheConvertAction) {
    TempDir dir;
    writeFile(dir.path() / "table.csv", " ;_\n_+;_\n");
    gui::ActionEditor editor;
    editor.setDebounceInterval(0);
    Transformer action("conversion");
    action.properties.conversionType = "lookup";
    editor.setAction(action);
    auto* panel = editor.findChild<gui::LookupTablePanel*>();
    ASSERT_NE(panel, nullptr);
    QSignalSpy edited(&editor, &gui::ActionEditor::edited);
    ASSERT_TRUE(panel->importFile(QString::fromStdString((dir.path() / "table.csv").string())));
    ASSERT_TRUE(edited.wait(2000));
    const auto reported = qvariant_cast<Transformer>(edited.last().first());
    ASSERT_TRUE(reported.properties.conversionLookup.has_value());
    EXPECT_EQ(*reported.properties.conversionLookup,
              (std::vector<std::vector<std::string>>{{" ", "_"}, {"_+", "_"}}));
}

} // namespace
} // namespace quillory::test
