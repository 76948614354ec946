// SPDX-License-Identifier: GPL-3.0-or-later
// Symbolic links never take a rename out of the allowed folders: not through validation, not through
// a link swapped in after it, not while a folder is being opened.
#include "rename/FileRenamer.h"

#include "PresetUserInteraction.h"
#include "TempDir.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileValidator.h"
#include "rename/PosixFileSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const char* const kOutsideMessage = "Path should start with one of the following prefixes: ";

std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// The home folder (the one allowed folder) and a folder outside it that links inside point to.
class SymbolicLinkTest : public ::testing::Test {
protected:
    SymbolicLinkTest()
        : prefs_(outside_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{home(), "me", ""}, &prefs_)),
          validator_(&list_, &prefs_, nullptr, directories_),
          renamer_({list_, posix_, &prefs_, &ui_, nullptr}, [this](std::stop_token stop) {
              return validator_.validateFiles(list_.files(), false, stop).has_value();
          }) {
        prefs_.registerDefaults();
        renamer_.setProtectedDirectories({home()});
        posix_.setFolderCheck([this](const std::string& real) { return directories_->isAllowedResolved(real); });
        outside_.write("secretdir/secret_file.txt", "secret");
        home_.write("s1/a.txt", "A");
        fs::create_directory_symlink(outside_.path() / "secretdir", home_.path() / "s1/dirlink");
    }

    std::string home() const { return home_.str(); }
    std::string at(const std::string& relative) const { return home() + "/" + relative; }
    std::string secret() const { return (outside_.path() / "secretdir").string(); }

    void list(const std::string& from, const std::string& to) {
        File file = File::fromPath(at(from));
        file.transformed.setFullPath(at(to));
        list_.doReplaceAllFiles({file}, FileAction::replace, false);
    }
    TextSet validationErrors() {
        validator_.validateFiles(list_.files(), false);
        return validator_.validatedFiles().at(0).validation.errors;
    }
    void expectOutsideUntouched() {
        EXPECT_THAT(listing(outside_.path() / "secretdir"), ElementsAre("secret_file.txt"));
        EXPECT_EQ(readFile(outside_.path() / "secretdir/secret_file.txt"), "secret");
    }

    test::TempDir home_;
    test::TempDir outside_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileDataSource list_;
    FileValidator validator_;
    PosixFileSystem posix_;
    PresetUserInteraction ui_;
    FileRenamer renamer_;
};

TEST_F(SymbolicLinkTest, FoldersReachedThroughALinkToTheOutsideAreRefusedLikeOutsidePaths) {
    // A new folder below the link, and a file listed through the link.
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"s1/a.txt", "s1/dirlink/escaped/a.txt"}, {"s1/dirlink/secret_file.txt", "s1/dirlink/renamed.txt"}}) {
        SCOPED_TRACE(from + " -> " + to);
        list(from, to);
        const auto errors = validationErrors();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_THAT(*errors.begin(), HasSubstr(kOutsideMessage));
        EXPECT_EQ(renamer_.applyTransformationsAndRename(false).successCount, 0);
        EXPECT_EQ(renamer_.applyTransformationsAndRename(true).successCount, 0);
        expectOutsideUntouched();
    }
    EXPECT_EQ(readFile(at("s1/a.txt")), "A");
}

TEST_F(SymbolicLinkTest, LinksThatStayInsideTheAllowedFoldersStillWork) {
    home_.write("real/b.txt", "B");
    fs::create_directory_symlink(at("real"), at("inside"));
    list("inside/b.txt", "inside/new/c.txt");
    EXPECT_TRUE(validationErrors().empty());
    EXPECT_EQ(renamer_.applyTransformationsAndRename(false).successCount, 1);
    EXPECT_EQ(readFile(at("real/new/c.txt")), "B");
}

TEST_F(SymbolicLinkTest, ALinkSwappedInAfterValidationMakesTheMoveFail) {
    // The target folder is real when validated, and a link outside when the move comes; so is the
    // existing folder a missing one is to be created in.
    home_.mkdir("s1/dir");
    home_.mkdir("s1/parent");
    const std::vector<std::pair<std::string, std::string>> cases{{"s1/dir", "s1/dir/a.txt"},
                                                                 {"s1/parent", "s1/parent/made/a.txt"}};
    for (const auto& [swapped, target] : cases) {
        SCOPED_TRACE(target);
        list("s1/a.txt", target);
        ASSERT_TRUE(validationErrors().empty());
        fs::rename(at(swapped), at(swapped + "-moved"));
        fs::create_directory_symlink(secret(), at(swapped));

        const RenameReport report = renamer_.renameComputed(validator_.validatedFiles(), false);
        EXPECT_EQ(report.successCount, 0);
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_THAT(report.failures[0].error.description, HasSubstr("outside the folders where renaming is allowed"));
        EXPECT_EQ(readFile(at("s1/a.txt")), "A");
        expectOutsideUntouched();
    }
}

TEST_F(SymbolicLinkTest, AListedLinkIsRenamedAsALinkNeverFollowed) {
    fs::create_symlink(outside_.path() / "secretdir/secret_file.txt", at("s1/filelink"));
    list("s1/filelink", "s1/renamed-link");
    EXPECT_EQ(renamer_.applyTransformationsAndRename(false).successCount, 1);
    EXPECT_TRUE(fs::is_symlink(at("s1/renamed-link")));
    EXPECT_EQ(fs::read_symlink(at("s1/renamed-link")), outside_.path() / "secretdir/secret_file.txt");
    EXPECT_FALSE(fs::exists(fs::symlink_status(at("s1/filelink"))));

    // A link to a folder, listed as an item, moves as the link too.
    list("s1/dirlink", "s1/moved-dirlink");
    EXPECT_EQ(renamer_.applyTransformationsAndRename(false).successCount, 1);
    EXPECT_TRUE(fs::is_symlink(at("s1/moved-dirlink")));
    expectOutsideUntouched();
}

// The file system on its own: the real place of a folder reached through a link is checked, and a link
// that appears in that place before it is opened fails the operation, with openat2 and without.
class FolderOpeningTest : public ::testing::TestWithParam<bool> {
protected:
    FolderOpeningTest() {
        posix_.setOpenat2Unsupported(GetParam());
        posix_.setFolderCheck(
            [this](const std::string& real) { return real == home_.str() || real.rfind(home_.str() + "/", 0) == 0; });
        home_.write("real/a.txt", "A");
        fs::create_directory_symlink(home_.path() / "real", home_.path() / "inside");
        outside_.mkdir("target");
    }
    std::string at(const std::string& relative) const { return home_.str() + "/" + relative; }

    test::TempDir home_;
    test::TempDir outside_;
    PosixFileSystem posix_;
};

TEST_P(FolderOpeningTest, ALinkAppearingWhileAFolderIsOpenedFailsTheMove) {
    int swaps = 0;
    posix_.setBeforeOpenHook([&](const std::string& real) {
        if (real != at("real"))
            return;
        ++swaps;
        fs::rename(real, at("real-moved"));
        fs::create_directory_symlink(outside_.path() / "target", real);
    });
    const auto error = posix_.moveItem(at("inside/a.txt"), at("inside/b.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(swaps, 1);
    EXPECT_THAT(error->description, HasSubstr("a symbolic link appeared"));
    EXPECT_EQ(readFile(at("real-moved/a.txt")), "A");
    EXPECT_TRUE(fs::is_empty(outside_.path() / "target"));
}

TEST_P(FolderOpeningTest, FoldersAreCreatedAndRemovedOnlyWhereTheCheckAllows) {
    // Through the inside link: allowed, made in the real folder.
    EXPECT_FALSE(posix_.createDirectories(at("inside/x/y")));
    EXPECT_TRUE(fs::is_directory(at("real/x/y")));
    EXPECT_FALSE(posix_.moveItem(at("inside/a.txt"), at("inside/x/y/a.txt")));
    EXPECT_EQ(readFile(at("real/x/y/a.txt")), "A");

    // Through a link to the outside: nothing is made, moved or removed there.
    fs::create_directory_symlink(outside_.path(), home_.path() / "out");
    EXPECT_TRUE(posix_.createDirectories(at("out/target/new")));
    EXPECT_TRUE(posix_.moveItem(at("real/x/y/a.txt"), at("out/target/a.txt")));
    EXPECT_TRUE(posix_.removeDirectory(at("out/target")));
    EXPECT_TRUE(fs::is_directory(outside_.path() / "target"));
    EXPECT_TRUE(fs::is_empty(outside_.path() / "target"));
    EXPECT_TRUE(fs::exists(at("real/x/y/a.txt")));

    // A missing folder already taken by a link is refused, not followed.
    fs::create_directory_symlink(outside_.path() / "target", at("real/x/taken"));
    EXPECT_TRUE(posix_.createDirectories(at("real/x/taken/deeper")));
    EXPECT_TRUE(fs::is_empty(outside_.path() / "target"));
}

TEST_P(FolderOpeningTest, AHeldFolderReplacedBetweenRunsIsOpenedAfresh) {
    home_.mkdir("plain");
    EXPECT_FALSE(posix_.moveItem(at("real/a.txt"), at("plain/a.txt")));
    // Without a release in between: the folder held from the last move is gone, and a new one with
    // its name takes the next move.
    fs::remove(at("plain/a.txt"));
    fs::remove(at("plain"));
    home_.write("plain/b.txt", "B");
    EXPECT_FALSE(posix_.moveItem(at("plain/b.txt"), at("plain/c.txt")));
    EXPECT_EQ(readFile(at("plain/c.txt")), "B");
    // A folder moved away by an earlier move is not used for its old path.
    home_.mkdir("plain/sub");
    EXPECT_FALSE(posix_.moveItem(at("plain/c.txt"), at("plain/sub/c.txt")));
    EXPECT_FALSE(posix_.moveItem(at("plain/sub"), at("plain/sub2")));
    home_.mkdir("plain/sub");
    home_.write("d.txt", "D");
    const auto error = posix_.moveItem(at("d.txt"), at("plain/sub/d.txt"));
    EXPECT_FALSE(error) << error->description;
    EXPECT_EQ(readFile(at("plain/sub/d.txt")), "D");
    EXPECT_EQ(readFile(at("plain/sub2/c.txt")), "B");
}

INSTANTIATE_TEST_SUITE_P(Openat2AndWalking, FolderOpeningTest, ::testing::Bool());

} // namespace
} // namespace quillory
