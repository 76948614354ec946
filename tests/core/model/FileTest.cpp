// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/File.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

using namespace quillory;

namespace {

TEST(FileTest, SplitsAFileOrFolderUrlIntoPathNameAndExtension) {
    const File file = File::fromUrl("file:///home/me/My%20Photos/photo.tar.gz");
    EXPECT_EQ(file.source.path, "/home/me/My Photos");
    EXPECT_EQ(file.source.name, "photo.tar");
    EXPECT_EQ(file.source.ext, "gz");
    EXPECT_EQ(file.transformed.transformedName, "photo.tar");
    EXPECT_TRUE(file.transformed.isDirty);
    EXPECT_TRUE(file.transformed.isSelected);
    EXPECT_FALSE(file.index.has_value());
    EXPECT_EQ(file.attributes.state, FileAttributes::State::notLoaded);
    const File folder = File::fromUrl("file:///home/me/Empty%20Folder/");
    EXPECT_EQ(folder.source.path, "/home/me/Empty Folder");
    EXPECT_EQ(folder.source.name, "");
    EXPECT_EQ(folder.source.ext, "");
}

TEST(FileTest, NamesWithoutARealExtension) {
    EXPECT_EQ(File::fromPath("/h/.profile").source.name, ".profile");
    EXPECT_EQ(File::fromPath("/h/.profile").source.ext, "");
    EXPECT_EQ(File::fromPath("/h/README").source.fullPath(), "/h/README");
    // A trailing dot belongs to the name: joining gives the component back exactly.
    const File notes = File::fromPath("/h/notes.");
    EXPECT_EQ(notes.source.name, "notes.");
    EXPECT_EQ(notes.source.ext, "");
    EXPECT_EQ(notes.source.fullPath(), "/h/notes.");
    EXPECT_EQ(notes.transformed.fullPath(), "/h/notes.");
    EXPECT_FALSE(notes.isRenameRequired());
}

TEST(FileTest, AnyByteSequenceSurvivesTheUrl) {
    const std::string path = "/tmp/caf\xE9 100%#?.txt";
    const File file = File::fromPath(path);
    EXPECT_EQ(file.source.fullPath(), path);
    EXPECT_EQ(file.source.name, "caf\xE9 100%#?");
    EXPECT_EQ(fileUrlFromPath("/a b/c"), "file:///a%20b/c");
    EXPECT_EQ(fileUrlFromPath("/a b", true), "file:///a%20b/");
    EXPECT_EQ(fileUrlFromPath("", true), "file://");
}

TEST(FileTest, PathsGiveTheSameRecordAsTheirUrls) {
    for (const std::string path : {"/a/b.txt", "/x", "relative.txt", "/a//b.c", "/a/100%25.txt", "/a/b c/\u00e9.JPG",
                                   "/a/.hidden", "/a/notes.", "/a/file:/x.y", "/a/b/", "/", "/a/file://b"}) {
        const File direct = File::fromPath(path);
        FileSource expected = File::fromUrl(fileUrlFromPath(path)).source;
        expected.id = direct.source.id;
        EXPECT_EQ(direct.source, expected) << path;
        EXPECT_EQ(direct.transformed.fullPath(), direct.source.fullPath()) << path;
    }
}

TEST(FileTest, AnEntryOfAFolderIsTheRecordOfItsJoinedPath) {
    for (const std::string folder : {"/", "/a", "/a/b c", "/a/", "/a/file:", "/x/file://y", "relative"}) {
        for (const std::string name : {"b.txt", ".hidden", "notes.", "a.tar.gz", "README", "caf\xE9.JPG", "x/y", ""}) {
            const std::string joined = (folder == "/" ? std::string() : folder) + "/" + name;
            const File entry = File::inFolder(folder, name, true);
            File expected = File::fromPath(joined, true);
            expected.source.id = entry.source.id;
            EXPECT_EQ(entry.source, expected.source) << joined;
            EXPECT_EQ(entry.transformed, expected.transformed) << joined;
            EXPECT_FALSE(entry.source.id.empty()) << joined;
        }
    }
}

TEST(FileTest, WritesBackByScope) {
    File file = File::fromPath("/Users/me/a.txt");
    file.transformed.setText("..jpg.", TransformScope::ext);
    EXPECT_EQ(file.transformed.transformedExt, "jpg");
    file.transformed.setText("a//b///c/", TransformScope::path);
    EXPECT_EQ(file.transformed.transformedPath, "a/b/c");
    file.transformed.setText("/", TransformScope::path);
    EXPECT_EQ(file.transformed.transformedPath, "");
    file.transformed.setText("/", TransformScope::filename);
    EXPECT_EQ(file.transformed.transformedName, "");
    file.transformed.setText("/Users/me/new//name.txt", TransformScope::fullPath);
    EXPECT_EQ(file.transformed.transformedPath, "/Users/me/new");
    EXPECT_EQ(file.transformed.transformedName, "name");
    EXPECT_EQ(file.transformed.transformedExt, "txt");
    EXPECT_EQ(file.transformed.text(TransformScope::fullPath), "/Users/me/new/name.txt");
}

TEST(FileTest, DottedExtensionNeverDoublesTheDot) {
    FileTransform transform;
    EXPECT_EQ(transform.dottedExtension(), "");
    transform.transformedExt = ".txt";
    EXPECT_EQ(transform.dottedExtension(), ".txt");
    transform.transformedExt = "txt";
    EXPECT_EQ(transform.dottedExtension(), ".txt");
    EXPECT_EQ(joinPath("/a", "b", ".txt"), "/a/b.txt");
    EXPECT_EQ(joinPath("/a", "b", ""), "/a/b");
}

TEST(FileTest, RenameRequiredOnlyWithoutErrors) {
    File file = File::fromPath("/a/b.txt");
    EXPECT_FALSE(file.isRenameRequired());
    file.transformed.transformedName = "c";
    EXPECT_TRUE(file.isRenameRequired());
    file.validation.errors.insert("Filename cannot be empty");
    EXPECT_FALSE(file.isRenameRequired());
}

TEST(FileTest, ResetStartsFromTheSourceAndClearsMessagesButNotTheSuffix) {
    File file = File::fromPath("/a/b.txt");
    file.transformed.transformedName = "x";
    file.transformed.isSelected = false;
    file.validation.errors.insert("e");
    file.validation.warnings.insert("w");
    file.validation.uniqueSuffix = " 2";
    file.resetTransform();
    EXPECT_EQ(file.transformed.transformedName, "b");
    EXPECT_TRUE(file.transformed.isSelected);
    EXPECT_TRUE(file.validation.errors.empty());
    EXPECT_TRUE(file.validation.warnings.empty());
    EXPECT_EQ(file.validation.uniqueSuffix, " 2");
}

// Copies of a record are checked and changed apart: a copy's messages are its own.
TEST(FileTest, MessagesAreCopiedNotShared) {
    FileValidation original;
    original.errors.insert("b");
    FileValidation copy = original;
    copy.errors.insert("a");
    copy.warnings.insert("w");
    EXPECT_EQ(original.errors, std::set<std::string>{"b"});
    EXPECT_TRUE(original.warnings.empty());
    EXPECT_EQ(copy.errors, (std::set<std::string>{"a", "b"})) << "in order, like a set";
    EXPECT_NE(copy, original);
    copy = original;
    EXPECT_EQ(copy, original);
    copy.errors.clear();
    EXPECT_EQ(copy.errors, TextSet{}) << "a cleared set equals one never filled";
    copy.errors.insert("b");
    copy.errors.insert("b");
    EXPECT_EQ(copy.errors.size(), 1u);
    EXPECT_TRUE(copy.errors.contains("b") && !copy.errors.contains("a"));
}

TEST(FileTest, ParentDirectoriesCountFromTheFile) {
    const File file = File::fromPath("/home/me/Music/Album/song.mp3");
    EXPECT_EQ(file.parentDirectory(1), "Album");
    EXPECT_EQ(file.parentDirectory(4), "home");
    EXPECT_EQ(file.parentDirectory(5), "");
    EXPECT_EQ(file.parentDirectory(0), "");
}

TEST(FileTest, AttributeTextNeverAddsAPathSeparator) {
    const FileAttribute attribute("tags", "Tags", std::string("a/b:c"));
    EXPECT_EQ(*attribute.attributeValue.text(), "a:b\xEA\x9E\x89" "c");
    const FileAttribute number("n", "N", std::int64_t{3});
    EXPECT_EQ(*number.attributeValue.integer(), 3);
}

TEST(FileTest, IdsAreUniqueUuids) {
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i)
        ids.insert(makeFileId().text());
    EXPECT_EQ(ids.size(), 1000u);
    // Version 4, RFC 4122 variant, upper-case hex in the 8-4-4-4-12 layout scripts read.
    for (const std::string& id : ids)
        ASSERT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
            << id;
    // A caller may name a file by its id in either case; the empty id has no text.
    const FileId id = makeFileId();
    std::string lower = id.text();
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_TRUE(id == lower);
    EXPECT_FALSE(id == lower.substr(1));
    EXPECT_FALSE(id == makeFileId().text());
    EXPECT_TRUE(FileId().empty());
    EXPECT_EQ(FileId().text(), "");
}

} // namespace
