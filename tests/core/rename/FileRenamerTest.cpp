// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileRenamer.h"
#include "base/Cores.h"

#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/ProgressUpdate.h"
#include "PresetUserInteraction.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "FaultInjectingFileSystem.h"
#include "rename/FileValidator.h"
#include "rename/JournalStore.h"
#include "rename/RunJournal.h"
#include "rename/PosixFileSystem.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <any>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class FileRenamerTest : public ::testing::Test {
protected:
    explicit FileRenamerTest(const fs::path& tempParent = fs::temp_directory_path())
        : temp_(tempParent), prefs_(temp_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{root(), "me", ""}, &prefs_)),
          validator_(&list_, &prefs_, nullptr, directories_), faults_(posix_),
          renamer_({list_, faults_, &prefs_, &ui_, nullptr}, [this](std::stop_token stop) {
              ++fullPasses_;
              return validator_.validateFiles(list_.files(), false, stop).has_value();
          }) {
        prefs_.registerDefaults();
        renamer_.setProtectedDirectories({root()});
    }

    std::string root() const { return temp_.str(); }
    std::string at(const std::string& relative) const { return root() + "/" + relative; }

    // Lists files (relative paths, created with their own name as content) with their new full paths.
    void list(const std::vector<std::pair<std::string, std::string>>& renames) {
        std::vector<File> files;
        for (const auto& [from, to] : renames) {
            if (!fs::exists(at(from)))
                temp_.write(from, from);
            File file = File::fromPath(at(from));
            file.transformed.setFullPath(at(to));
            files.push_back(file);
        }
        list_.doReplaceAllFiles(files, FileAction::replace, false);
    }
    // `count` renames from <from>NNNN.dat to <to>NNNN.dat.
    static std::vector<std::pair<std::string, std::string>> numbered(int count, const std::string& from,
                                                                     const std::string& to) {
        std::vector<std::pair<std::string, std::string>> renames;
        char number[16];
        for (int i = 0; i < count; ++i) {
            std::snprintf(number, sizeof number, "%04d.dat", i);
            renames.emplace_back(from + number, to + number);
        }
        return renames;
    }
    std::vector<std::string> listedPaths() const {
        std::vector<std::string> paths;
        for (const File& file : list_.files())
            paths.push_back(file.source.fullPath());
        return paths;
    }

    test::TempDir temp_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileDataSource list_;
    FileValidator validator_;
    PosixFileSystem posix_;
    FaultInjectingFileSystem faults_;
    PresetUserInteraction ui_{{"Continue"}};
    int fullPasses_ = 0;
    FileRenamer renamer_;
};

TEST_F(FileRenamerTest, SwapAndRotationEndExactlyAsPlanned) {
    for (const bool autoResolve : {true, false}) {
        prefs_.set(PreferenceKey::autoResolveDuplicates, autoResolve);
        list({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}, {"x", "y"}, {"y", "z"}, {"z", "x"}});
        const RenameReport report = renamer_.applyTransformationsAndRename(true);
        EXPECT_EQ(report.successCount, 5);
        // Each file holds the content of the file that was renamed to its name: a.txt was b.txt.
        EXPECT_EQ(readFile(at("a.txt")), autoResolve ? "b.txt" : "a.txt");
        EXPECT_EQ(readFile(at("b.txt")), autoResolve ? "a.txt" : "b.txt");
        EXPECT_EQ(readFile(at("y")), autoResolve ? "x" : "z");
        for (const auto& entry : fs::directory_iterator(temp_.path()))
            EXPECT_NE(entry.path().filename().string().rfind(".quillory", 0), 0u) << "temporary name left behind";
        EXPECT_EQ(listedPaths(), (std::vector<std::string>{at("b.txt"), at("a.txt"), at("y"), at("z"), at("x")}));
        EXPECT_TRUE(ui_.questions().empty());
        ASSERT_EQ(report.renamed.size(), 5u);
    }
    EXPECT_TRUE(ui_.alerts().empty());
}

TEST_F(FileRenamerTest, TargetsHeldOnDiskAreResolvedInValidationNotAtRunTime) {
    temp_.write("b.txt", "not listed");
    list({{"a.txt", "b.txt"}});
    RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_EQ(readFile(at("b 2.txt")), "a.txt");
    EXPECT_EQ(list_.files()[0].source.fullPath(), at("b 2.txt"));

    // Without automatic resolution the collision is a validation error: the file is skipped, not failed.
    prefs_.set(PreferenceKey::autoResolveDuplicates, false);
    list({{"c.txt", "b.txt"}});
    report = renamer_.applyTransformationsAndRename(false);
    EXPECT_FALSE(report.started);
    EXPECT_EQ(report.errorCount, 1);
    EXPECT_EQ(list_.files()[0].validation.errors, std::set<std::string>{"Filename is not unique."});
    EXPECT_TRUE(ui_.questions().empty());
}

TEST_F(FileRenamerTest, ListRecordsTheNewLocationAsAFreshFileWouldWithTheSameIdentity) {
    list({{"a.txt", "sub dir/\xC3\xA9t\xC3\xA9 50%.tar.gz"}});
    const FileId id = list_.files()[0].id();
    ASSERT_EQ(renamer_.applyTransformationsAndRename(true).successCount, 1);
    FileSource expected = File::fromPath(at("sub dir/\xC3\xA9t\xC3\xA9 50%.tar.gz")).source;
    expected.id = id;
    EXPECT_EQ(list_.files()[0].source, expected);
}

TEST_F(FileRenamerTest, ANewSplitOfTheSameNameIsNotACollision) {
    temp_.write("photo.jpg", "p");
    File file = File::fromPath(at("photo.jpg"));
    file.transformed.transformedName = "photo.jpg";
    file.transformed.transformedExt = "";
    list_.doReplaceAllFiles({file}, FileAction::replace, false);
    EXPECT_EQ(renamer_.applyTransformationsAndRename(true).successCount, 1);
    EXPECT_EQ(readFile(at("photo.jpg")), "p");
    EXPECT_FALSE(fs::exists(at("photo.jpg 2")));
    EXPECT_EQ(list_.files()[0].source.fullPath(), at("photo.jpg"));
}

TEST_F(FileRenamerTest, CreatesMissingFoldersAndRemovesEmptiedOnesUpTheChain) {
    temp_.write("old/deep/.DS_Store", "finder");
    temp_.write("keep/other.txt", "x");
    list({{"old/deep/a.txt", "new/x/y/a.txt"}, {"keep/b.txt", "new/b.txt"}});
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 2);
    EXPECT_EQ(readFile(at("new/x/y/a.txt")), "old/deep/a.txt");
    EXPECT_FALSE(fs::exists(at("old"))) << "deep held only .DS_Store, then old was empty";
    EXPECT_TRUE(fs::exists(at("keep/other.txt")));
    EXPECT_TRUE(fs::exists(root())) << "protected folders stay";
}

TEST_F(FileRenamerTest, EmptiedFolderCleanupStopsAtTheEdgeOfTheRemovableArea) {
    const std::string allowed = at("w/a/b/c");
    renamer_.setRemovableFolder([&](const std::string& folder) { return folder.rfind(allowed + "/", 0) == 0; });
    list({{"w/a/b/c/d/only.txt", "elsewhere/only.txt"}});
    EXPECT_EQ(renamer_.applyTransformationsAndRename(true).successCount, 1);
    EXPECT_FALSE(fs::exists(at("w/a/b/c/d"))) << "inside the area: emptied, removed";
    EXPECT_TRUE(fs::exists(at("w/a/b/c"))) << "the edge itself and everything above it stay";
}

TEST_F(FileRenamerTest, FailedFolderRemovalStillRecordsTheNewLocation) {
    list({{"old/a.txt", "new/a.txt"}});
    faults_.failOn(FaultInjectingFileSystem::Operation::removeDirectory, at("old"), EBUSY);
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_TRUE(fs::exists(at("new/a.txt")));
    EXPECT_EQ(listedPaths(), std::vector<std::string>{at("new/a.txt")});
    EXPECT_TRUE(ui_.questions().empty());
}

TEST_F(FileRenamerTest, FolderEntriesMoveOnlyWithThePreference) {
    temp_.write("album/song.mp3", "music");
    auto listFolder = [&] {
        File folder = File::fromUrl(fileUrlFromPath(at("album"), true));
        folder.transformed.transformedPath = at("records/album");
        list_.doReplaceAllFiles({folder}, FileAction::replace, false);
    };
    prefs_.set(PreferenceKey::renameEmptyFolders, false);
    listFolder();
    RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 0);
    EXPECT_TRUE(fs::exists(at("album/song.mp3")));

    prefs_.set(PreferenceKey::renameEmptyFolders, true);
    listFolder();
    report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_EQ(readFile(at("records/album/song.mp3")), "music");
    EXPECT_EQ(list_.files()[0].source.path, at("records/album"));
    EXPECT_EQ(list_.files()[0].source.name, "");
}

TEST_F(FileRenamerTest, ErrorsBlockTheRunUnlessForced) {
    list({{"good.txt", "fine.txt"}, {"bad.txt", "tab\there.txt"}});
    RenameReport report = renamer_.applyTransformationsAndRename(false);
    EXPECT_FALSE(report.started);
    EXPECT_EQ(report.errorCount, 1);
    EXPECT_TRUE(fs::exists(at("good.txt")));

    report = renamer_.applyTransformationsAndRename(true);
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_TRUE(fs::exists(at("fine.txt")));
    EXPECT_TRUE(fs::exists(at("bad.txt")));
    EXPECT_TRUE(ui_.alerts().empty()) << "files with errors are not failures";
}

TEST_F(FileRenamerTest, RunOverTheListInPlaceMovesWhatTheValidatedListSays) {
    list({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}, {"bad.txt", "tab\there.txt"}, {"c.txt", "d.txt"}, {"e.txt", "d.txt"}});
    ASSERT_TRUE(validator_.validateList(false));
    EXPECT_FALSE(renamer_.renameListed(false).started) << "errors block the run unless forced";
    EXPECT_TRUE(fs::exists(at("c.txt")));

    const RenameReport report = renamer_.renameListed(true);
    EXPECT_TRUE(report.started);
    EXPECT_EQ(report.errorCount, 1);
    EXPECT_EQ(report.renameCount, 4);
    EXPECT_EQ(report.successCount, 4);
    EXPECT_EQ(report.renamed.size(), 4u);
    EXPECT_EQ(readFile(at("a.txt")), "b.txt");
    EXPECT_EQ(readFile(at("b.txt")), "a.txt");
    EXPECT_EQ(readFile(at("d.txt")), "c.txt");
    EXPECT_EQ(readFile(at("d 2.txt")), "e.txt");
    EXPECT_EQ(readFile(at("bad.txt")), "bad.txt");
    EXPECT_EQ(listedPaths(), (std::vector<std::string>{at("b.txt"), at("a.txt"), at("bad.txt"), at("d.txt"),
                                                       at("d 2.txt")}));
    EXPECT_EQ(fullPasses_, 0) << "the caller computed the names";
}

TEST_F(FileRenamerTest, FailedFullPassRenamesNothing) {
    list({{"a.txt", "b.txt"}});
    FileRenamer failing({list_, faults_, &prefs_, &ui_, nullptr}, [](std::stop_token) { return false; });
    EXPECT_FALSE(failing.applyTransformationsAndRename(true).started);
    EXPECT_TRUE(fs::exists(at("a.txt")));
}

TEST_F(FileRenamerTest, PermissionErrorsAskOrAreIgnored) {
    list({{"a.txt", "b.txt"}, {"c.txt", "d.txt"}});
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("a.txt"), EACCES);
    RenameReport report = renamer_.applyTransformationsAndRename(true);
    ASSERT_EQ(ui_.questions().size(), 1u);
    EXPECT_NE(ui_.questions()[0].informativeText.find("\nError Code: 513\n\n(Is the directory read-only perhaps?)\n\n"
                                                      "\nWould you like to continue renaming the next files?"),
              std::string::npos);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_TRUE(fs::exists(at("d.txt")));

    prefs_.set(PreferenceKey::autoIgnoreFilePermissionErrors, true);
    list({{"a.txt", "b.txt"}, {"x.txt", "y.txt"}});
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("x.txt"), EROFS);
    report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(ui_.questions().size(), 1u) << "no new question";
    EXPECT_EQ(report.successCount, 0);
    EXPECT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[1].error.code, 642);
    EXPECT_EQ(ui_.alerts().back().second, "Successfully renamed 0 files.\n2 files could not be renamed.");
}

TEST_F(FileRenamerTest, DoNotAskAgainLastsForOneRun) {
    list({{"a.txt", "taken1.txt"}, {"b.txt", "taken2.txt"}});
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("a.txt"), EIO);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("b.txt"), EIO);
    ui_.setSuppression(true);
    renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(ui_.questions().size(), 1u);
    renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(ui_.questions().size(), 2u);
    EXPECT_EQ(readFile(at("a.txt")), "a.txt");
}

TEST_F(FileRenamerTest, FailureInTheMiddleOfAThousandFilesLosesNothing) {
    const auto renames = numbered(1000, "src/f", "dst/g");
    list(renames);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("src/f0500.dat"), EIO);
    ui_.setAnswers({"Abort"});
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_TRUE(report.aborted);
    EXPECT_EQ(report.successCount, 500);
    EXPECT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.triedCount(), 501);
    EXPECT_EQ(report.notTriedCount, 499);
    EXPECT_EQ(ui_.alerts().back().second, "Successfully renamed 500 files.\n500 files could not be renamed.");
    const auto files = list_.files();
    for (int i = 0; i < 1000; ++i) {
        const auto& [from, to] = renames[static_cast<std::size_t>(i)];
        const std::string expected = i < 500 ? at(to) : at(from);
        ASSERT_EQ(files[static_cast<std::size_t>(i)].source.fullPath(), expected);
        ASSERT_EQ(readFile(expected), from) << "content of " << expected;
        ASSERT_FALSE(fs::exists(i < 500 ? at(from) : at(to)));
    }
}

// Over a thousand moves: the list and the report are written beside the moves, yet whoever is asked about a
// failure sees the list as the disk is, and the report keeps the plan's order.
TEST_F(FileRenamerTest, ManyMovesAreListedAndReportedInOrderAndSeenByWhoeverIsAsked) {
    struct SnapshotOnQuestion : PresetUserInteraction {
        explicit SnapshotOnQuestion(const FileDataSource& list) : PresetUserInteraction({"Continue"}), list(list) {}
        Answer ask(const Question& question) override {
            for (const File& file : list.files())
                seen.push_back(file.source.fullPath());
            return PresetUserInteraction::ask(question);
        }
        const FileDataSource& list;
        std::vector<std::string> seen;
    } asked(list_);
    FileRenamer renamer({list_, faults_, &prefs_, &asked, nullptr}, [this](std::stop_token stop) {
        return validator_.validateFiles(list_.files(), false, stop).has_value();
    });
    renamer.setProtectedDirectories({root()});

    constexpr int count = 1200;
    constexpr int failing = 1030; // two batches handed over and some pending when asked
    const auto renames = numbered(count, "a/f", "a/g");
    list(renames);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at(renames[failing].first), EIO);
    const RenameReport report = renamer.applyTransformationsAndRename(true);

    ASSERT_EQ(asked.questions().size(), 1u);
    ASSERT_EQ(asked.seen.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto& [source, target] = renames[static_cast<std::size_t>(i)];
        ASSERT_EQ(asked.seen[static_cast<std::size_t>(i)], i < failing ? at(target) : at(source)) << i;
    }
    EXPECT_EQ(report.successCount, count - 1);
    ASSERT_EQ(report.renamed.size(), static_cast<std::size_t>(count - 1));
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures.front().source, at(renames[failing].first));
    const auto files = list_.files();
    for (int i = 0, k = 0; i < count; ++i) {
        const auto& [source, target] = renames[static_cast<std::size_t>(i)];
        const std::string expected = i == failing ? at(source) : at(target);
        ASSERT_EQ(files[static_cast<std::size_t>(i)].source.fullPath(), expected);
        ASSERT_TRUE(fs::exists(expected)) << expected;
        if (i == failing)
            continue;
        ASSERT_EQ(report.renamed[static_cast<std::size_t>(k)].from, at(source)) << k;
        ASSERT_EQ(report.renamed[static_cast<std::size_t>(k)].to, at(target)) << k;
        ++k;
    }
}

// Long runs of renames inside one folder move on two threads. What does not move there (an injected error, a
// target taken on disk since validation) is tried again one at a time and asked about as anywhere else; a
// chain in the middle keeps its order; the list, the report and the journal end as the disk is.
class MovesTogetherTest : public FileRenamerTest {
protected:
    // The test double moves together on any file system; the real one only in memory (tmpfs).
    MovesTogetherTest() : FileRenamerTest(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) {
        faults_.allowMovesTogether();
    }
    bool movesTogether() { return usableCores() > 1; }

    // Runs over the validated list with a journal, then checks that every file is at its source or its
    // target, where the list says, with its content, and that the journal marks exactly the moved steps.
    RenameReport runAndCheck(const std::vector<std::pair<std::string, std::string>>& renames,
                             const std::function<void()>& afterValidation = {}, std::stop_token stop = {},
                             FileRenamer::Progress progress = {}) {
        JournalStore store(root() + "/journal");
        RunJournal journal(store.folder(), posix_);
        FileRenamer renamer({list_, faults_, &prefs_, &ui_, nullptr, &journal}, nullptr);
        renamer.setProtectedDirectories({root()});
        renamer.setProgressInterval(std::chrono::milliseconds(0));
        EXPECT_TRUE(validator_.validateList(false));
        if (afterValidation)
            afterValidation();
        const RenameReport report = renamer.renameListed(true, stop, std::move(progress));

        const auto files = list_.files();
        int atTarget = 0;
        std::map<std::string, bool> moved;
        for (std::size_t i = 0; i < renames.size(); ++i) {
            const std::string from = at(renames[i].first);
            const std::string to = at(renames[i].second);
            const std::string listed = files[i].source.fullPath();
            EXPECT_TRUE(listed == from || listed == to) << listed;
            EXPECT_EQ(readFile(listed), renames[i].first) << listed;
            moved[from] = listed == to;
            atTarget += listed == to;
        }
        EXPECT_EQ(report.successCount, atTarget);
        EXPECT_EQ(report.triedCount() + report.notTriedCount, report.renameCount);
        const auto record = store.read(report.journalId);
        EXPECT_TRUE(record.ok() && record->closed);
        if (!record.ok())
            return report;
        // The record of a long plan is made in halves: it holds every move once, in order, with its identity.
        EXPECT_EQ(record->moves.size(), renames.size());
        for (std::size_t m = 0; m < std::min(record->moves.size(), renames.size()); ++m) {
            EXPECT_EQ(record->moves[m].source, at(renames[m].first));
            EXPECT_TRUE(record->moves[m].identity) << m;
        }
        for (std::size_t i = 0; i < record->steps.size(); ++i)
            EXPECT_EQ(record->stepDone[i] != 0, moved[record->steps[i].from]) << record->steps[i].from;
        return report;
    }
};

TEST_F(MovesTogetherTest, FailuresAmongThemAreAskedAboutAndAChainKeepsItsOrder) {
    auto renames = numbered(1200, "a/f", "a/g");
    // h2 goes to h3 before h1 takes its name: the chain splits the long run in two.
    renames.insert(renames.begin() + 600, {{"a/h1", "a/h2"}, {"a/h2", "a/h3"}});
    list(renames);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("a/f0100.dat"), EIO);
    // Arrives after validation: the run finds the target taken.
    const RenameReport report = runAndCheck(renames, [this] { temp_.write("a/g0900.dat", "arrived since"); });
    EXPECT_EQ(ui_.questions().size(), 2u);
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_EQ(report.failures[0].source, at("a/f0100.dat"));
    EXPECT_EQ(report.failures[1].source, at("a/f0900.dat"));
    EXPECT_EQ(readFile(at("a/g0900.dat")), "arrived since");
    EXPECT_EQ(report.successCount, 1200);
    // Two threads have no one order of moves: the report holds each move once.
    std::set<std::string> expected;
    for (const auto& [from, to] : renames)
        if (from != "a/f0100.dat" && from != "a/f0900.dat")
            expected.insert(at(from) + " -> " + at(to));
    std::set<std::string> renamed;
    for (const auto& move : report.renamed)
        renamed.insert(move.from + " -> " + move.to);
    EXPECT_EQ(report.renamed.size(), renamed.size());
    EXPECT_EQ(renamed, expected);
    // Each run moved together, but for what its threads had taken up around a failure.
    if (movesTogether()) {
        EXPECT_GE(faults_.movesTogether(), 400u);
    }
}

TEST_F(MovesTogetherTest, AfterAFailureTheRestOfTheRunMovesTogetherAgain) {
    const auto renames = numbered(2000, "a/f", "a/g");
    list(renames);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("a/f0010.dat"), EIO);
    const RenameReport report = runAndCheck(renames);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.successCount, 1999);
    // Only the failed one's chunk and a tail too short to be worth two threads go one at a time.
    if (movesTogether()) {
        EXPECT_GE(faults_.movesTogether(), 1600u);
    }
}

TEST_F(MovesTogetherTest, AnAbortOrAStopAmongThemLeavesEveryFileWhereTheListAndTheJournalSay) {
    const auto renames = numbered(4500, "a/f", "a/g");
    list(renames);
    faults_.failOn(FaultInjectingFileSystem::Operation::move, at("a/f1000.dat"), EIO);
    ui_.setAnswers({"Abort"});
    RenameReport report = runAndCheck(renames);
    EXPECT_TRUE(report.aborted);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_GE(report.successCount, 1000);
    EXPECT_GT(report.notTriedCount, 0);
    if (movesTogether()) {
        EXPECT_GE(faults_.movesTogether(), 1000u);
    }

    faults_.clearFaults();
    list(numbered(4500, "a/f", "a/h"));
    std::stop_source stop;
    report = runAndCheck(numbered(4500, "a/f", "a/h"), {}, stop.get_token(), [&](int done, int) {
        if (done > 0)
            stop.request_stop();
    });
    EXPECT_TRUE(report.aborted);
    EXPECT_GT(report.successCount, 0);
    EXPECT_GT(report.notTriedCount, 0);
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(FileRenamerTest, CrossDeviceMoveThroughTheRun) {
    struct stat here {}, there {};
    const std::string shm = "/dev/shm";
    if (::stat(shm.c_str(), &there) != 0 || ::stat(root().c_str(), &here) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system; PosixFileSystemTest covers the copy path on one";
    const std::string target = shm + "/quillory-rename-test-" + std::to_string(::getpid());
    fs::remove_all(target);
    directories_->setCustomDirectories({target});
    temp_.write("cross/a.txt", "cross/a.txt");
    File file = File::fromPath(at("cross/a.txt"));
    file.transformed.setFullPath(target + "/sub/a.txt");
    list_.doReplaceAllFiles({file}, FileAction::replace, false);
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_EQ(readFile(target + "/sub/a.txt"), "cross/a.txt");
    EXPECT_FALSE(fs::exists(at("cross")));
    fs::remove_all(target);
}

TEST_F(FileRenamerTest, RenamePostsItsFramingAndProgressRecords) {
    MainQueue queue;
    NotificationCenter center(queue);
    std::vector<std::string> names;
    ProgressUpdate lastRecord;
    for (const char* name : {"disableUserInput", "showProgressView", "updateProgressView", "hideProgressView",
                             "applyChanges", "enableUserInput"})
        center.addObserver(name, [&](const Notification& n) {
            if (names.empty() || names.back() != n.name)
                names.push_back(n.name);
            if (n.name == "updateProgressView")
                lastRecord = std::any_cast<ProgressUpdate>(n.object);
        });
    FileRenamer renamer({list_, faults_, &prefs_, &ui_, &center}, [](std::stop_token) { return true; });
    renamer.setProtectedDirectories({root()});
    list({{"a.txt", "b.txt"}, {"c.txt", "d.txt"}, {"e.txt", "e.txt"}});
    const RenameReport report = renamer.rename(true);
    queue.runPending();
    EXPECT_EQ(report.successCount, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"disableUserInput", "showProgressView", "updateProgressView",
                                               "hideProgressView", "applyChanges", "hideProgressView",
                                               "enableUserInput"}));
    EXPECT_EQ(lastRecord, (ProgressUpdate{"Renaming", 2, 2, false}));
}

// A real read-only volume: a small tmpfs remounted read-only. Needs the right to mount.
class ReadOnlyMount {
public:
    explicit ReadOnlyMount(const std::string& path) : path_(path) {
        fs::create_directories(path);
        mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=1m") == 0;
    }
    ~ReadOnlyMount() {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() { return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST_F(FileRenamerTest, ReadOnlyVolumeIsAskedAboutOrIgnored) {
    ReadOnlyMount volume(at("ro"));
    if (!volume.mounted())
        GTEST_SKIP() << "cannot mount here; the seam covers error 642 in PermissionErrorsAskOrAreIgnored";
    temp_.write("ro/a.txt", "kept");
    ASSERT_TRUE(volume.makeReadOnly());
    list({{"ro/a.txt", "ro/b.txt"}});
    RenameReport report = renamer_.applyTransformationsAndRename(true);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].error.code, 642);
    EXPECT_EQ(ui_.questions().size(), 1u);

    prefs_.set(PreferenceKey::autoIgnoreFilePermissionErrors, true);
    report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(ui_.questions().size(), 1u);
    EXPECT_EQ(readFile(at("ro/a.txt")), "kept");
}

} // namespace
} // namespace quillory
