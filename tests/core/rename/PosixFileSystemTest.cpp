// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/PosixFileSystem.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class PosixFileSystemTest : public ::testing::TestWithParam<bool> {
protected:
    PosixFileSystemTest() { posix_.setNoReplaceUnsupported(GetParam()); }
    std::string at(const std::string& relative) const { return temp_.str() + "/" + relative; }
    test::TempDir temp_;
    PosixFileSystem posix_;
};

TEST_P(PosixFileSystemTest, NeverReplacesAnExistingTarget) {
    temp_.write("a.txt", "A");
    temp_.write("b.txt", "B");
    temp_.mkdir("empty");
    temp_.mkdir("dir");
    auto error = posix_.moveItem(at("a.txt"), at("b.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    EXPECT_EQ(readFile(at("a.txt")), "A");
    EXPECT_EQ(readFile(at("b.txt")), "B");
    error = posix_.moveItem(at("dir"), at("empty"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    EXPECT_FALSE(posix_.moveItem(at("a.txt"), at("c.txt")));
    EXPECT_EQ(readFile(at("c.txt")), "A");
    EXPECT_FALSE(fs::exists(at("a.txt")));
    EXPECT_FALSE(posix_.moveItem(at("dir"), at("dir2")));
    EXPECT_TRUE(fs::is_directory(at("dir2")));

    // A folder onto a file and a file onto an empty folder are refused too.
    error = posix_.moveItem(at("dir2"), at("b.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    error = posix_.moveItem(at("c.txt"), at("empty"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    EXPECT_EQ(readFile(at("c.txt")), "A");
    EXPECT_TRUE(fs::is_empty(at("empty")));
    // A move that fails leaves nothing behind at the target.
    temp_.mkdir("dir2/inner");
    EXPECT_TRUE(posix_.moveItem(at("dir2"), at("dir2/inner/moved")));
    EXPECT_FALSE(fs::exists(at("dir2/inner/moved")));
    EXPECT_TRUE(fs::is_directory(at("dir2/inner")));
}

TEST_P(PosixFileSystemTest, CopyAndRemoveKeepsEverythingAndCleansUpOnFailure) {
    const fs::path file = temp_.write("src/a.dat", std::string(200000, 'z'));
    ::chmod(file.c_str(), 0640);
    const bool hasAttributes = ::setxattr(file.c_str(), "user.xdg.tags", "red", 3, 0) == 0;
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
    temp_.write("src/tree/inner.txt", "inner");
    temp_.mkdir("dst");

    ASSERT_FALSE(posix_.copyAndRemove(file.string(), at("dst/a.dat")));
    EXPECT_FALSE(fs::exists(file));
    struct stat info {};
    ASSERT_EQ(::stat(at("dst/a.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(info.st_size, 200000);
    if (hasAttributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(at("dst/a.dat").c_str(), "user.xdg.tags", value, sizeof value), 3);
        EXPECT_STREQ(value, "red");
    }
    ASSERT_FALSE(posix_.copyAndRemove(at("src/tree"), at("dst/tree")));
    EXPECT_EQ(readFile(at("dst/tree/inner.txt")), "inner");
    EXPECT_FALSE(fs::exists(at("src/tree")));

    // An existing target and a missing target folder both leave the source alone and no copy behind.
    temp_.write("src/b.txt", "b");
    temp_.write("dst/b.txt", "other");
    auto error = posix_.copyAndRemove(at("src/b.txt"), at("dst/b.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    EXPECT_TRUE(posix_.copyAndRemove(at("src/b.txt"), at("missing/b.txt")));
    EXPECT_EQ(readFile(at("src/b.txt")), "b");
    EXPECT_EQ(readFile(at("dst/b.txt")), "other");
    EXPECT_EQ(std::distance(fs::directory_iterator(at("dst")), fs::directory_iterator()), 3)
        << "a.dat, tree and b.txt, no partial copy";
}

TEST_P(PosixFileSystemTest, RealMoveToAnotherFileSystem) {
    const std::string shm = "/dev/shm";
    struct stat here {}, there {};
    if (::stat(shm.c_str(), &there) != 0 || ::stat(temp_.str().c_str(), &here) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system";
    const std::string target = shm + "/quillory-fs-test-" + std::to_string(::getpid()) + (GetParam() ? "a" : "b");
    temp_.write("x.txt", "cross");
    ASSERT_FALSE(posix_.moveItem(at("x.txt"), target));
    EXPECT_EQ(readFile(target), "cross");
    EXPECT_FALSE(fs::exists(at("x.txt")));
    temp_.write("y.txt", "y");
    auto error = posix_.moveItem(at("y.txt"), target);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 516);
    EXPECT_EQ(readFile(target), "cross");
    ::unlink(target.c_str());
}

TEST_P(PosixFileSystemTest, FoldersListingAndRemoval) {
    ASSERT_FALSE(posix_.createDirectories(at("a/b/c")));
    EXPECT_TRUE(fs::is_directory(at("a/b/c")));
    EXPECT_FALSE(posix_.createDirectories(at("a/b/c")));
    temp_.write("a/file", "f");
    auto error = posix_.createDirectories(at("a/file/sub"));
    ASSERT_TRUE(error);
    std::vector<std::string> names;
    ASSERT_FALSE(posix_.directoryEntries(at("a"), 1, names));
    EXPECT_EQ(names.size(), 1u);
    EXPECT_TRUE(posix_.removeDirectory(at("a/b"))) << "not empty";
    EXPECT_FALSE(posix_.removeDirectory(at("a/b/c")));
    EXPECT_FALSE(posix_.exists(at("a/b/c")));
    ::symlink("nowhere", at("dangling").c_str());
    EXPECT_TRUE(posix_.exists(at("dangling")));
}

TEST_P(PosixFileSystemTest, CopyWhoseOriginalCannotBeRemovedIsAFailureThatKeepsBoth) {
    temp_.write("locked.txt", "locked");
    const int fd = ::open(at("locked.txt").c_str(), O_RDONLY);
    int flags = 0;
    const bool immutable = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    if (!immutable)
        GTEST_SKIP() << "cannot make a file immutable here";
    auto error = posix_.copyAndRemove(at("locked.txt"), at("copy.txt"));
    const int unlock = ::open(at("locked.txt").c_str(), O_RDONLY);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(unlock, FS_IOC_SETFLAGS, &flags);
    ::close(unlock);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description.rfind("copied, but the original could not be removed", 0), 0u) << error->description;
    EXPECT_EQ(readFile(at("locked.txt")), "locked");
    EXPECT_EQ(readFile(at("copy.txt")), "locked");
}

TEST_P(PosixFileSystemTest, IdentityFollowsTheItemNotTheName) {
    temp_.write("a.txt", "12345");
    const auto before = posix_.identify(at("a.txt"));
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 5);
    EXPECT_FALSE(before->isFolder);
    ASSERT_FALSE(posix_.moveItem(at("a.txt"), at("b.txt")));
    EXPECT_FALSE(posix_.identify(at("a.txt")));
    EXPECT_TRUE(posix_.identify(at("b.txt"))->sameItem(*before));
    temp_.write("a.txt", "12345");
    EXPECT_FALSE(posix_.identify(at("a.txt"))->sameOrCopiedItem(*before)) << "same device, another inode";
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutNoReplace, PosixFileSystemTest, ::testing::Bool());

// Moves by name inside a held folder, which the renamer makes on two threads where the folder is in memory.
TEST(PosixFolderMovesTest, NeverReplaceNorLeaveTheFolderAndAreOfferedOnlyWhereTheyPay) {
    if (!fs::is_directory("/dev/shm"))
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    test::TempDir memory("/dev/shm");
    memory.write("a.txt", "A");
    memory.write("b.txt", "B");
    memory.mkdir("sub");
    PosixFileSystem posix;
    const auto moves = posix.movesWithin(memory.str());
    ASSERT_TRUE(moves);
    EXPECT_FALSE(moves->move("a.txt", "b.txt"));
    EXPECT_FALSE(moves->move("a.txt", "sub/a.txt"));
    EXPECT_FALSE(moves->move("a.txt", ".."));
    EXPECT_FALSE(moves->move("..", "up"));
    EXPECT_EQ(readFile(memory.path() / "a.txt"), "A");
    EXPECT_EQ(readFile(memory.path() / "b.txt"), "B");
    EXPECT_TRUE(fs::is_empty(memory.path() / "sub"));
    EXPECT_TRUE(moves->move("a.txt", "c.txt"));
    EXPECT_EQ(readFile(memory.path() / "c.txt"), "A");

    posix.setFolderCheck([](const std::string&) { return false; });
    EXPECT_FALSE(posix.movesWithin(memory.str())) << "a folder the check refuses";
    PosixFileSystem noReplace;
    noReplace.setNoReplaceUnsupported(true);
    EXPECT_FALSE(noReplace.movesWithin(memory.str()));
    test::TempDir disk;
    struct statfs volume {};
    if (::statfs(disk.str().c_str(), &volume) == 0 && volume.f_type != TMPFS_MAGIC) {
        EXPECT_FALSE(PosixFileSystem().movesWithin(disk.str())) << "not in memory";
    }
}

} // namespace
} // namespace quillory
