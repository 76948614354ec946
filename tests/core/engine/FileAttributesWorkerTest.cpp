// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileAttributesWorker.h"

#include "app/AppNotification.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "filelist/FileDataSource.h"

#include <gtest/gtest.h>

#include <any>
#include <atomic>
#include <thread>

namespace quillory {
namespace {

using namespace std::chrono_literals;

class FileAttributesWorkerTest : public ::testing::Test {
protected:
    FileAttributesWorkerTest() {
        for (const auto name : {AppNotification::showProgressIndicator, AppNotification::hideProgressIndicator,
                                AppNotification::transformAllFilesQuick})
            center.addObserver(name, [this](const Notification& n) {
                posted.push_back(n.name);
                if (const auto* text = std::any_cast<std::string>(&n.object))
                    progressText = *text;
            });
        dataSource.setRowsUpdatedHandler([this](const std::vector<int>& rows) {
            ++writes;
            written += rows.size();
        });
    }

    // Files that need no disk: the loader below makes their maps up.
    void listFiles(std::size_t count) {
        std::vector<File> files;
        for (std::size_t i = 0; i < count; ++i)
            files.push_back(File::fromPath("/music/song" + std::to_string(i) + ".mp3"));
        dataSource.doReplaceAllFiles(files, FileAction::replace, false);
        mainQueue.runPending();
        posted.clear();
        writes = 0;
        written = 0;
    }

    FileAttributesWorker::Loader loader() {
        return [this](const File& file, AttributeSources) {
            ++loads;
            if (slow)
                std::this_thread::sleep_for(2ms);
            AttributeMap map;
            map["original-filename"] = FileAttribute("original-filename", "original-filename", file.source.name);
            return FileAttributes::loaded(std::move(map));
        };
    }

    MainQueue mainQueue;
    NotificationCenter center{mainQueue};
    FileDataSource dataSource{&center};
    std::vector<std::string> posted;
    std::string progressText;
    std::atomic<int> loads{0};
    std::atomic<bool> slow{false};
    int writes = 0;
    std::size_t written = 0;
};

TEST_F(FileAttributesWorkerTest, LoadsInChunksWritesBackAndAsksForAQuickPass) {
    listFiles(2500);
    FileAttributesWorker worker(dataSource, loader(), &center);
    EXPECT_TRUE(worker.preloadFiles(dataSource.files()));
    mainQueue.runPending();

    EXPECT_EQ(loads, 2500);
    EXPECT_EQ(writes, 3); // 1000 + 1000 + 500
    EXPECT_EQ(written, 2500u);
    for (const File& file : dataSource.files()) {
        ASSERT_TRUE(file.attributes.isLoaded());
        EXPECT_EQ(*file.attributes.attributes.at("original-filename").attributeValue.text(), file.source.name);
    }
    EXPECT_EQ(posted, (std::vector<std::string>{"showProgressIndicator", "transformAllFilesQuick",
                                                "hideProgressIndicator"}));
    EXPECT_EQ(progressText, "Loading...");
    EXPECT_FALSE(worker.isRunning());
}

TEST_F(FileAttributesWorkerTest, OnlyFilesWithoutAMapAreLoaded) {
    listFiles(10);
    FileAttributesWorker worker(dataSource, loader(), &center);
    std::vector<File> files = dataSource.files();
    for (std::size_t i = 0; i < 4; ++i)
        files[i].attributes = FileAttributes::loaded({});
    files[4].attributes = FileAttributes::none();
    dataSource.updateFiles(files, {}, {FileComponentMutation::attributes});
    writes = 0;

    EXPECT_TRUE(worker.preloadFiles(dataSource.files()));
    EXPECT_EQ(loads, 5);
    EXPECT_EQ(dataSource.files()[4].attributes.state, FileAttributes::State::none);

    // Nothing left to load: no progress, no quick pass, no write.
    mainQueue.runPending();
    posted.clear();
    writes = 0;
    EXPECT_TRUE(worker.preloadFiles(dataSource.files()));
    mainQueue.runPending();
    EXPECT_EQ(loads, 5);
    EXPECT_EQ(writes, 0);
    EXPECT_TRUE(posted.empty());
}

TEST_F(FileAttributesWorkerTest, ACancelledPreloadWritesNothingAndAsksForNoQuickPass) {
    listFiles(50);
    FileAttributesWorker worker(dataSource, loader(), &center);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(worker.preloadFiles(dataSource.files(), stop.get_token()));
    mainQueue.runPending();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(posted, (std::vector<std::string>{"showProgressIndicator", "hideProgressIndicator"}));
    EXPECT_FALSE(dataSource.files()[0].attributes.isLoaded());
}

TEST_F(FileAttributesWorkerTest, ANewPreloadCancelsTheRunningOne) {
    listFiles(3000);
    slow = true;
    FileAttributesWorker worker(dataSource, loader(), &center);
    worker.preload(dataSource.files());
    EXPECT_TRUE(worker.isRunning());
    // The slow first run needs seconds for all files; restart it as soon as it has begun, and only
    // then let the loader go fast, so that a busy machine cannot let the first run finish.
    while (loads < 5)
        std::this_thread::sleep_for(1ms);
    worker.preload(dataSource.files());
    slow = false;
    worker.waitForIdle();
    EXPECT_FALSE(worker.isRunning());
    mainQueue.runPending();

    // The first run stopped early; the second one loaded what was still missing in its snapshot.
    EXPECT_LT(loads, 6000);
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "transformAllFilesQuick"), 1);
    for (const File& file : dataSource.files())
        ASSERT_TRUE(file.attributes.isLoaded());
}

} // namespace
} // namespace quillory
