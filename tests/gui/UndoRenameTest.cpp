// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Undo Rename end to end: a recipe renames the example documents on disk, the undo puts them
// back after asking, reports the file that was moved away meanwhile, and the list shows the old names.
#include "GuiFixture.h"

#include "automation/Session.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "main/UndoRenameController.h"

#include <QAction>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>

namespace quillory::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> shownNames(gui::FileTableModel& model) {
    std::vector<std::string> names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.push_back(model.index(row, gui::FileTableModel::nameColumn).data().toString().toStdString() + "." +
                        model.index(row, gui::FileTableModel::extensionColumn).data().toString().toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

// Opens the example documents with the tidy-names recipe and renames them on disk.
fs::path renameDocuments(GuiApp& gui) {
    auto& window = gui.app().window();
    const fs::path documents = fs::path(gui.copyExampleFiles()) / "Documents";
    gui.open({QString::fromStdString(documents.string())});
    EXPECT_TRUE(window.loadRecipe(QStringLiteral(QUILLORY_EXAMPLES_DIR "/recipes/tidy-names.recipe")));
    EXPECT_TRUE(gui.settle());
    QSignalSpy finished(&window, &gui::MainWindow::renameFinished);
    window.startRename();
    EXPECT_TRUE(finished.wait(20000));
    EXPECT_TRUE(gui.settle());
    return documents;
}

const std::vector<std::string> originalNames = {"My_Report  FINAL (2).txt", "meeting_notes_2021_05_03.TXT",
                                                "scan_002.PDF"};

TEST(UndoRenameTest, PutsBackWhatIsStillThereAndReportsTheRest) {
    GuiApp gui;
    auto& window = gui.app().window();
    auto& undo = window.undoRename();
    EXPECT_FALSE(undo.action()->isEnabled()) << "nothing renamed yet";

    const fs::path documents = renameDocuments(gui);
    ASSERT_EQ(listing(documents),
              (std::vector<std::string>{"Meeting Notes 2021 05 03.txt", "My Report Final (2).txt", "Scan 002.pdf"}));
    EXPECT_TRUE(undo.action()->isEnabled());

    // Moved away by hand after the run: the undo must leave it where it is now.
    fs::rename(documents / "Scan 002.pdf", documents / "kept by hand.pdf");
    gui.interaction().answerWith({"Undo Rename"});
    QSignalSpy undone(&undo, &gui::UndoRenameController::undone);
    undo.action()->trigger();
    ASSERT_TRUE(undone.wait(20000));
    EXPECT_EQ(undone.first().at(0).toInt(), 2);
    EXPECT_EQ(undone.first().at(1).toStringList().size(), 1);
    EXPECT_EQ(gui.interaction().alertTitles(), std::vector<std::string>{"Some items could not be put back"});

    EXPECT_EQ(listing(documents), (std::vector<std::string>{"My_Report  FINAL (2).txt", "kept by hand.pdf",
                                                            "meeting_notes_2021_05_03.TXT"}));
    // The two files that went back are listed under their old names (and computed again from there).
    ASSERT_TRUE(gui.settle());
    const auto shown = shownNames(window.fileModel());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "My_Report  FINAL (2).txt"), shown.end());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "meeting_notes_2021_05_03.TXT"), shown.end());
    auto& model = window.fileModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, gui::FileTableModel::nameColumn).data().toString() == "meeting_notes_2021_05_03") {
            EXPECT_EQ(model.index(row, gui::FileTableModel::newNameColumn).data().toString(), "Meeting Notes 2021 05 03");
        }
    }
    // That run is undone; the undo run itself is not offered as a rename to undo.
    EXPECT_FALSE(undo.action()->isEnabled());
}

TEST(UndoRenameTest, AnsweringCancelLeavesTheFilesRenamed) {
    GuiApp gui;
    auto& undo = gui.app().window().undoRename();
    const fs::path documents = renameDocuments(gui);
    gui.interaction().answerWith({"Cancel"});
    QSignalSpy undone(&undo, &gui::UndoRenameController::undone);
    undo.action()->trigger();
    EXPECT_EQ(gui.interaction().questionMessages().back(), "Undo the last rename?");
    // Cancel is answered before anything starts.
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_EQ(undone.count(), 0);
    EXPECT_EQ(listing(documents),
              (std::vector<std::string>{"Meeting Notes 2021 05 03.txt", "My Report Final (2).txt", "Scan 002.pdf"}));
    EXPECT_TRUE(undo.action()->isEnabled());

    // Undone in full: the list shows every old name again.
    gui.interaction().answerWith({"Undo Rename"});
    undo.action()->trigger();
    ASSERT_TRUE(undone.wait(20000));
    EXPECT_TRUE(undone.first().at(1).toStringList().isEmpty());
    EXPECT_EQ(listing(documents), originalNames);
    ASSERT_TRUE(gui.settle());
    EXPECT_EQ(shownNames(gui.app().window().fileModel()), originalNames);
}

} // namespace
} // namespace quillory::test
