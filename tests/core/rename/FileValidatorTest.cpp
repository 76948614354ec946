// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileValidator.h"
#include "rename/PosixFileSystem.h"

#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileChunk.h"
#include "rename/FileValidatorWorker.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stop_token>

namespace quillory {
namespace {

namespace fs = std::filesystem;

class FileValidatorTest : public ::testing::Test {
protected:
    FileValidatorTest()
        : prefs_(temp_.path() / "settings.json"),
          directories_(std::make_shared<DirectoryValidator>(DirectoryEnvironment{home(), "me", ""}, &prefs_)),
          validator_(nullptr, &prefs_, nullptr, directories_) {
        prefs_.registerDefaults();
    }

    std::string home() const { return temp_.str(); }

    // A file in the home folder whose computed name is set field by field.
    File file(const std::string& original, const std::string& path, const std::string& name, const std::string& ext) {
        File f = File::fromPath(home() + "/" + original);
        f.transformed.transformedPath = path;
        f.transformed.transformedName = name;
        f.transformed.transformedExt = ext;
        return f;
    }
    File renamed(const std::string& original, const std::string& name, const std::string& ext = "txt") {
        return file(original, home(), name, ext);
    }

    TextSet errorsOf(File f) {
        FileValidator::validateFile(f, *directories_);
        return f.validation.errors;
    }

    test::TempDir temp_;
    Preferences prefs_;
    std::shared_ptr<DirectoryValidator> directories_;
    FileValidator validator_;
};

using Errors = std::set<std::string>;

TEST_F(FileValidatorTest, NameLengthInCharactersAndBytesAtTheirBoundaries) {
    EXPECT_EQ(errorsOf(renamed("a.txt", std::string(255, 'a'), "")), Errors{});
    EXPECT_EQ(errorsOf(renamed("a.txt", std::string(256, 'a'), "")),
              (Errors{"Filename is longer than 255 characters", "Filename is longer than 255 bytes"}));
    // 251 + "." + 3 is 255 bytes on disk; one more is too long for Linux, though only 255 characters.
    EXPECT_EQ(errorsOf(renamed("a.txt", std::string(251, 'a'))), Errors{});
    EXPECT_EQ(errorsOf(renamed("a.txt", std::string(252, 'a'))), Errors{"Filename is longer than 255 bytes"});
    // Characters are user-perceived: e + combining acute is one character of three bytes.
    std::string accented;
    for (int i = 0; i < 85; ++i)
        accented += "e\xCC\x81";
    EXPECT_EQ(errorsOf(renamed("a.txt", accented, "")), Errors{});
    EXPECT_EQ(errorsOf(renamed("a.txt", accented + "e\xCC\x81", "")), Errors{"Filename is longer than 255 bytes"});
}

TEST_F(FileValidatorTest, FolderNamesAndPathLengthAtTheirBoundaries) {
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/" + std::string(255, 'b'), "a", "txt")), Errors{});
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/" + std::string(256, 'b'), "a", "txt")),
              (Errors{"Folder names cannot exceed 255 characters each", "Folder names cannot exceed 255 bytes each"}));
    std::string wide;
    for (int i = 0; i < 128; ++i)
        wide += "\xC3\xA9"; // é: 128 characters, 256 bytes
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/" + wide, "a", "txt")),
              Errors{"Folder names cannot exceed 255 bytes each"});

    auto pathOfLength = [&](std::size_t length) {
        std::string path = home();
        while (path.size() + 201 <= length)
            path += "/" + std::string(200, 'p');
        path += "/" + std::string(length - path.size() - 1, 'q');
        return path;
    };
    ASSERT_EQ(pathOfLength(1024).size(), 1024u);
    EXPECT_EQ(errorsOf(file("a.txt", pathOfLength(1024), "a", "txt")), Errors{});
    EXPECT_EQ(errorsOf(file("a.txt", pathOfLength(1025), "a", "txt")), Errors{"Path is longer than 1024 characters"});
}

TEST_F(FileValidatorTest, EmptyAndInvalidNames) {
    EXPECT_EQ(errorsOf(renamed("a.txt", "")), Errors{"Filename is empty"});
    EXPECT_EQ(errorsOf(renamed("a.txt", "   ")), Errors{"Filename is empty"});
    EXPECT_EQ(errorsOf(renamed("a.txt", "\xE3\x80\x80")), Errors{"Filename is empty"}); // ideographic space
    EXPECT_EQ(errorsOf(renamed("a.txt", "top\n \nbottom")),
              (Errors{"Filename is empty", "Filename contains invalid characters"}));
    EXPECT_EQ(errorsOf(renamed("a.txt", "tab\there")), Errors{"Filename contains invalid characters"});
    EXPECT_EQ(errorsOf(renamed("a.txt", std::string("nul\0cut", 7))), Errors{"Filename contains invalid characters"});
    EXPECT_EQ(errorsOf(renamed("a.txt", "../../escape")), Errors{"Filename contains invalid characters"});
    EXPECT_EQ(errorsOf(renamed("a.txt", "..", "")), Errors{"Filename contains invalid characters"});
    EXPECT_EQ(errorsOf(renamed("a.txt", ".", "")), Errors{"Filename contains invalid characters"});
    EXPECT_EQ(errorsOf(renamed("a.txt", "..", "txt")), Errors{});
    EXPECT_EQ(errorsOf(renamed("a.txt", "Ünïcödé name")), Errors{});
    // A folder entry has no name to lose.
    File folder = File::fromUrl(fileUrlFromPath(home() + "/dir", true));
    EXPECT_EQ(errorsOf(folder), Errors{});
}

TEST_F(FileValidatorTest, PathRulesTraversalAndAllowedFolders) {
    const Errors traversal{"Path cannot contain \".\" or \"..\" components"};
    // Where "/../../etc" leads is outside as well.
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/../../etc", "a", "txt")),
              (Errors{*traversal.begin(), "Path should start with one of the following prefixes: " + home() + "/"}));
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/./sub", "a", "txt")), traversal);
    EXPECT_EQ(errorsOf(file("a.txt", home() + "/..sub/x.", "a", "txt")), Errors{});
    const TextSet outside = errorsOf(file("a.txt", "/etc", "a", "txt"));
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside.begin()->rfind("Path should start with one of the following prefixes: " + home() + "/", 0), 0u);
    EXPECT_EQ(errorsOf(file("a.txt", home() + "//sub", "a", "txt")),
              Errors{"Double slashes \"//\" are not allowed in Path"});
}

TEST_F(FileValidatorTest, DuplicatesGetSuffixesInListOrder) {
    std::vector<File> files{renamed("x.txt", "a"), renamed("y.txt", "a"), renamed("z.txt", "a"), renamed("w.txt", "A")};
    ASSERT_TRUE(FileValidator::applyUniqueness(files, true));
    EXPECT_EQ(files[0].validation.uniqueSuffix, "");
    EXPECT_TRUE(files[0].validation.warnings.empty());
    EXPECT_EQ(files[1].validation.uniqueSuffix, " 2");
    EXPECT_EQ(files[1].validation.warnings, Errors{"Filename is not unique. A numeric suffix '2' has been added."});
    EXPECT_EQ(files[2].validation.uniqueSuffix, " 3");
    EXPECT_EQ(files[2].validation.warnings, Errors{"Filename is not unique. A numeric suffix '3' has been added."});
    EXPECT_TRUE(files[3].validation.warnings.empty()) << "letter case makes a different target";

    std::vector<File> off{renamed("x.txt", "a"), renamed("y.txt", "a")};
    ASSERT_TRUE(FileValidator::applyUniqueness(off, false));
    EXPECT_EQ(off[1].validation.errors, Errors{"Filename is not unique."});
    EXPECT_EQ(off[1].validation.uniqueSuffix, "");
}

TEST_F(FileValidatorTest, DuplicatesAgainstUnchangedAndMovingAwayFiles) {
    // b.txt stays: a file renamed to b.txt collides with it. c.txt moves away: its name is free.
    std::vector<File> files{renamed("b.txt", "b"), renamed("a.txt", "b"), renamed("c.txt", "d"), renamed("e.txt", "c")};
    ASSERT_TRUE(FileValidator::applyUniqueness(files, true));
    EXPECT_EQ(files[1].validation.uniqueSuffix, " 2");
    EXPECT_TRUE(files[3].validation.warnings.empty());
    // A suffix already taken by another target is skipped.
    std::vector<File> taken{renamed("p.txt", "a 2"), renamed("q.txt", "a"), renamed("r.txt", "a")};
    ASSERT_TRUE(FileValidator::applyUniqueness(taken, true));
    EXPECT_EQ(taken[2].validation.uniqueSuffix, " 3");
}

TEST_F(FileValidatorTest, TargetsHeldOnDiskCountUnlessTheirItemMovesAway) {
    temp_.write("a.txt", "listed");
    temp_.write("b.txt", "not listed");
    temp_.write("x 2.jpg", "not listed");
    temp_.write("y.jpg", "listed, moving away");
    PosixFileSystem disk;
    FileValidator::UniquenessOptions options;
    options.disk = &disk;
    std::vector<File> files{renamed("a.txt", "b"),          renamed("p.jpg", "x", "jpg"), renamed("q.jpg", "x", "jpg"),
                            renamed("r.jpg", "x", "jpg"),   renamed("y.jpg", "z", "jpg"), renamed("s.jpg", "y", "jpg")};
    ASSERT_TRUE(FileValidator::applyUniqueness(files, options));
    EXPECT_EQ(files[0].validation.uniqueSuffix, " 2") << "b.txt is on disk and stays";
    EXPECT_EQ(files[1].validation.uniqueSuffix, "") << "x.jpg is free";
    EXPECT_EQ(files[2].validation.uniqueSuffix, " 3") << "\"x 2.jpg\" is on disk";
    EXPECT_EQ(files[3].validation.uniqueSuffix, " 4");
    EXPECT_EQ(files[5].validation.uniqueSuffix, "") << "y.jpg moves away first";

    options.autoResolve = false;
    std::vector<File> off{renamed("a.txt", "b")};
    ASSERT_TRUE(FileValidator::applyUniqueness(off, options));
    EXPECT_EQ(off[0].validation.errors, Errors{"Filename is not unique."});
}

TEST_F(FileValidatorTest, SuffixSearchHasNoLimitAndRespectsTheByteLimit) {
    std::vector<File> many;
    for (int i = 0; i < 1005; ++i)
        many.push_back(renamed("f" + std::to_string(i) + ".txt", "same"));
    ASSERT_TRUE(FileValidator::applyUniqueness(many, true));
    EXPECT_EQ(many.back().validation.uniqueSuffix, " 1005");

    // 251 bytes fit; with " 2" and ".txt" the second name would not.
    std::vector<File> longNames{renamed("a.txt", std::string(251, 'n')), renamed("b.txt", std::string(251, 'n')),
                                renamed("c.txt", "c")};
    ASSERT_TRUE(FileValidator::applyUniqueness(longNames, true));
    EXPECT_TRUE(longNames[0].validation.errors.empty());
    EXPECT_EQ(longNames[1].validation.errors, Errors{"Filename is longer than 255 bytes"});
    EXPECT_EQ(longNames[1].validation.uniqueSuffix, "");
}

TEST_F(FileValidatorTest, FolderCannotMoveIntoItself) {
    File folder = File::fromUrl(fileUrlFromPath(home() + "/album", true));
    folder.transformed.transformedPath = home() + "/album/inside";
    EXPECT_EQ(errorsOf(folder), Errors{"A folder cannot be moved into itself"});
    folder.transformed.transformedPath = home() + "/album 2";
    EXPECT_EQ(errorsOf(folder), Errors{});
}

TEST_F(FileValidatorTest, TargetFolderThatIsAFileIsAnError) {
    temp_.write("notes.txt", "a file");
    temp_.mkdir("photos");
    fs::create_directory_symlink(home() + "/photos", home() + "/linked");
    fs::create_symlink("loop", home() + "/loop"); // leads to itself: no folder, and no name in it can be examined
    std::vector<File> files{file("a.jpg", home() + "/notes.txt", "a", "jpg"),
                            file("b.jpg", home() + "/notes.txt/deeper/still", "b", "jpg"),
                            file("c.jpg", home() + "/photos/new", "c", "jpg"),
                            file("d.jpg", home() + "/linked", "d", "jpg"), file("e.jpg", home() + "/photos", "e", "jpg"),
                            file("f.jpg", home() + "/loop", "f", "jpg")};
    const auto result = validator_.validateFiles(files, false);
    ASSERT_TRUE(result);
    const auto validated = validator_.validatedFiles();
    const Errors blocked{"\"" + home() + "/notes.txt\" is not a folder: nothing can be moved into it"};
    EXPECT_EQ(validated[0].validation.errors, blocked);
    EXPECT_EQ(validated[1].validation.errors, blocked);
    EXPECT_EQ(validated[2].validation.errors, Errors{}) << "a folder still to be made";
    EXPECT_EQ(validated[3].validation.errors, Errors{}) << "a link to a folder";
    EXPECT_EQ(validated[4].validation.errors, Errors{});
    EXPECT_FALSE(validated[5].validation.errors.empty()) << "a link that leads to itself is refused before the run";
    EXPECT_EQ(result->errorCount, 3);
}

// A run cannot both give a name to an item and move other items into a folder of that name, nor move
// items into a folder that moves away in the same run: those items stay, with an error.
TEST_F(FileValidatorTest, MovesIntoAFolderTheRunItselfChangesAreErrors) {
    temp_.write("a", "a");
    temp_.write("b", "b");
    temp_.write("c", "c");
    temp_.write("src/d", "d");
    temp_.mkdir("src/empty");
    temp_.mkdir("E");
    temp_.write("x/f", "f");
    File emptyFolder = File::fromUrl(fileUrlFromPath(home() + "/src/empty", true));
    emptyFolder.transformed.transformedPath = home() + "/dest";
    File movingFolder = File::fromUrl(fileUrlFromPath(home() + "/E", true));
    movingFolder.transformed.transformedPath = home() + "/F";
    std::vector<File> files{file("a", home(), "d", ""),                    // a file named "d"...
                            file("b", home() + "/d", "b", ""),             // ...and one going into "d/"
                            emptyFolder,                                   // a folder that becomes "dest"...
                            file("src/d", home() + "/dest", "d", ""),      // ...and a file going into "dest/"
                            movingFolder,                                  // "E" becomes "F"...
                            file("c", home() + "/E", "c", ""),             // ...and a file going into "E/"
                            file("x/f", home() + "/x/new", "f", "")};      // into a new folder: fine
    const auto result = validator_.validateFiles(files, false);
    ASSERT_TRUE(result);
    const auto validated = validator_.validatedFiles();
    const Errors taken{"Another item of this run takes the name of the folder it moves into."};
    EXPECT_EQ(validated[0].validation.errors, Errors{});
    EXPECT_EQ(validated[1].validation.errors, taken);
    EXPECT_EQ(validated[2].validation.errors, Errors{});
    EXPECT_EQ(validated[3].validation.errors, taken);
    EXPECT_EQ(validated[4].validation.errors, Errors{});
    EXPECT_EQ(validated[5].validation.errors, Errors{"The folder it moves into is moved away in this run."});
    EXPECT_EQ(validated[6].validation.errors, Errors{});
    EXPECT_EQ(result->errorCount, 3);
}

TEST_F(FileValidatorTest, ChunksOfAThousandInListOrder) {
    std::vector<File> files;
    for (int i = 0; i < 2500; ++i)
        files.push_back(renamed("f" + std::to_string(i) + ".txt", "g" + std::to_string(i)));
    const auto chunks = FileChunk::cut(files);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].files.size(), 1000u);
    EXPECT_EQ(chunks[2].files.size(), 500u);
    EXPECT_EQ(chunks[2].index, 2);
    EXPECT_EQ(chunks[1].files.front().source.name, "f1000");
}

TEST_F(FileValidatorTest, RunCountsWritesBackAndKeepsOrder) {
    FileDataSource list;
    std::vector<File> files;
    for (int i = 0; i < 2100; ++i)
        files.push_back(renamed("f" + std::to_string(i) + ".txt", i == 5 ? "" : "same"));
    files.push_back(renamed("u.txt", "u"));
    list.doReplaceAllFiles(files, FileAction::replace, false);
    FileValidator validator(&list, &prefs_, nullptr, directories_);

    const auto result = validator.validateFiles(list.files(), true);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (FileValidationResult{true, 1, 2101, 2099}));
    const auto stored = list.files();
    EXPECT_EQ(stored[5].validation.errors, Errors{"Filename is empty"});
    EXPECT_EQ(stored[4].validation.uniqueSuffix, " 5");
    EXPECT_EQ(stored[6].validation.uniqueSuffix, " 6") << "the file with errors takes no number";
    EXPECT_EQ(validator.validatedFiles()[1500].source.name, "f1500");

    EXPECT_EQ(*validator.validateFiles({}, false), FileValidationResult{});
}

TEST_F(FileValidatorTest, ValidatingTheListInPlaceGivesWhatValidatingACopyGives) {
    // Three chunks, with targets that meet within a chunk and across chunks, empty names and names that
    // end up too long once numbered; a folder entry and files staying put among them.
    std::vector<File> files;
    for (int i = 0; i < 2500; ++i) {
        const std::string original = "f" + std::to_string(i) + ".txt";
        if (i % 97 == 0)
            files.push_back(renamed(original, ""));
        else if (i % 13 == 0)
            files.push_back(renamed(original, "f" + std::to_string(i))); // stays
        else if (i % 5 == 0)
            files.push_back(renamed(original, std::string(251, 'x'))); // fits only without a suffix
        else
            files.push_back(renamed(original, "g" + std::to_string(i % 1200)));
    }
    files.push_back(renamed("g7.txt", "g7")); // on the list and staying: every g7 moving in is numbered
    fs::create_directories(home() + "/sub");
    files.push_back(file("sub", home() + "/sub2", "", ""));
    files.back().source = File::fromPath(home() + "/sub/").source;
    std::ofstream(home() + "/g8.txt") << "on disk, not listed";

    FileDataSource copied;
    FileDataSource inPlace;
    copied.doReplaceAllFiles(files, FileAction::replace, false);
    inPlace.doReplaceAllFiles(files, FileAction::replace, false);
    FileValidator byCopy(&copied, &prefs_, nullptr, directories_);
    FileValidator byList(&inPlace, &prefs_, nullptr, directories_);

    const auto expected = byCopy.validateFiles(copied.files(), false);
    const auto result = byList.validateList(false);
    ASSERT_TRUE(expected && result);
    EXPECT_EQ(*result, *expected);
    const auto want = copied.files();
    const auto got = inPlace.files();
    ASSERT_EQ(got.size(), want.size());
    int numbered = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].validation, want[i].validation) << want[i].source.name;
        numbered += want[i].validation.uniqueSuffix.empty() ? 0 : 1;
    }
    EXPECT_GT(numbered, 800);
    EXPECT_EQ(want[7].validation.uniqueSuffix, " 2") << "g7 is held by the listed g7.txt";
    EXPECT_EQ(want[8].validation.uniqueSuffix, " 2") << "g8 is held by a file on disk";
    EXPECT_TRUE(want[5].validation.errors.empty());
    EXPECT_EQ(want[10].validation.errors, Errors{"Filename is longer than 255 bytes"})
        << "the second long name cannot take a suffix";
    EXPECT_TRUE(byList.validatedFiles().empty()) << "the list holds the checks";
}

TEST_F(FileValidatorTest, CancelledRunEndsWithoutResult) {
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(validator_.validateFiles({renamed("a.txt", "b")}, false, stop.get_token()));
}

// The worker posts a pending result and then the final one; a new run cancels the one in progress.
TEST_F(FileValidatorTest, WorkerPostsPendingThenFinalResultAndANewRunCancelsTheOneInProgress) {
    MainQueue queue;
    NotificationCenter center(queue);
    std::vector<FileValidationResult> posted;
    center.addObserver("validationResult", [&](const Notification& n) {
        posted.push_back(std::any_cast<FileValidationResult>(n.object));
    });
    FileValidator validator(nullptr, &prefs_, &center, directories_);
    FileValidatorWorker worker(validator, &center);
    worker.validate({renamed("a.txt", "b"), renamed("c.txt", "\t")}, false);
    worker.wait();
    queue.runPending();
    ASSERT_GE(posted.size(), 2u);
    EXPECT_TRUE(posted.front().isPending);
    EXPECT_EQ(posted.back(), (FileValidationResult{false, 1, 2, 1}));

    posted.clear();
    std::vector<File> many;
    for (int i = 0; i < 20000; ++i)
        many.push_back(renamed("f" + std::to_string(i) + ".txt", "g" + std::to_string(i)));
    worker.validate(many, false);
    worker.validate({renamed("a.txt", "b")}, false);
    worker.wait();
    queue.runPending();
    const auto last = std::find_if(posted.rbegin(), posted.rend(), [](const auto& r) { return !r.isPending; });
    ASSERT_NE(last, posted.rend());
    EXPECT_EQ(*last, (FileValidationResult{false, 0, 1, 1}));
    EXPECT_EQ(validator.validatedFiles().size(), 1u);
}

} // namespace
} // namespace quillory
