// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FolderListings.h"

#include "FaultInjectingFileSystem.h"
#include "TempDir.h"
#include "app/Preferences.h"
#include "filelist/Directory.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileAction.h"
#include "filelist/FileDataSource.h"
#include "rename/FileValidator.h"
#include "rename/IdentityScan.h"
#include "rename/PosixFileSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace quillory {
namespace {

// Counts the existence probes that reach the disk.
class ProbeCounter : public FaultInjectingFileSystem {
public:
    using FaultInjectingFileSystem::FaultInjectingFileSystem;
    bool exists(const std::string& path) override {
        ++probes;
        return FaultInjectingFileSystem::exists(path);
    }
    std::atomic<int> probes{0};
};

// Waits until the clock folders are stamped with has passed the folder's change time: a listing is
// trusted only once a change in the same tick could not go unseen.
void settle(const std::string& folder) {
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    for (timespec now{};; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (now.tv_sec > info.st_ctim.tv_sec ||
            (now.tv_sec == info.st_ctim.tv_sec && now.tv_nsec > info.st_ctim.tv_nsec))
            return;
    }
}

// Sets a folder's modification time `seconds` away from now (its change time becomes now).
void age(const std::string& folder, int seconds) {
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += seconds;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
    settle(folder);
}

class FolderListingsTest : public ::testing::Test {
protected:
    FolderListingsTest()
        : prefs_(temp_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{temp_.str(), "me", ""}, &prefs_)),
          validator_(&list_, &prefs_, nullptr, directories_), disk_(posix_) {
        prefs_.registerDefaults();
        validator_.setFileSystem(&disk_);
        validator_.setFolderListings(&listings_);
    }

    std::string folder() const { return temp_.str() + "/photos"; }

    // Opens the folder as the list does, recording its listing.
    void open() {
        Directory directory(folder(), directories_);
        Directory::LoadContext context;
        context.listings = &listings_;
        context.reading.depth = 0;
        directory.load(context);
        list_.doReplaceAllFiles(directory.takeFiles(), FileAction::replace, false);
    }

    // Gives every listed file the name `prefix` + its old name and validates the list.
    std::vector<File> validateRenamed(const std::string& prefix) {
        auto files = list_.files();
        for (auto& file : files)
            file.transformed.transformedName = prefix + file.source.name;
        EXPECT_TRUE(validator_.validateFiles(std::move(files), false).has_value());
        return list_.files();
    }

    test::TempDir temp_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileDataSource list_;
    FileValidator validator_;
    PosixFileSystem posix_;
    ProbeCounter disk_;
    FolderListings listings_;
};

TEST_F(FolderListingsTest, AnUnchangedFolderAnswersForNamesItDidNotHold) {
    for (int i = 0; i < 20; ++i)
        temp_.write("photos/IMG_" + std::to_string(i) + ".jpg");
    temp_.mkdir("photos/x_IMG_3.jpg"); // a folder that is not read, but whose name is taken all the same
    temp_.write("photos/.hidden");
    age(folder(), -60);
    open();
    const auto listing = listings_.current(folder());
    ASSERT_TRUE(listing);
    EXPECT_TRUE(listing->mayHold("IMG_3.jpg"));
    EXPECT_TRUE(listing->mayHold(".hidden")) << "hidden entries are on disk even when not listed";
    EXPECT_FALSE(listing->mayHold("img_3.jpg"));
    EXPECT_TRUE(listing->mayHold("\xC3\xA9t\xC3\xA9.jpg")) << "letters beyond ASCII always go to the disk";

    const auto files = validateRenamed("x_");
    ASSERT_EQ(files.size(), 20u);
    // Of twenty new names, only the one the folder held goes to the disk; it is taken, and the name with
    // the suffix chosen instead is looked at too.
    EXPECT_EQ(disk_.probes.load(), 2);
    for (const auto& file : files)
        EXPECT_EQ(file.validation.uniqueSuffix, file.source.name == "IMG_3" ? " 2" : "") << file.source.name;
}

TEST_F(FolderListingsTest, ALargeListingHoldsEveryNameItWasReadWithAndNoOther) {
    constexpr int count = 3000; // the table grows many times over
    for (int i = 0; i < count; ++i)
        temp_.write("photos/n" + std::to_string(i));
    age(folder(), -60);
    open();
    const auto listing = listings_.current(folder());
    ASSERT_TRUE(listing);
    int missing = 0;
    int extra = 0;
    for (int i = 0; i < count; ++i) {
        missing += listing->mayHold("n" + std::to_string(i)) ? 0 : 1;
        extra += listing->mayHold("m" + std::to_string(i)) ? 1 : 0;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(extra, 0);
    EXPECT_FALSE(listing->mayHold(""));
}

TEST_F(FolderListingsTest, ARunTakesItsSourcesInodesFromTheListingOnlyWhileTheFolderIsUnchanged) {
    constexpr int count = 40; // enough sources in one folder to be matched against a listing
    std::vector<std::string> sources;
    std::vector<std::string> targets;
    for (int i = 0; i < count; ++i) {
        sources.push_back(temp_.write("photos/a" + std::to_string(i)).string());
        targets.push_back(folder() + "/b" + std::to_string(i));
    }
    temp_.mkdir("photos/sub");
    age(folder(), -60);
    open();
    struct stat opened {};
    ASSERT_EQ(::stat(folder().c_str(), &opened), 0);
    const auto inodeOf = [](const std::string& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
        return static_cast<std::uint64_t>(info.st_ino);
    };
    std::vector<std::uint64_t> listed;
    for (const auto& source : sources)
        listed.push_back(inodeOf(source));
    const auto listing = listings_.current(folder());
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->inodeOf("a7"), listed[7]);
    EXPECT_FALSE(listing->inodeOf("absent"));
    EXPECT_FALSE(listing->inodeOf("sub")) << "a folder may be a mount point, listed with another volume's inode";

    std::vector<std::pair<std::string_view, std::string_view>> moves;
    for (int i = 0; i < count; ++i)
        moves.emplace_back(sources[i], targets[i]);
    const auto check = [&](const std::vector<std::uint64_t>& expected) {
        const auto identities = IdentityScan::moveSources(moves, &listings_);
        ASSERT_EQ(identities.size(), moves.size());
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(identities[i]) << i;
            EXPECT_EQ(identities[i]->device, static_cast<std::uint64_t>(opened.st_dev)) << i;
            EXPECT_EQ(identities[i]->inode, expected[i]) << i;
            EXPECT_FALSE(identities[i]->sizeAndTimeKnown);
        }
    };
    check(listed);
    EXPECT_EQ(listings_.current(folder()), listing) << "the unchanged folder was not read again";

    // Two names trade places and the folder's time is set back, as rsync and cp -a do after replacing
    // files: the change time still tells, and the identities are the items' own.
    ASSERT_EQ(::rename(sources[0].c_str(), (folder() + "/swap").c_str()), 0);
    ASSERT_EQ(::rename(sources[1].c_str(), sources[0].c_str()), 0);
    ASSERT_EQ(::rename((folder() + "/swap").c_str(), sources[1].c_str()), 0);
    const timespec times[2] = {opened.st_atim, opened.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder().c_str(), times, 0), 0);
    std::vector<std::uint64_t> traded = listed;
    std::swap(traded[0], traded[1]);
    check(traded);
}

TEST_F(FolderListingsTest, AChangedFolderIsReadAgainUnlessJustTouched) {
    temp_.write("photos/a.txt");
    temp_.write("photos/b.txt");
    age(folder(), -60);
    open();
    // A file appears after the folder was read: the folder is read again, and its name is taken.
    temp_.write("photos/x_a.txt");
    age(folder(), -30);
    const auto reread = listings_.current(folder());
    ASSERT_TRUE(reread);
    EXPECT_TRUE(reread->mayHold("x_a.txt"));
    auto files = validateRenamed("x_");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].source.name, "a");
    EXPECT_EQ(files[0].validation.uniqueSuffix, " 2");
    EXPECT_EQ(files[1].validation.uniqueSuffix, "");
    EXPECT_EQ(disk_.probes.load(), 2) << "the taken name and the suffixed one; not b's free name";

    // A folder stamped at (or after) the moment of reading may change again within the same tick of the
    // clock without its time changing: such a reading is not trusted, at opening or later.
    age(folder(), 3600);
    EXPECT_FALSE(listings_.current(folder()));
    listings_.clear();
    open();
    EXPECT_FALSE(listings_.current(folder()));
}

} // namespace
} // namespace quillory
