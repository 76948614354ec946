// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListTestSupport.h"
#include "filelist/FileDataSource.h"
#include "app/UndoManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

class FileDataSourceTest : public ::testing::Test {
protected:
    FileDataSourceTest() : dataSource(&recorder.center, &undo) {}

    std::vector<std::string> names() { return namesOf(dataSource.files()); }
    void open(const std::vector<std::string>& paths) {
        dataSource.applyFileAction(dataSource.files(), filesAt(paths), FileAction::replace, false);
    }

    NotificationRecorder recorder;
    UndoManager undo;
    FileDataSource dataSource;
};

} // namespace

// Removing, clearing and moving are named on the list's own actions below.
TEST(FileActionTest, UndoNamesCountWhatChanged) {
    EXPECT_EQ(undoActionName(FileAction::replace, 4, 12, false), "Open 12 files");
    EXPECT_EQ(undoActionName(FileAction::append, 10, 3, false), "Append 3 files");
    // While undoing the roles swap: undoing "Remove 3 files" is named the same.
    EXPECT_EQ(undoActionName(FileAction::remove, 7, 10, true), "Remove 3 files");
    EXPECT_EQ(undoActionName(FileAction::clear, 0, 5, true), "Clear 5 files");
}

TEST_F(FileDataSourceTest, ReplaceStoresInGivenOrderAndHandsOutStorageIndexes) {
    LogCapture log;
    open({"/d/c.txt", "/d/a.txt", "/d/b.txt"});
    EXPECT_EQ(names(), (std::vector<std::string>{"c.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(dataSource.orderedIndex(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(dataSource.file(1)->index, 1);
    EXPECT_FALSE(dataSource.file(3).has_value());
    EXPECT_EQ(undo.undoActionName(), "Open 3 files");
    EXPECT_TRUE(log.contains("FileDataSourceActor doReplaceAllFiles for 3 files"));
    EXPECT_EQ(recorder.drain(), (std::vector<std::string>{"dataSourceUpdated"}));

    // A replace after a sort shows the new files in the order given.
    ASSERT_TRUE(dataSource.updateOrderedIndex({2, 0, 1}));
    open({"/d/z", "/d/y"});
    EXPECT_EQ(names(), (std::vector<std::string>{"z", "y"}));
}

TEST_F(FileDataSourceTest, AppendKeepsDuplicatesAndUndoRedoRestoresBothLists) {
    open({"/d/a", "/d/b"});
    ASSERT_TRUE(dataSource.updateOrderedIndex({1, 0}));
    dataSource.applyFileAction(dataSource.files(), filesAt({"/d/c", "/d/a"}), FileAction::append, false);
    EXPECT_EQ(names(), (std::vector<std::string>{"b", "a", "c", "a"}));
    EXPECT_EQ(dataSource.orderedIndex(), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(undo.undoActionName(), "Append 2 files");

    undo.undo();
    EXPECT_EQ(names(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(dataSource.orderedIndex(), (std::vector<int>{0, 1}));
    EXPECT_EQ(undo.redoActionName(), "Append 2 files");

    undo.redo();
    EXPECT_EQ(names(), (std::vector<std::string>{"b", "a", "c", "a"}));
    undo.undo();
    undo.undo();
    EXPECT_EQ(dataSource.count(), 0u);
}

TEST_F(FileDataSourceTest, RemoveCompactsStorageAndUndoBringsFilesBack) {
    open({"/d/0", "/d/1", "/d/2", "/d/3", "/d/4", "/d/5", "/d/6"});
    auto before = dataSource.files();
    before[3].transformed.transformedName = "renamed";
    dataSource.updateFiles({before[3]});

    dataSource.removeFiles({1, 3, 4});
    EXPECT_EQ(names(), (std::vector<std::string>{"0", "2", "5", "6"}));
    EXPECT_EQ(dataSource.orderedIndex(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(dataSource.file(1)->index, 1);
    EXPECT_EQ(undo.undoActionName(), "Remove 3 files");

    undo.undo();
    EXPECT_EQ(names(), (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(dataSource.file(3)->transformed.transformedName, "renamed");
    undo.redo();
    EXPECT_EQ(dataSource.count(), 4u);
}

TEST_F(FileDataSourceTest, RemoveFilesTextSkipsBadPieces) {
    auto files = filesAt({"/d/0", "/d/1", "/d/2", "/d/3", "/d/4", "/d/5", "/d/6"});
    EXPECT_EQ(namesOf(FileDataSource::removingPositions(files, "2,x,,5")),
              (std::vector<std::string>{"0", "1", "3", "4", "6"}));
    EXPECT_EQ(namesOf(FileDataSource::removingPositions(files, "-1,7,99,+2, 3,3x")), namesOf(files));
    EXPECT_EQ(namesOf(FileDataSource::removingPositions(files, "")), namesOf(files));
    // Each position refers to the list left by the pieces behind it.
    EXPECT_EQ(namesOf(FileDataSource::removingPositions(files, "3,3,6")),
              (std::vector<std::string>{"0", "1", "2", "5"}));

    open({"/d/0", "/d/1", "/d/2"});
    dataSource.observeNotifications();
    recorder.center.post("removeFiles", std::any(std::string("0,2")));
    recorder.queue.runPending();
    EXPECT_EQ(names(), (std::vector<std::string>{"1"}));
    EXPECT_EQ(undo.undoActionName(), "Remove 2 files");
}

TEST_F(FileDataSourceTest, MoveAndClearAreUndoable) {
    open({"/d/a", "/d/b", "/d/c"});
    recorder.drain();
    auto files = dataSource.files();
    dataSource.replaceMovedFiles({files[2], files[0], files[1]});
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(undo.undoActionName(), "Move files");
    EXPECT_EQ(recorder.drain(), (std::vector<std::string>{"dataSourceUpdated", "applyChanges"}));

    dataSource.clear();
    EXPECT_EQ(dataSource.count(), 0u);
    EXPECT_EQ(undo.undoActionName(), "Clear 3 files");
    undo.undo();
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "b"}));
    undo.undo();
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(FileDataSourceTest, RebuildCancelsValidationFirst) {
    int cancelled = 0;
    dataSource.setValidationCanceller([&] { ++cancelled; });
    open({"/d/a"});
    dataSource.clear();
    EXPECT_EQ(cancelled, 2);
}

// The table that set the row-update hook may be gone the moment it has replaced the hook: a call already
// running on a writing thread must end first.
TEST_F(FileDataSourceTest, ReplacingTheRowUpdateHookWaitsForTheCallInProgress) {
    open({"/d/a"});
    std::atomic<bool> inHook{false};
    std::atomic<bool> release{false};
    dataSource.setRowsUpdatedHandler([&](const std::vector<int>&) {
        inHook = true;
        while (!release)
            std::this_thread::yield();
    });
    std::thread writer([&] { dataSource.updateFiles(dataSource.files(), {}, {FileComponentMutation::transformed}); });
    while (!inHook)
        std::this_thread::yield();
    std::atomic<bool> replaced{false};
    std::thread owner([&] {
        dataSource.setRowsUpdatedHandler({});
        replaced = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(replaced) << "the hook was replaced while it was still running";
    release = true;
    owner.join();
    writer.join();
    EXPECT_TRUE(replaced);
}

TEST_F(FileDataSourceTest, UpdateFilesWritesChosenComponentsByStorageIndex) {
    open({"/d/a", "/d/b", "/d/c"});
    std::vector<int> redrawn;
    dataSource.setRowsUpdatedHandler([&](const std::vector<int>& rows) { redrawn = rows; });
    LogCapture log;
    auto files = dataSource.files();
    files[0].transformed.transformedName = "A";
    files[0].validation.errors = {"bad"};
    files[2].transformed.transformedName = "C";
    files[2].validation.errors = {"worse"};
    EXPECT_EQ(dataSource.updateFiles({files[2], files[0]}, {}, {FileComponentMutation::validation}),
              (std::vector<int>{0, 2}));
    EXPECT_EQ(redrawn, (std::vector<int>{0, 2}));
    EXPECT_EQ(dataSource.file(0)->transformed.transformedName, "a");
    EXPECT_EQ(dataSource.file(0)->validation.errors, (std::set<std::string>{"bad"}));
    EXPECT_TRUE(log.contains("FileDataSourceActor updateFiles 2 files from index 2 to 0"));

    EXPECT_TRUE(dataSource.updateTransform(files[2]));
    EXPECT_EQ(dataSource.file(2)->transformed.transformedName, "C");

    // A rename writes the new location as the source; it is matched by identity, not by URL.
    File moved = File::fromPath("/d/moved");
    moved.index = 1;
    moved.source.id = files[1].source.id;
    EXPECT_TRUE(dataSource.updateSource(moved));
    EXPECT_EQ(dataSource.file(1)->source.name, "moved");
}

TEST_F(FileDataSourceTest, InPlaceReadingAndMarkingFollowTheList) {
    open({"/d/a", "/d/b", "/d/c"});
    ASSERT_TRUE(dataSource.updateOrderedIndex({2, 0, 1}));
    auto files = dataSource.files();
    for (auto& file : files) {
        file.transformed.isDirty = false;
        file.validation = {{"bad"}, {"odd"}, " 2"};
        file.attributes = FileAttributes::none();
    }
    dataSource.updateFiles(files, {},
                           {FileComponentMutation::transformed, FileComponentMutation::validation,
                            FileComponentMutation::attributes});

    // A slice in display order holds only the components asked for.
    const auto slice = dataSource.files(1, 5, {FileComponentMutation::source, FileComponentMutation::validation});
    ASSERT_EQ(slice.size(), 2u);
    EXPECT_EQ(slice[0].index, 0);
    EXPECT_EQ(slice[1].source.name + slice[1].validation.uniqueSuffix, "b 2");
    EXPECT_TRUE(slice[1].transformed.isDirty && slice[1].transformed.transformedName.empty());
    EXPECT_EQ(slice[1].attributes.state, FileAttributes::State::notLoaded);
    EXPECT_EQ(dataSource.files(0, 1)[0].attributes.state, FileAttributes::State::none);

    std::vector<std::string> seen;
    dataSource.forEachFile([&](const FileDataSource::FileRef& file) {
        seen.push_back(file.source.name + file.validation.uniqueSuffix);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"c 2", "a 2", "b 2"})) << "display order, components in place";

    std::vector<int> redrawn;
    dataSource.setRowsUpdatedHandler([&](const std::vector<int>& rows) { redrawn = rows; });
    dataSource.markAllForTransform();
    EXPECT_EQ(redrawn, (std::vector<int>{0, 1, 2}));
    for (const auto& file : dataSource.files()) {
        EXPECT_TRUE(file.transformed.isDirty);
        EXPECT_TRUE(file.validation.errors.empty() && file.validation.warnings.empty());
        EXPECT_EQ(file.validation.uniqueSuffix, "");
    }
}

TEST_F(FileDataSourceTest, StaleWriteBacksAreDroppedWithTheirLogLines) {
    {
        LogCapture log;
        EXPECT_TRUE(dataSource.updateFiles(filesAt({"/d/a"})).empty());
        EXPECT_EQ(log.text(), "");
    }
    open({"/d/a", "/d/b"});
    auto stale = dataSource.files();
    open({"/d/x", "/d/b"});

    LogCapture log;
    stale[0].transformed.transformedName = "stale";
    stale[1].transformed.transformedName = "fresh";
    File unlisted = File::fromPath("/d/never");
    File beyond = stale[0];
    beyond.index = 5;
    auto written = dataSource.updateFiles({stale[0], unlisted, beyond, stale[1]});
    EXPECT_EQ(written, (std::vector<int>{1}));
    EXPECT_EQ(dataSource.file(0)->transformed.transformedName, "x");
    EXPECT_EQ(dataSource.file(1)->transformed.transformedName, "fresh");
    const std::string text = log.text();
    EXPECT_NE(text.find("⚠️ WARNING: updateFiles detected a data order inconsitency:\nnewFile[0]: file:///d/a\n"
                        "fileSources[0]= file:///d/x"),
              std::string::npos);
    EXPECT_NE(text.find("updateFiles got uninitialised file index for file: file:///d/never"), std::string::npos);
    EXPECT_NE(text.find("FileDataSourceActor updateFiles 1 files from index 0 to 1"), std::string::npos);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(dataSource.updateFiles({stale[1]}, stop.get_token()).empty());
    EXPECT_TRUE(log.contains("updateFiles (1) aborted."));
    EXPECT_FALSE(dataSource.updateAttributes(stale[0]));
}

TEST_F(FileDataSourceTest, OrderedIndexMustBeAPermutationOfTheList) {
    open({"/d/a", "/d/b", "/d/c"});
    LogCapture log;
    EXPECT_FALSE(dataSource.updateOrderedIndex({1, 0}));
    EXPECT_TRUE(log.contains("🚩 RACE CONDITION: Update orderedIndex to 2 elements while the data source contains 3 "
                             "elements"));
    EXPECT_FALSE(dataSource.updateOrderedIndex({1, 1, 0}));
    EXPECT_EQ(dataSource.orderedIndex(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(dataSource.updateOrderedIndex({2, 0, 1}));
    EXPECT_TRUE(log.contains("updateOrderedIndex 3 files"));
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(dataSource.file(0)->index, 2);
}

TEST_F(FileDataSourceTest, LongestStringsCountCharactersAndKeepTheFirstOfEqualLength) {
    open({"/ab/\xC3\xA9\xC3\xA9\xC3\xA9.txt", "/abcd/wxyz.txt", "/abcd/wxyz.jpg", "/a/noext"});
    auto files = dataSource.files();
    files[3].transformed.transformedName = "a much longer name";
    dataSource.updateFiles({files[3]});
    dataSource.updateLongestStrings();
    auto longest = dataSource.longestStrings();
    EXPECT_EQ(longest.originalPath, "/abcd");
    EXPECT_EQ(longest.originalName, "wxyz.txt");
    EXPECT_EQ(longest.transformedPath, "/abcd");
    EXPECT_EQ(longest.transformedName, "a much longer name.");
}

TEST_F(FileDataSourceTest, IteratorWalksDisplayOrderUntilTheEnd) {
    open({"/d/a", "/d/b", "/d/c"});
    ASSERT_TRUE(dataSource.updateOrderedIndex({2, 1, 0}));
    auto iterator = dataSource.makeAsyncIterator();
    std::vector<std::string> seen;
    while (auto file = iterator.next())
        seen.push_back(file->source.name);
    EXPECT_EQ(seen, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_FALSE(iterator.next().has_value());
}
