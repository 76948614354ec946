// SPDX-License-Identifier: GPL-3.0-or-later
// The main window end to end: undo names in the Edit menu, a recipe over the example files renamed on
// disk with the alerts answered, and an accessible name on every control that takes focus.
#include "GuiFixture.h"

#include "actions/ActionEditor.h"
#include "actions/ActionListModel.h"
#include "app/Preferences.h"
#include "automation/AppServices.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "tokens/TokenField.h"
#include "model/TransformerTypes.h"
#include "model/Transformers.h"

#include <QAccessible>
#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace quillory::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(MainWindowTest, EditMenuNamesTheStepsToUndoAndRedo) {
    GuiApp gui;
    auto& window = gui.app().window();
    EXPECT_FALSE(window.undoAction().isEnabled());
    window.addAction("suffix");
    EXPECT_EQ(window.undoAction().text(), "&Undo Add Rename Action");

    auto& editor = window.actionEditor();
    editor.setDebounceInterval(10);
    auto* suffix = editor.findChild<gui::TokenField*>(QStringLiteral("suffixText"));
    ASSERT_NE(suffix, nullptr);
    QTest::keyClicks(suffix, "-done");
    ASSERT_TRUE(waitUntil([&] { return !editor.hasPendingEdit(); }));
    EXPECT_EQ(window.undoAction().text(), "&Undo Update Rename Action");
    EXPECT_EQ(gui.app().services().transformers().list()[0].properties.suffixText->plainText(), "-done");

    window.undoAction().trigger();
    EXPECT_EQ(window.redoAction().text(), "&Redo Update Rename Action");
    EXPECT_FALSE(gui.app().services().transformers().list()[0].properties.suffixText.has_value());
    // The editor shows the record as it is after the undo.
    ASSERT_TRUE(waitUntil([&] { return suffix->toPlainText().isEmpty(); }));
    window.redoAction().trigger();
    ASSERT_TRUE(waitUntil([&] { return suffix->toPlainText() == "-done"; }));

    window.actionModel().setData(window.actionModel().index(0), Qt::Unchecked, Qt::CheckStateRole);
    window.undoAction().trigger();
    window.undoAction().trigger();
    window.undoAction().trigger();
    EXPECT_EQ(window.redoAction().text(), "&Redo Add Rename Action");
    EXPECT_EQ(gui.app().services().transformers().size(), 0u);
}

TEST(MainWindowTest, RecipeOverTheExampleFilesRenamesThemOnDisk) {
    GuiApp gui;
    auto& window = gui.app().window();
    const fs::path files = gui.copyExampleFiles();
    gui.app().processArguments({QStringLiteral("quillory"), QStringLiteral("-d"),
                                QString::fromStdString((files / "Documents").string()), QStringLiteral("-r"),
                                QStringLiteral(QUILLORY_EXAMPLES_DIR "/recipes/tidy-names.recipe")});
    ASSERT_TRUE(gui.settle());
    EXPECT_EQ(window.actionModel().rowCount(), 4);

    auto& model = window.fileModel();
    std::map<std::string, std::string> newNames;
    for (int row = 0; row < model.rowCount(); ++row)
        newNames[model.index(row, gui::FileTableModel::nameColumn).data().toString().toStdString()] =
            model.index(row, gui::FileTableModel::newNameColumn).data().toString().toStdString() + "." +
            model.index(row, gui::FileTableModel::newExtensionColumn).data().toString().toStdString();
    EXPECT_EQ(newNames, (std::map<std::string, std::string>{{"meeting_notes_2021_05_03", "Meeting Notes 2021 05 03.txt"},
                                                            {"My_Report  FINAL (2)", "My Report Final (2).txt"},
                                                            {"scan_002", "Scan 002.pdf"}}));
    ASSERT_TRUE(window.renameButton().isEnabled());
    EXPECT_EQ(window.renameButton().text(), "Rename 3 Files");

    // One target is taken by a folder and duplicates are not resolved: the preview already shows that
    // file's error, and the run leaves it alone while renaming the others.
    fs::create_directories(files / "Documents" / "Scan 002.pdf" / "inside");
    gui.app().services().preferences().setTransient(PreferenceKey::autoResolveDuplicates, false);
    ASSERT_TRUE(gui.settle());
    QSignalSpy finished(&window, &gui::MainWindow::renameFinished);
    QTest::mouseClick(&window.renameButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(20000));
    const auto report = qvariant_cast<RenameReport>(finished.first().first());
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.successCount, 2);
    EXPECT_EQ(report.errorCount, 1);
    EXPECT_TRUE(report.failures.empty());
    // Files with errors are no failures: no question, no partial report.
    EXPECT_TRUE(gui.interaction().questionMessages().empty());
    EXPECT_TRUE(gui.interaction().alertTitles().empty());

    EXPECT_EQ(listing(files / "Documents"),
              (std::vector<std::string>{"Meeting Notes 2021 05 03.txt", "My Report Final (2).txt", "scan_002.PDF"}));
    // The list now holds the new names as the current ones.
    ASSERT_TRUE(gui.settle());
    std::vector<std::string> current;
    for (int row = 0; row < model.rowCount(); ++row)
        current.push_back(model.index(row, gui::FileTableModel::nameColumn).data().toString().toStdString());
    std::sort(current.begin(), current.end());
    EXPECT_EQ(current, (std::vector<std::string>{"Meeting Notes 2021 05 03", "My Report Final (2)", "scan_002"}));
}

TEST(MainWindowTest, EveryFocusableControlHasAnAccessibleName) {
    GuiApp gui;
    auto& window = gui.app().window();
    window.show();
    const auto check = [&](const std::string& where) {
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window) || widget->focusProxy())
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            ASSERT_NE(accessible, nullptr) << widget->metaObject()->className();
            EXPECT_FALSE(accessible->text(QAccessible::Name).trimmed().isEmpty())
                << where << ": " << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
    };
    check("empty window");
    for (const auto& info : transformerTypes()) {
        window.addAction(std::string(info.typeId));
        check(std::string(info.typeId));
    }
}

} // namespace
} // namespace quillory::test
