// SPDX-License-Identifier: GPL-3.0-or-later
// Renames on a volume that ignores letter case (FAT, exFAT, a case-folding ext4 folder), emulated over
// the real file system: validation, the plan's detours, and recovery from a run stopped at any move.
#include "app/Logger.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "CaseInsensitiveFileSystem.h"
#include "FaultInjectingFileSystem.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileRenamer.h"
#include "rename/FileValidator.h"
#include "rename/FolderCase.h"
#include "rename/JournalStore.h"
#include "rename/MovePlan.h"
#include "rename/PosixFileSystem.h"
#include "rename/RunJournal.h"
#include "rename/RunRestorer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace quillory {
namespace {

namespace fs = std::filesystem;

class CaseInsensitiveVolumeTest : public ::testing::Test {
protected:
    CaseInsensitiveVolumeTest()
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
        renamer_.setProtectedDirectories({volume()});
    }

    std::string volume() const { return temp_.str() + "/vol"; }
    std::string at(const std::string& relative) const { return volume() + "/" + relative; }

    // Lists files (created with their name as content unless there) with their new paths.
    void list(const std::vector<std::pair<std::string, std::string>>& renames) {
        std::vector<File> files;
        for (const auto& [from, to] : renames) {
            if (!fs::exists(at(from)))
                temp_.write("vol/" + from, from);
            File file = File::fromPath(at(from));
            file.transformed.setFullPath(at(to));
            files.push_back(file);
        }
        list_.doReplaceAllFiles(files, FileAction::replace, false);
    }

    // Every entry below the volume as spelt on disk, files with their content.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(volume()))
            out[entry.path().string()] = entry.is_directory() ? "<folder>" : test::readFile(entry.path());
        return out;
    }

    test::TempDir temp_{fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()};
    test::TempDir settings_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    PosixFileSystem posix_;
    CaseInsensitiveFileSystem volumeDisk_{posix_, {temp_.str() + "/vol"}};
    FaultInjectingFileSystem disk_{volumeDisk_};
    FileDataSource list_;
    FileValidator validator_;
    JournalStore store_;
    RunJournal journal_;
    FileRenamer renamer_;
    RunRestorer restorer_;
};

TEST_F(CaseInsensitiveVolumeTest, SpellingsOfOneNameAreOneTarget) {
    // A rename of letter case only is no collision with itself; two new names that differ only in
    // case are duplicates, and so is a new name that another spelling of a staying file holds.
    list({{"a.txt", "A.txt"}, {"b.txt", "Report.txt"}, {"c.txt", "REPORT.txt"}, {"d.txt", "d.txt"},
          {"e.txt", "D.TXT"}, {"f.txt", "F.txt"}});
    ASSERT_TRUE(validator_.validateFiles(list_.files(), false).has_value());
    const auto files = validator_.validatedFiles();
    EXPECT_TRUE(files[0].validation.errors.empty() && files[0].validation.warnings.empty());
    EXPECT_EQ(files[1].validation.uniqueSuffix, "");
    EXPECT_EQ(files[2].validation.uniqueSuffix, " 2");
    EXPECT_EQ(files[4].validation.uniqueSuffix, " 2") << "d.txt stays";
    EXPECT_EQ(files[5].validation.uniqueSuffix, "");

    prefs_.set(PreferenceKey::autoResolveDuplicates, false);
    ASSERT_TRUE(validator_.validateFiles(list_.files(), false).has_value());
    EXPECT_EQ(validator_.validatedFiles()[2].validation.errors, std::set<std::string>{"Filename is not unique."});

    // Beside the volume, letter case makes different names.
    temp_.write("elsewhere/b.txt");
    temp_.write("elsewhere/c.txt");
    std::vector<File> outside{File::fromPath(temp_.str() + "/elsewhere/b.txt"),
                              File::fromPath(temp_.str() + "/elsewhere/c.txt")};
    outside[0].transformed.transformedName = "Report";
    outside[1].transformed.transformedName = "REPORT";
    ASSERT_TRUE(validator_.validateFiles(outside, false).has_value());
    EXPECT_TRUE(validator_.validatedFiles()[1].validation.errors.empty());
}

TEST_F(CaseInsensitiveVolumeTest, PlanTakesCaseRenamesThroughATemporaryName) {
    FolderCase folderCase(volumeDisk_);
    // A case rename alone; and two names that trade places through their spellings: b -> c, C -> b.
    const MovePlan plan =
        MovePlan::order({{0, at("a.txt"), at("A.txt"), false}, {1, at("b"), at("c"), false},
                         {2, at("C"), at("b"), false}, {3, temp_.str() + "/x", temp_.str() + "/X", false}},
                        "t", &folderCase);
    std::map<std::size_t, std::vector<MovePlan::StepKind>> kinds;
    std::map<std::size_t, std::size_t> groups;
    for (const auto& step : plan.steps) {
        kinds[step.move].push_back(step.kind);
        groups[step.move] = step.group;
    }
    using Kind = MovePlan::StepKind;
    EXPECT_EQ(kinds[0], (std::vector<Kind>{Kind::toTemporary, Kind::fromTemporary}));
    EXPECT_EQ(kinds[1].size() + kinds[2].size(), 3u) << "one of the pair is parked";
    EXPECT_EQ(groups[1], groups[2]);
    EXPECT_EQ(kinds[3], std::vector<Kind>{Kind::direct}) << "outside the volume letter case is a new name";
    for (const auto& step : plan.steps)
        if (step.kind == Kind::toTemporary) {
            EXPECT_EQ(fs::path(plan.to(step)).filename().string().rfind(MovePlan::temporaryPrefix, 0), 0u);
        }
}

// Case renames of files (one in a folder below), and a trade of names through their spellings, stopped at
// every move (as by kill -9): recovery rolls back to the tree before the run or finishes it, with no
// temporary name left behind, and the finished run undoes. Both for a volume that says it ignores
// case (the plan's detour) and one that does not (the run's own detour, recorded before it is taken).
TEST_F(CaseInsensitiveVolumeTest, EveryStopDuringCaseRenamesIsRecoverable) {
    for (const bool admits : {true, false}) {
        volumeDisk_.setAdmitsIgnoringCase(admits);
        std::vector<std::pair<std::string, std::string>> renames = {
            {"a.txt", "A.txt"}, {"sub/x.txt", "sub/X.TXT"}, {"keep.txt", "keep.txt"}};
        if (admits)
            renames.insert(renames.end(), {{"b.txt", "c.txt"}, {"C.txt", "b.txt"}});
        const auto fresh = [&] {
            fs::remove_all(volume());
            list(renames);
        };
        fresh();
        const auto original = snapshot();
        const std::size_t movesBefore = disk_.moveCount();
        const RenameReport full = renamer_.applyTransformationsAndRename(true);
        ASSERT_TRUE(full.failures.empty()) << full.failures.front().error.description;
        const auto planned = snapshot();
        EXPECT_TRUE(planned.count(at("A.txt")) && planned.count(at("sub/X.TXT"))) << "admits " << admits;
        if (admits) {
            EXPECT_EQ(planned.at(at("c.txt")), "b.txt");
        }
        const std::size_t moves = disk_.moveCount() - movesBefore;
        ASSERT_EQ(moves, admits ? 7u : 6u) << "two case renames through a temporary name, one pair traded";

        for (std::size_t k = 0; k < moves; ++k) {
            for (const bool finish : {false, true}) {
                fresh();
                const std::size_t before = disk_.moveCount();
                disk_.stopAtMove(k);
                EXPECT_THROW(renamer_.applyTransformationsAndRename(true), FaultInjectingFileSystem::Stopped)
                    << "move " << k;
                const std::size_t tried = disk_.moveCount() - before;
                disk_.clearFaults();
                const std::string id = store_.ids().back();
                const auto outcome = restorer_.recover(id, finish);
                ASSERT_TRUE(outcome.ok()) << outcome.error().message;
                ASSERT_TRUE(outcome->leftAlone.empty()) << outcome->leftAlone.front();
                ASSERT_TRUE(outcome->failures.empty()) << outcome->failures.front().error.description;
                ASSERT_EQ(snapshot(), finish ? planned : original)
                    << "admits " << admits << ", stopped at move " << k << " of " << tried
                    << (finish ? ", finished" : ", rolled back");
                if (finish) {
                    ASSERT_TRUE(restorer_.undo(id).ok());
                    ASSERT_EQ(snapshot(), original) << "undone after the stop at move " << k;
                }
            }
        }
    }
}

// A folder's name changes case by the moves of its files only where names tell case apart: elsewhere the
// change is refused, there it makes a new folder like any other new name.
TEST_F(CaseInsensitiveVolumeTest, AFolderCaseChangeIsRefusedOnlyWhereTheFolderIgnoresCase) {
    directories_->setCaseTest([this](const std::string& folder) { return volumeDisk_.ignoresCase(folder); });
    temp_.write("vol/Photos/a.txt", "A");
    temp_.write("out/Photos/b.txt", "B");
    File onVolume = File::fromPath(at("Photos/a.txt"));
    onVolume.transformed.transformedPath = at("photos");
    File outside = File::fromPath(temp_.str() + "/out/Photos/b.txt");
    outside.transformed.transformedPath = temp_.str() + "/out/photos";
    list_.doReplaceAllFiles({onVolume, outside}, FileAction::replace, false);
    ASSERT_TRUE(validator_.validateFiles(list_.files(), false).has_value());
    const auto files = list_.files();
    EXPECT_EQ(files[0].validation.errors,
              std::set<std::string>{"The case change of folder \"Photos\" to \"photos\" cannot be applied unless at "
                                    "least one of its parent folders has a different name."});
    EXPECT_TRUE(files[1].validation.errors.empty()) << *files[1].validation.errors.begin();

    const auto report = renamer_.applyTransformationsAndRename(true);
    EXPECT_EQ(report.successCount, 1);
    EXPECT_EQ(test::readFile(temp_.path() / "out/photos/b.txt"), "B");
    EXPECT_EQ(test::readFile(at("Photos/a.txt")), "A");
}

} // namespace
} // namespace quillory
