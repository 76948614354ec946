// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/RunRestorer.h"
#include "base/Cores.h"

#include "app/Logger.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileRenamer.h"
#include "rename/FileValidator.h"
#include "rename/JournalStore.h"
#include "rename/PosixFileSystem.h"
#include "rename/RunJournal.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>
#include <sys/resource.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;

// The real file system, until a chosen move: there the process "dies" (an exception nobody in the run
// catches, so the journal is never closed) or the move fails.
class CrashingFileSystem : public PosixFileSystem {
public:
    // crashTogether: long runs in one folder move on two threads, and the run dies on its own thread at a
    // move made there, while the other thread may be moving still. journalFull: from the chosen move on, no
    // file of the process grows (as on a full disk), and the moves go on.
    enum class Mode { none, crash, fail, crashTogether, journalFull };
    void arm(Mode mode, int atMove) {
        mode_ = mode;
        at_ = atMove;
        moves_ = 0;
        together_ = 0;
        runThread_ = std::this_thread::get_id();
    }
    int moves() const { return moves_; }
    Outcome moveItem(const std::string& source, const std::string& target) override {
        if (moves_++ == at_ && mode_ == Mode::crash)
            throw std::runtime_error("killed");
        if (moves_ - 1 == at_ && mode_ == Mode::fail)
            return FileError::fromErrno(EIO, "Injected failure on", source);
        if (moves_ - 1 == at_ && mode_ == Mode::journalFull) {
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 1;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        return PosixFileSystem::moveItem(source, target);
    }
    // Otherwise every move goes through moveItem above, however long the run.
    std::unique_ptr<FolderMoves> movesWithin(const std::string& folder) override {
        if (mode_ != Mode::crashTogether)
            return nullptr;
        auto inner = PosixFileSystem::movesWithin(folder);
        return inner ? std::make_unique<Crashing>(*this, std::move(inner)) : nullptr;
    }

private:
    class Crashing : public FolderMoves {
    public:
        Crashing(CrashingFileSystem& owner, std::unique_ptr<FolderMoves> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        bool move(const char* fromName, const char* toName) override {
            if (owner_.together_++ >= owner_.at_ && std::this_thread::get_id() == owner_.runThread_)
                throw std::runtime_error("killed");
            return inner_->move(fromName, toName);
        }

    private:
        CrashingFileSystem& owner_;
        std::unique_ptr<FolderMoves> inner_;
    };

    Mode mode_ = Mode::none;
    int at_ = -1;
    int moves_ = 0;
    std::atomic<int> together_{0};
    std::thread::id runThread_;
};

class RunRestorerTest : public ::testing::Test {
protected:
    RunRestorerTest()
        : prefs_(settings_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{temp_.str(), "me", ""}, &prefs_)),
          validator_(&list_, &prefs_, nullptr, directories_), store_(temp_.str() + "/journal"),
          journal_(store_.folder(), disk_),
          renamer_({list_, disk_, &prefs_, nullptr, nullptr, &journal_},
                   [this](std::stop_token stop) { return validator_.validateFiles(list_.files(), false, stop).has_value(); }),
          restorer_(disk_, store_) {
        prefs_.registerDefaults();
        Logger::setSink(LogSink::off);
        validator_.setFileSystem(&disk_);
        renamer_.setProtectedDirectories({root()});
    }

    std::string root() const { return temp_.str() + "/tree"; }
    std::string at(const std::string& relative) const { return root() + "/" + relative; }

    // Every file and folder below the tree, files with their content.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> out;
        if (!fs::exists(root()))
            return out;
        for (const auto& entry : fs::recursive_directory_iterator(root()))
            out[entry.path().string()] = entry.is_directory() ? "<folder>" : test::readFile(entry.path());
        return out;
    }

    // A swap, a rotation, a shift, moves into new folders and out of one that empties, a folder that
    // moves whole, and a name that is not UTF-8.
    void makeTreeAndList() {
        fs::remove_all(root());
        const std::vector<std::pair<std::string, std::string>> renames = {
            {"s/a", "s/b"},         {"s/b", "s/a"},         {"r/x", "r/y"},       {"r/y", "r/z"},
            {"r/z", "r/x"},         {"n/1", "n/2"},         {"n/2", "n/3"},       {"n/3", "n/4"},
            {"old/only", "new/deep/only"}, {"old/other", "new/other"}, {"caf\xE9", "new/caf\xE9 2"},
            {"keep", "keep"}};
        std::vector<File> files;
        for (const auto& [from, to] : renames) {
            temp_.write("tree/" + from, "content of " + from);
            File file = File::fromPath(at(from));
            file.transformed.setFullPath(at(to));
            files.push_back(file);
        }
        temp_.write("tree/album/song", "music");
        File folder = File::fromUrl(fileUrlFromPath(at("album"), true));
        folder.transformed.transformedPath = at("records/album");
        files.push_back(folder);
        list_.doReplaceAllFiles(files, FileAction::replace, false);
    }

    test::TempDir temp_{fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()};
    test::TempDir settings_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileDataSource list_;
    FileValidator validator_;
    CrashingFileSystem disk_;
    JournalStore store_;
    RunJournal journal_;
    FileRenamer renamer_;
    RunRestorer restorer_;
};

// Also for a run over the list in place, which reads the sources' identities while it orders the moves:
// undo finds every item it moved as the one it recorded.
TEST_F(RunRestorerTest, UndoPutsBackEveryFileAndFolderByteExact) {
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "run over the list in place" : "run over computed files");
        makeTreeAndList();
        const auto original = snapshot();
        if (inPlace) {
            ASSERT_TRUE(validator_.validateList(false, {}).has_value());
        }
        const RenameReport report =
            inPlace ? renamer_.renameListed(true, {}, {}) : renamer_.applyTransformationsAndRename(true);
        ASSERT_TRUE(report.failures.empty());
        ASSERT_FALSE(report.journalId.empty()) << report.journalError;
        const std::string text = test::readFile(store_.pathOf(report.journalId));
        EXPECT_EQ(text.find("end done ", text.rfind('\n', text.size() - 2) + 1), text.rfind('\n', text.size() - 2) + 1)
            << "every step done is recorded before the end:\n" << text;
        EXPECT_EQ(test::readFile(at("new/caf\xE9 2")), "content of caf\xE9");
        EXPECT_FALSE(fs::exists(at("old")));

        ASSERT_EQ(restorer_.lastUndoableRun(), report.journalId);
        const auto outcome = restorer_.undo(report.journalId);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message;
        EXPECT_TRUE(outcome->leftAlone.empty());
        EXPECT_TRUE(outcome->failures.empty());
        EXPECT_EQ(snapshot(), original) << "files back, created folders gone, removed folders back";
        EXPECT_FALSE(restorer_.lastUndoableRun());
        EXPECT_FALSE(restorer_.undo(report.journalId).ok()) << "a run is undone once";

        // The undo was a run of its own: undoing it does the rename again.
        const auto redo = restorer_.undo(outcome->runId);
        ASSERT_TRUE(redo.ok());
        EXPECT_EQ(test::readFile(at("s/a")), "content of s/b");
    }
}

TEST_F(RunRestorerTest, UndoLeavesAloneWhatChangedSince) {
    makeTreeAndList();
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    // Replaced by another file under the same name, and moved away.
    fs::remove(at("s/b"));
    temp_.write("tree/s/b", "a newer file");
    fs::rename(at("r/y"), at("elsewhere"));
    const auto outcome = restorer_.undo(report.journalId);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome->leftAlone.size(), 2u);
    EXPECT_EQ(test::readFile(at("s/b")), "a newer file");
    EXPECT_EQ(test::readFile(at("elsewhere")), "content of r/x");
    EXPECT_EQ(test::readFile(at("n/1")), "content of n/1");
    EXPECT_FALSE(fs::exists(at("new/deep")));
}

// A run stopped at every one of its moves, by a crash or by a failure, is settled from its journal:
// rolling back restores the tree, finishing reaches the planned tree, and undo restores it from there.
TEST_F(RunRestorerTest, EveryInterruptionPointIsRecoverable) {
    makeTreeAndList();
    const auto original = snapshot();
    ASSERT_TRUE(renamer_.applyTransformationsAndRename(true).failures.empty());
    const auto planned = snapshot();
    const int moves = disk_.moves();
    ASSERT_GE(moves, 14) << "12 items, two of them parked once";

    for (int k = 0; k < moves; ++k) {
        for (const auto mode : {CrashingFileSystem::Mode::crash, CrashingFileSystem::Mode::fail}) {
            for (const bool finish : {false, true}) {
                makeTreeAndList();
                disk_.arm(mode, k);
                RenameReport report;
                try {
                    report = renamer_.applyTransformationsAndRename(true);
                } catch (const std::runtime_error&) {
                }
                disk_.arm(CrashingFileSystem::Mode::none, -1);
                const auto ids = store_.ids();
                ASSERT_FALSE(ids.empty());
                const std::string id = ids.back();
                if (mode == CrashingFileSystem::Mode::crash) {
                    const auto outcome = restorer_.recover(id, finish);
                    ASSERT_TRUE(outcome.ok()) << outcome.error().message << " at move " << k << " finish " << finish;
                    ASSERT_TRUE(outcome->leftAlone.empty()) << "move " << k << ": " << outcome->leftAlone.front();
                    ASSERT_EQ(snapshot(), finish ? planned : original) << "move " << k << (finish ? " finished" : "");
                    if (!finish)
                        continue;
                } else if (!finish) {
                    continue; // a failed run is closed: there is nothing to recover, only to undo
                }
                ASSERT_TRUE(restorer_.undo(id).ok());
                ASSERT_EQ(snapshot(), original) << "undo after interruption at move " << k;
            }
        }
    }
}

// A run dies among moves made on two threads: the other thread's last moves have no "done" line yet, and
// recovery finds those items by their identity, rolling back or finishing.
TEST_F(RunRestorerTest, ARunKilledAmongMovesMadeTogetherIsRecoverable) {
    if (usableCores() < 2 || !PosixFileSystem().movesWithin(temp_.str()))
        GTEST_SKIP() << "moves go together only with two cores, in memory";
    std::map<std::string, std::string> planned;
    const auto makeList = [&] {
        fs::remove_all(root());
        planned.clear();
        std::vector<File> files;
        char number[16];
        for (int i = 0; i < 3000; ++i) {
            std::snprintf(number, sizeof number, "%04d", i);
            temp_.write(std::string("tree/t/f") + number, number);
            File file = File::fromPath(at(std::string("t/f") + number));
            file.transformed.setFullPath(at(std::string("t/g") + number));
            files.push_back(file);
            planned[at(std::string("t/g") + number)] = number;
        }
        planned[at("t")] = "<folder>";
        list_.doReplaceAllFiles(files, FileAction::replace, false);
    };
    for (const bool finish : {false, true}) {
        makeList();
        const auto original = snapshot();
        disk_.arm(CrashingFileSystem::Mode::crashTogether, 1000);
        EXPECT_THROW(renamer_.applyTransformationsAndRename(true), std::runtime_error);
        disk_.arm(CrashingFileSystem::Mode::none, -1);
        const auto moved = std::count_if(planned.begin(), planned.end(),
                                         [](const auto& entry) { return fs::exists(entry.first); });
        EXPECT_GT(moved, 1000) << "the run died after its first thousand moves made together";
        const std::string id = store_.ids().back();
        const auto outcome = restorer_.recover(id, finish);
        ASSERT_TRUE(outcome.ok()) << outcome.error().message;
        ASSERT_TRUE(outcome->leftAlone.empty()) << outcome->leftAlone.front();
        if (!finish) {
            ASSERT_EQ(snapshot(), original);
            continue;
        }
        ASSERT_EQ(snapshot(), planned);
        ASSERT_TRUE(restorer_.undo(id).ok());
        ASSERT_EQ(snapshot(), original);
    }
}

// Many sources in one folder get device and inode from one listing of it; a few, or ones moving to
// another file system, are looked at in full. Either way the journal knows every item, and undo works:
// also where two folders hold the same names and one is listed against the order it was made in.
TEST_F(RunRestorerTest, JournalTakesIdentitiesFromFolderListings) {
    fs::remove_all(root());
    std::vector<File> files;
    for (const std::string folder : {"many/", "more/"}) {
        for (int i = 0; i < 40; ++i) {
            const std::string name = folder + "f" + std::to_string(i);
            temp_.write("tree/" + name, name);
            files.push_back(File::fromPath(at(name)));
            files.back().transformed.transformedName = "g" + std::to_string(i);
        }
    }
    std::reverse(files.begin() + 40, files.end());
    temp_.write("tree/few/one", "one");
    files.push_back(File::fromPath(at("few/one")));
    files.back().transformed.transformedName = "two";
    list_.doReplaceAllFiles(files, FileAction::replace, false);
    const auto original = snapshot();

    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    ASSERT_EQ(report.successCount, 81);
    const auto record = store_.read(report.journalId);
    ASSERT_TRUE(record.ok());
    ASSERT_EQ(record->moves.size(), 81u);
    // The steps come back one by one, each done, however compactly they were written.
    ASSERT_EQ(record->steps.size(), 81u);
    for (std::size_t i = 0; i < record->steps.size(); ++i) {
        EXPECT_EQ(record->steps[i].from, record->moves[record->steps[i].move].source);
        EXPECT_EQ(record->steps[i].to, record->moves[record->steps[i].move].target);
        EXPECT_TRUE(record->stepDone[i]) << "step " << i;
    }
    for (const auto& move : record->moves) {
        ASSERT_TRUE(move.identity) << move.source;
        const auto now = disk_.identify(move.target);
        ASSERT_TRUE(now);
        EXPECT_TRUE(now->sameItem(*move.identity)) << move.source;
        const bool many = move.source.find("/few/") == std::string::npos;
        EXPECT_EQ(move.identity->sizeAndTimeKnown, !many) << move.source;
        if (!many) {
            EXPECT_EQ(move.identity->size, 3);
        }
    }
    ASSERT_TRUE(restorer_.undo(report.journalId).ok());
    EXPECT_EQ(snapshot(), original);
}

// The journal's disk fills up in the middle of a run: the moves stand, and the report tells that the record
// is incomplete instead of promising an undo. In a child process, which alone gets the limit on file sizes.
TEST_F(RunRestorerTest, AJournalCutShortIsToldInTheReport) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    makeTreeAndList();
    EXPECT_EXIT(
        {
            disk_.arm(CrashingFileSystem::Mode::journalFull, 2);
            const RenameReport report = renamer_.applyTransformationsAndRename(true);
            if (!report.failures.empty() || report.successCount != report.renameCount)
                std::_Exit(2); // the moves must not suffer
            if (report.journalId.empty() || report.journalError.find("could not be written to its end") == std::string::npos)
                std::_Exit(3);
            if (test::readFile(store_.pathOf(report.journalId)).find("\nend ") != std::string::npos)
                std::_Exit(4); // then it would read as closed
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

// Undo without a run named takes the last run; an interrupted run after it must be settled first, or
// the undo would act behind its back.
TEST_F(RunRestorerTest, AnInterruptedLatestRunKeepsOlderRunsFromBeingUndoneUnnamed) {
    makeTreeAndList();
    const RenameReport report = renamer_.applyTransformationsAndRename(true);
    ASSERT_EQ(restorer_.lastUndoableRun(), report.journalId);
    EXPECT_FALSE(restorer_.openRunAhead());
    // A later run whose process died before it closed its journal.
    std::ofstream(store_.pathOf("29990101-000000-1"))
        << "quillory-journal 1\nrun 2147483646 32503680000 rename - 1 /home/me\nplanned\n";
    EXPECT_FALSE(restorer_.lastUndoableRun());
    EXPECT_EQ(restorer_.openRunAhead(), "29990101-000000-1");
}

TEST_F(RunRestorerTest, InterruptedRunsAreFoundAndOldRunsPruned) {
    fs::create_directories(store_.folder());
    const auto write = [&](const std::string& id, const std::string& text) {
        std::ofstream(store_.pathOf(id)) << text;
    };
    // A process id nobody has: the run that wrote it is gone.
    write("20200101-000000-1", "quillory-journal 1\nrun 2147483646 1577836800 rename - 1 /home/me\nplanned\n");
    for (int i = 0; i < 55; ++i) {
        char id[32];
        std::snprintf(id, sizeof id, "20300101-0000%02d-2", i);
        write(id, "quillory-journal 1\nrun 2 " + std::to_string(std::time(nullptr)) +
                      " rename - 1 /home/me\nplanned\nend done 1 0 0\n");
    }
    const auto interrupted = store_.interruptedRuns();
    ASSERT_EQ(interrupted.size(), 1u);
    EXPECT_EQ(interrupted[0].folder, "/home/me");
    store_.prune();
    const auto ids = store_.ids();
    EXPECT_EQ(ids.size(), 51u) << "the last 50 closed runs and the interrupted one";
    EXPECT_EQ(ids.front(), "20200101-000000-1");
    EXPECT_EQ(ids[1], "20300101-000005-2");
}

} // namespace
} // namespace quillory
