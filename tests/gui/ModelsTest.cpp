// SPDX-License-Identifier: GPL-3.0-or-later
// The file table and the action bar as item models: consistency under the model tester, the filter,
// and dragging rows and actions.
#include "GuiFixture.h"

#include "actions/ActionListModel.h"
#include "automation/AppServices.h"
#include "main/FileTableModel.h"
#include "main/MainWindow.h"
#include "model/Transformers.h"
#include "app/UndoManager.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

Transformer decode(const char* json) { return Transformer::fromJson(nlohmann::ordered_json::parse(json)).value(); }

std::vector<std::string> column(QAbstractItemModel& model, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.push_back(model.index(row, column).data().toString().toStdString());
    return texts;
}

class ModelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        files = gui.copyExampleFiles();
        tableTester = std::make_unique<QAbstractItemModelTester>(
            &window().fileModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        actionTester = std::make_unique<QAbstractItemModelTester>(
            &window().actionModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        gui.open({QString::fromStdString(files + "/Documents")});
    }
    gui::MainWindow& window() { return gui.app().window(); }
    AppServices& services() { return gui.app().services(); }

    GuiApp gui;
    std::string files;
    std::unique_ptr<QAbstractItemModelTester> tableTester;
    std::unique_ptr<QAbstractItemModelTester> actionTester;
};

TEST_F(ModelsTest, TableShowsNewNamesTintsChangesAndHidesUnchangedFiles) {
    auto& model = window().fileModel();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.counts().toRename, 0);
    services().transformers().addTransformer(decode(
        R"({"type":"simple","transformScope":"filename","properties":{"simpleFindText":"_","simpleReplaceText":" "}})"));
    ASSERT_TRUE(gui.settle());

    EXPECT_EQ(model.counts().toRename, 3); // all three names hold an underscore
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto name = model.index(row, gui::FileTableModel::nameColumn).data().toString();
        const auto newName = model.index(row, gui::FileTableModel::newNameColumn).data().toString();
        EXPECT_EQ(newName, QString(name).replace(QLatin1Char('_'), QLatin1Char(' ')));
        EXPECT_EQ(model.index(row, gui::FileTableModel::newFolderColumn).data().toString().toStdString(),
                  files + "/Documents");
        EXPECT_EQ(model.state(row), gui::FileTableModel::RowState::willChange);
        EXPECT_TRUE(model.index(row, 0).data(Qt::BackgroundRole).isValid());
    }

    // A second action gives "scan_002" its name back, so it no longer changes.
    services().transformers().addTransformer(decode(
        R"({"type":"regularexpression","transformScope":"filename","properties":{)"
        R"("regexFindText":{"items":[{"type":"string","value":"^scan ([0-9]+)$"}]},)"
        R"("regexReplaceText":{"items":[{"type":"string","value":"scan_$1"}]}}})"));
    ASSERT_TRUE(gui.settle());
    EXPECT_EQ(model.counts().toRename, 2);
    window().setHideUnchanged(true);
    EXPECT_EQ(model.rowCount(), 2);
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_NE(model.state(row), gui::FileTableModel::RowState::unchanged);
    window().setHideUnchanged(false);
    EXPECT_EQ(model.rowCount(), 3);

    // Files opened onto an existing chain get their new names without any further edit.
    gui.interaction().answerWith({"Append"});
    gui.open({QString::fromStdString(files + "/Photos/Sydney")});
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.counts().toRename, 3);
    EXPECT_EQ(model.index(3, gui::FileTableModel::newNameColumn).data().toString(), QStringLiteral("DSC 0042"));
}

TEST_F(ModelsTest, DraggingRowsReordersTheListAndDroppedUrlsAreOpened) {
    auto& model = window().fileModel();
    const auto before = column(model, gui::FileTableModel::nameColumn);
    ASSERT_EQ(before.size(), 3u);
    // Drag the last row to the top.
    std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(2, 0), model.index(2, 1)}));
    model.dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {});
    ASSERT_TRUE(waitUntil([&] { return column(model, gui::FileTableModel::nameColumn)[0] == before[2]; }));
    EXPECT_EQ(column(model, gui::FileTableModel::nameColumn),
              (std::vector<std::string>{before[2], before[0], before[1]}));
    EXPECT_EQ(services().undoManager().undoActionName(), "Move files");

    // Files dropped from a file manager are opened (appended when chosen).
    gui.interaction().answerWith({"Append"});
    QSignalSpy dropped(&model, &gui::FileTableModel::pathsDropped);
    QMimeData uris;
    uris.setUrls({QUrl::fromLocalFile(QString::fromStdString(files + "/Photos"))});
    EXPECT_TRUE(model.dropMimeData(&uris, Qt::CopyAction, -1, -1, {}));
    ASSERT_EQ(dropped.count(), 1);
    ASSERT_TRUE(waitUntil([&] { return model.counts().files == 7; }));
    EXPECT_EQ(gui.interaction().questionMessages().back(), "Quillory already has some opened files");
}

TEST_F(ModelsTest, ActionsDragAsJsonAndDropToMoveOrCopy) {
    auto& transformers = services().transformers();
    auto& model = window().actionModel();
    window().addAction("prefix");
    window().addAction("numbering");
    window().addAction("trim");
    ASSERT_EQ(model.rowCount(), 3);
    const auto ids = [&] {
        std::vector<std::string> list;
        for (const auto& action : transformers.list())
            list.push_back(action.type);
        return list;
    };

    std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(2)}));
    ASSERT_TRUE(dragged->hasFormat(QString::fromLatin1(gui::ActionListModel::mimeType)));
    // A text editor gets the record's JSON.
    const auto json = nlohmann::ordered_json::parse(dragged->text().toStdString());
    EXPECT_EQ(json["type"], "trim");
    EXPECT_EQ(json["id"], transformers.list()[2].id);

    model.dropMimeData(dragged.get(), Qt::MoveAction, 0, 0, {});
    EXPECT_EQ(ids(), (std::vector<std::string>{"trim", "prefix", "numbering"}));
    EXPECT_EQ(services().undoManager().undoActionName(), Transformers::moveUndoName);

    // Dropped from another window (or copied): a new action with a new id at the drop position.
    model.dropMimeData(dragged.get(), Qt::CopyAction, 2, 0, {});
    EXPECT_EQ(ids(), (std::vector<std::string>{"trim", "prefix", "trim", "numbering"}));
    EXPECT_NE(transformers.list()[2].id, transformers.list()[0].id);
    EXPECT_EQ(services().undoManager().undoActionName(), Transformers::addUndoName);
    services().undoManager().undo();
    EXPECT_EQ(ids(), (std::vector<std::string>{"trim", "prefix", "numbering"}));

    // The check box is the enable switch.
    EXPECT_TRUE(model.setData(model.index(1), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(transformers.list()[1].disabled);
    QMimeData junk;
    junk.setData(QString::fromLatin1(gui::ActionListModel::mimeType), "not json");
    EXPECT_FALSE(model.dropMimeData(&junk, Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(transformers.size(), 3u);
}

} // namespace
} // namespace quillory::test
