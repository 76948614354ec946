// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/MovePlan.h"

#include "app/Logger.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileRenamer.h"
#include "rename/FileValidator.h"
#include "rename/PosixFileSystem.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

namespace quillory {
namespace {

namespace fs = std::filesystem;

MovePlan::Move move(std::size_t item, std::string source, std::string target) {
    return {item, std::move(source), std::move(target), false};
}

// Runs the steps on a map from name to content, refusing to overwrite.
std::map<std::string, std::string> apply(const MovePlan& plan, std::map<std::string, std::string> names) {
    for (const auto& step : plan.steps) {
        const std::string& from = plan.from(step);
        const std::string& to = plan.to(step);
        EXPECT_TRUE(names.count(from)) << from;
        EXPECT_FALSE(names.count(to)) << "would overwrite " << to;
        names[to] = names[from];
        names.erase(from);
    }
    return names;
}

TEST(MovePlanTest, ChainsMoveBackToFrontAndCyclesParkOneItem) {
    // A shift: 3 -> 4 must go first, then 2 -> 3, then 1 -> 2. No temporary name needed.
    const MovePlan shift = MovePlan::order({move(0, "/d/1", "/d/2"), move(1, "/d/2", "/d/3"), move(2, "/d/3", "/d/4")},
                                           "t");
    ASSERT_EQ(shift.steps.size(), 3u);
    EXPECT_EQ(shift.from(shift.steps[0]), "/d/3");
    EXPECT_EQ(apply(shift, {{"/d/1", "1"}, {"/d/2", "2"}, {"/d/3", "3"}}),
              (std::map<std::string, std::string>{{"/d/2", "1"}, {"/d/3", "2"}, {"/d/4", "3"}}));

    // A rotation with a tail: x -> a, and a -> b -> c -> a.
    const MovePlan rotation = MovePlan::order(
        {move(0, "/d/x", "/d/a"), move(1, "/d/a", "/d/b"), move(2, "/d/b", "/d/c"), move(3, "/d/c", "/d/x")}, "t");
    EXPECT_EQ(apply(rotation, {{"/d/x", "x"}, {"/d/a", "a"}, {"/d/b", "b"}, {"/d/c", "c"}}),
              (std::map<std::string, std::string>{{"/d/a", "x"}, {"/d/b", "a"}, {"/d/c", "b"}, {"/d/x", "c"}}));
    const MovePlan cycle = MovePlan::order({move(0, "/d/a", "/d/b"), move(1, "/d/b", "/d/c"), move(2, "/d/c", "/d/a")},
                                           "t");
    ASSERT_EQ(cycle.steps.size(), 4u);
    EXPECT_EQ(cycle.steps.front().kind, MovePlan::StepKind::toTemporary);
    EXPECT_EQ(cycle.to(cycle.steps.front()), "/d/.quillory-cycle-t-0");
    EXPECT_EQ(cycle.steps.back().kind, MovePlan::StepKind::fromTemporary);
    for (const auto& step : cycle.steps)
        EXPECT_EQ(step.group, cycle.steps.front().group) << "a cycle is one group";
    EXPECT_EQ(apply(cycle, {{"/d/a", "a"}, {"/d/b", "b"}, {"/d/c", "c"}}),
              (std::map<std::string, std::string>{{"/d/b", "a"}, {"/d/c", "b"}, {"/d/a", "c"}}));
}

// Only a step that no other step waits for may be made out of order, beside others on another thread.
TEST(MovePlanTest, OnlyStepsNoOtherWaitsForAreUnblocked) {
    const auto flags = [](const MovePlan& plan) {
        std::map<std::string, bool> out;
        for (const auto& step : plan.steps)
            out[plan.from(step) + ">" + plan.to(step)] = step.unblocked;
        return out;
    };
    // In a chain, only the head's target is free; the others wait for the step before them.
    EXPECT_EQ(flags(MovePlan::order({move(0, "/d/1", "/d/2"), move(1, "/d/2", "/d/3"), move(2, "/d/3", "/d/4")}, "t")),
              (std::map<std::string, bool>{{"/d/3>/d/4", true}, {"/d/2>/d/3", false}, {"/d/1>/d/2", false}}));
    // A swap and a rotation wait on each other, parked items included.
    for (const auto& step : MovePlan::order({move(0, "/d/a", "/d/b"), move(1, "/d/b", "/d/a")}, "t").steps)
        EXPECT_FALSE(step.unblocked);
    for (const auto& step :
         MovePlan::order({move(0, "/d/a", "/d/b"), move(1, "/d/b", "/d/c"), move(2, "/d/c", "/d/a")}, "t").steps)
        EXPECT_FALSE(step.unblocked);
    // Independent renames, a change of letter case and a move to another folder wait for nothing.
    const MovePlan free = MovePlan::order(
        {move(0, "/d/a", "/d/x"), move(1, "/d/b", "/d/B"), move(2, "/d/c", "/e/c")}, "t");
    ASSERT_EQ(free.steps.size(), 3u);
    for (const auto& step : free.steps)
        EXPECT_TRUE(step.unblocked) << free.from(step);
}

// Random small trees renamed at random: swaps, rotations, shifts, many names onto one, files on disk that
// are not in the list, moves between folders (new ones included) and whole folders. Every listed file
// must end exactly at the target the preview showed, with its content; nothing else may change.
class MovePlanPropertyTest : public ::testing::Test {
protected:
    MovePlanPropertyTest()
        : prefs_(settings_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{temp_.str(), "me", ""}, &prefs_)),
          validator_(&list_, &prefs_, nullptr, directories_),
          renamer_({list_, disk_, &prefs_, nullptr, nullptr}, [this](std::stop_token stop) {
              return validator_.validateFiles(list_.files(), false, stop).has_value();
          }) {
        prefs_.registerDefaults();
        Logger::setSink(LogSink::off);
    }

    // Every file below the folder with its content.
    std::map<std::string, std::string> snapshot(const fs::path& root) const {
        std::map<std::string, std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                out[entry.path().string()] = test::readFile(entry.path());
        return out;
    }

    void trial(std::mt19937& random, int number) {
        const std::string root = temp_.str() + "/t" + std::to_string(number);
        renamer_.setProtectedDirectories({root});
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const char* names[] = {"a.txt", "b.txt", "c.txt", "a 2.txt", "d", "e.txt"};
        const char* folders[] = {"/d0", "/d1", "/d2/sub"};

        // Items on disk: some listed, some not; a folder or two that may move as a whole.
        std::vector<File> files;
        std::set<std::string> used;
        const int count = 2 + pick(6);
        for (int i = 0; i < count; ++i) {
            const std::string path = root + folders[pick(2)] + "/" + names[pick(6)];
            if (!used.insert(path).second)
                continue;
            temp_.write(path.substr(temp_.str().size() + 1), "content of " + path);
            if (pick(4) != 0)
                files.push_back(File::fromPath(path));
        }
        if (pick(3) == 0) {
            const std::string folder = root + "/f" + std::to_string(pick(2));
            temp_.write(folder.substr(temp_.str().size() + 1) + "/inside.txt", "inside " + folder);
            File entry = File::fromUrl(fileUrlFromPath(folder, true));
            entry.transformed.transformedPath = root + "/f" + std::to_string(pick(3));
            files.push_back(entry);
        }
        for (File& file : files) {
            if (MovePlan::isFolderEntry(file) || pick(5) == 0)
                continue;
            file.transformed.setFullPath(root + folders[pick(3)] + "/" + names[pick(6)]);
        }
        prefs_.setTransient(PreferenceKey::autoResolveDuplicates, pick(4) != 0);
        list_.doReplaceAllFiles(files, FileAction::replace, false);

        // The preview.
        ASSERT_TRUE(validator_.validateFiles(list_.files(), false).has_value());
        const std::vector<File> previewed = validator_.validatedFiles();
        const auto before = snapshot(root);
        std::map<std::string, std::string> expected = before;
        std::map<std::string, std::string> moved;
        for (const File& file : previewed) {
            if (!MovePlan::willMove(file, true))
                continue;
            const std::string source = MovePlan::sourceOf(file);
            const std::string target = MovePlan::targetOf(file);
            for (const auto& [path, content] : before) {
                if (path == source || path.rfind(source + "/", 0) == 0) {
                    expected.erase(path);
                    moved[target + path.substr(source.size())] = content;
                }
            }
        }
        for (const auto& [path, content] : moved) {
            ASSERT_FALSE(expected.count(path)) << "the preview puts two items at " << path;
            expected[path] = content;
        }

        const RenameReport report = renamer_.applyTransformationsAndRename(true);
        ASSERT_TRUE(report.failures.empty()) << report.failures.front().error.description;
        ASSERT_EQ(snapshot(root), expected) << "trial " << number;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            ASSERT_NE(entry.path().filename().string().rfind(".quillory", 0), 0u) << entry.path();
    }

    // Thousands of small files: on tmpfs when there is one.
    test::TempDir temp_{fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()};
    test::TempDir settings_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileDataSource list_;
    FileValidator validator_;
    PosixFileSystem disk_;
    FileRenamer renamer_;
};

TEST_F(MovePlanPropertyTest, EveryFileEndsAtItsPreviewedTarget) {
    std::mt19937 random(20261206);
    for (int i = 0; i < 1500; ++i) {
        trial(random, i);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace quillory
