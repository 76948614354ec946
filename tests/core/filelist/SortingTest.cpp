// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListTestSupport.h"
#include "filelist/FileDataSource.h"
#include "filelist/FileSorter.h"
#include "filelist/SortMenuItem.h"
#include "app/UndoManager.h"

#include <gtest/gtest.h>

#include <thread>

using namespace quillory;
using namespace quillory::test;

namespace {

class SortingTest : public ::testing::Test {
protected:
    SortingTest() : dataSource(&recorder.center, &undo) {}

    void open(const std::vector<std::string>& paths) {
        dataSource.applyFileAction({}, filesAt(paths), FileAction::replace, false);
        undo.removeAllActions();
    }
    std::vector<std::string> sortedNames(FileSortOrder order) {
        EXPECT_TRUE(dataSource.sort(order));
        return namesOf(dataSource.files());
    }

    NotificationRecorder recorder;
    UndoManager undo;
    FileDataSource dataSource;
};

Date at(int seconds) { return Date(std::chrono::milliseconds(std::int64_t(seconds) * 1000)); }

} // namespace

TEST(FileSortOrderTest, RawValuesRoundTripAndUnknownIsNothing) {
    EXPECT_EQ(rawValue(FileSortOrder::defaultSort), "default");
    EXPECT_EQ(fileSortOrderFromRaw("byNumericTransformedNameDescending"),
              FileSortOrder::byNumericTransformedNameDescending);
    for (std::size_t i = 0; i < fileSortOrderCount; ++i) {
        auto order = static_cast<FileSortOrder>(i);
        EXPECT_EQ(fileSortOrderFromRaw(rawValue(order)), order);
    }
    EXPECT_FALSE(fileSortOrderFromRaw("byname").has_value());
    EXPECT_FALSE(fileSortOrderFromRaw("").has_value());

    EXPECT_EQ(title(SortMenuItem::byNumericNameDescending), "Sort by numeric name descending");
    EXPECT_EQ(title(SortMenuItem::byTransformedPathAscending), "Sort by transformed path ascending");
    EXPECT_EQ(sortOrder(SortMenuItem::noSort), FileSortOrder::none);
    EXPECT_EQ(sortOrder(SortMenuItem::byDateModifiedDescending), FileSortOrder::byDateModifiedDescending);
    EXPECT_EQ(allSortMenuItems()[4], SortMenuItem::byNumericNameAscending);
}

TEST(FileSorterTest, NumericValueConcatenatesDigits) {
    EXPECT_EQ(FileSorter::numericValue("IMG_2021_05"), 202105);
    EXPECT_EQ(FileSorter::numericValue("scan-7b"), 7);
    EXPECT_EQ(FileSorter::numericValue("notes"), 0);
    EXPECT_EQ(FileSorter::numericValue("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(FileSorter::numericValue("9223372036854775808"), 0);
}

TEST_F(SortingTest, NameOrdersAreNaturalAndCaseInsensitive) {
    open({"/d/file10", "/d/File2", "/d/file1", "/d/apple"});
    EXPECT_EQ(sortedNames(FileSortOrder::byNameAscending),
              (std::vector<std::string>{"apple", "file1", "File2", "file10"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byNameDescending),
              (std::vector<std::string>{"file10", "File2", "file1", "apple"}));
}

TEST_F(SortingTest, ALongListOfAsciiNamesSortsAsTheCollatorOrdersThem) {
    // Names without their extension, in the collator's order; equal ones keep their place.
    const auto expectedOrder = [this] {
        std::vector<File> files = dataSource.files();
        std::stable_sort(files.begin(), files.end(), [](const File& a, const File& b) {
            return text::localizedStandardSortKey(a.source.name) < text::localizedStandardSortKey(b.source.name);
        });
        return namesOf(files);
    };
    std::vector<std::string> paths;
    for (const auto& name : mixedAsciiNames(4500))
        paths.push_back("/d/" + name);
    open(paths);
    std::vector<std::string> expected = expectedOrder();
    EXPECT_EQ(sortedNames(FileSortOrder::byNameAscending), expected);
    // The same with one name beyond ASCII, which ICU orders.
    paths.push_back("/d/caf\xC3\xA9 12.jpg");
    open(paths);
    expected = expectedOrder();
    EXPECT_EQ(sortedNames(FileSortOrder::byNameAscending), expected);
}

TEST_F(SortingTest, NumericOrdersUseTheDigitsOfTheName) {
    open({"/d/a1b2", "/d/c3", "/d/notes", "/d/x10"});
    EXPECT_EQ(sortedNames(FileSortOrder::byNumericNameAscending),
              (std::vector<std::string>{"notes", "c3", "x10", "a1b2"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byNumericNameDescending),
              (std::vector<std::string>{"a1b2", "x10", "c3", "notes"}));

    auto files = dataSource.files();
    for (auto& file : files)
        file.transformed.transformedName = file.source.name == "notes" ? "z99" : "z1";
    dataSource.updateFiles(files);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"a1b2", "x10", "c3", "notes"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byNumericTransformedNameAscending),
              (std::vector<std::string>{"a1b2", "x10", "c3", "notes"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byNumericTransformedNameDescending)[0], "notes");
}

TEST_F(SortingTest, EqualKeysKeepTheirRelativeOrderInBothDirections) {
    open({"/d/b.txt", "/d/a.jpg", "/d/b.jpg", "/d/a.txt"});
    EXPECT_EQ(sortedNames(FileSortOrder::byNameAscending),
              (std::vector<std::string>{"a.jpg", "a.txt", "b.txt", "b.jpg"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byNameDescending),
              (std::vector<std::string>{"b.txt", "b.jpg", "a.jpg", "a.txt"}));
}

TEST_F(SortingTest, PathOrdersAndDefaultOrder) {
    open({"/p/dir10/b", "/p/dir2/z", "/p/dir2/a", "/p/Dir1/q"});
    EXPECT_EQ(sortedNames(FileSortOrder::defaultSort), (std::vector<std::string>{"q", "a", "z", "b"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byPathDescending), (std::vector<std::string>{"b", "a", "z", "q"}));

    auto files = dataSource.files();
    for (auto& file : files)
        file.transformed.transformedPath = "/t/" + file.source.name;
    dataSource.updateFiles(files);
    EXPECT_EQ(sortedNames(FileSortOrder::byTransformedPathAscending), (std::vector<std::string>{"a", "b", "q", "z"}));
    files = dataSource.files();
    for (auto& file : files)
        file.transformed.transformedName = file.source.name == "b" ? "Zulu" : "alpha";
    dataSource.updateFiles(files);
    EXPECT_EQ(sortedNames(FileSortOrder::byTransformedNameDescending)[0], "b");
}

TEST_F(SortingTest, DateOrderUsesTheAttributeAndFallsBackToTheFileSystem) {
    TempDir dir;
    auto older = dir.write("older.txt");
    auto newer = dir.write("newer.txt");
    std::filesystem::last_write_time(older, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    open({newer.string(), older.string(), "/d/loaded"});
    auto files = dataSource.files();
    files[2].attributes = FileAttributes::loaded({{"date-modified", FileAttribute("date-modified", "Date", at(0))}});
    dataSource.updateFiles({files[2]});
    EXPECT_EQ(sortedNames(FileSortOrder::byDateModifiedAscending),
              (std::vector<std::string>{"loaded", "older.txt", "newer.txt"}));
    EXPECT_EQ(sortedNames(FileSortOrder::byDateModifiedDescending),
              (std::vector<std::string>{"newer.txt", "older.txt", "loaded"}));
}

TEST_F(SortingTest, SortRunPostsAndLogsAndNoneKeepsTheOrder) {
    open({"/d/b", "/d/a"});
    recorder.drain();
    LogCapture log;
    EXPECT_TRUE(dataSource.sort(FileSortOrder::byNameAscending));
    EXPECT_TRUE(log.contains("🔹 Begin Sorting for 2 files."));
    EXPECT_TRUE(log.contains("🔷 finishSort completed for 2 files."));
    EXPECT_EQ(recorder.drain(), (std::vector<std::string>{"disableUserInput", "showProgressIndicator:Sorting...",
                                                          "dataSourceUpdated", "enableUserInput",
                                                          "hideProgressIndicator"}));
    EXPECT_TRUE(dataSource.sort(FileSortOrder::none));
    EXPECT_TRUE(log.contains("FileDataSource sortBy: none"));
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(SortingTest, CancelledSortInstallsNothing) {
    open({"/d/b", "/d/a", "/d/c"});
    LogCapture log;
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(dataSource.sort(FileSortOrder::byPathAscending, stop.get_token()));
    EXPECT_TRUE(log.contains("🔷 sortByPathAscending aborted"));
    EXPECT_TRUE(log.contains("🔷 finishSort cancelled for 3 files."));
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"b", "a", "c"}));
}

TEST_F(SortingTest, ANewerSortCancelsTheOneInProgress) {
    std::vector<std::string> paths;
    for (int i = 0; i < 60000; ++i)
        paths.push_back("/d/n" + std::to_string((i * 7919) % 60000));
    open(paths);
    LogCapture log;
    dataSource.sortBy(FileSortOrder::byNameDescending);
    dataSource.sortBy(FileSortOrder::byNumericNameAscending);
    dataSource.waitForSort();
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNumericNameAscending);
    auto files = dataSource.files();
    for (std::size_t i = 0; i < files.size(); ++i)
        ASSERT_EQ(files[i].source.name, "n" + std::to_string(i));
    // The first run either stopped (and said so) or had already finished before the second began.
    const std::string text = log.text();
    if (text.find("🔹 Cancelling Sorting. ") != std::string::npos) {
        EXPECT_NE(text.find("finishSort cancelled for 60000 files."), std::string::npos);
    }
}

TEST_F(SortingTest, SortByIsUndoable) {
    open({"/d/b", "/d/c", "/d/a"});
    dataSource.sortBy(FileSortOrder::byNameAscending);
    dataSource.waitForSort();
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"a", "b", "c"}));
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::none);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"b", "c", "a"}));
    undo.redo();
    dataSource.waitForSort();
    EXPECT_EQ(dataSource.sortOrder(), FileSortOrder::byNameAscending);
    EXPECT_EQ(namesOf(dataSource.files()), (std::vector<std::string>{"a", "b", "c"}));
}
