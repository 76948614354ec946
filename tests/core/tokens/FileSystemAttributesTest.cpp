// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FileSystemAttributes.h"

#include "MetadataTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

using namespace quillory;
using quillory::test::TempDir;

namespace {

void setTimes(const std::filesystem::path& path, std::time_t accessed, std::time_t modified) {
    struct timespec times[2] = {{accessed, 250'000'000}, {modified, 789'000'000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

Date at(std::int64_t milliseconds) { return Date(std::chrono::milliseconds(milliseconds)); }

} // namespace

TEST(FileSystemAttributesTest, DatesFromTheFileSystem) {
    TempDir dir;
    auto file = dir.write("photo.jpg", "x");
    setTimes(file, 1000000000, 981173106); // accessed 2001-09-09, modified 2001-02-03T04:05:06.789Z
    auto attributes = readFileSystemAttributes(file);
    ASSERT_TRUE(attributes.ok());
    EXPECT_EQ(attributes->dateModified, at(981173106789LL));
    EXPECT_EQ(attributes->dateContentAccess, at(1000000000250LL));
    if (attributes->dateCreated) {
        // Birth time is when the test made the file, not the back-dated modification.
        auto age = std::chrono::system_clock::now() - *attributes->dateCreated;
        EXPECT_LT(age, std::chrono::hours(1));
        EXPECT_GT(*attributes->dateCreated, *attributes->dateModified);
    }
}

TEST(FileSystemAttributesTest, EntriesUseTheCatalogueIdsAndNeverDateAdded) {
    FileSystemAttributes attributes;
    attributes.dateModified = at(5);
    attributes.tags = std::vector<std::string>{"red", "blue"};
    auto entries = attributes.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (MetadataEntry{"date-modified", at(5)}));
    EXPECT_EQ(entries[1], (MetadataEntry{"tags", AttributeValue(AttributeValue::List{"red", "blue"})}));

    attributes.dateCreated = at(1);
    attributes.dateContentAccess = at(9);
    std::vector<std::string> ids;
    for (const auto& entry : attributes.entries())
        ids.push_back(entry.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"date-created", "date-modified", "date-content-access", "tags"}));
}

TEST(FileSystemAttributesTest, TagsFromTheExtendedAttribute) {
    TempDir dir;
    auto file = dir.write("tagged.txt", "x");
    const std::string value = "red, blue,,green ";
    if (::setxattr(file.c_str(), "user.xdg.tags", value.data(), value.size(), 0) != 0)
        GTEST_SKIP() << "no user extended attributes on this file system (errno " << errno << ")";
    auto attributes = readFileSystemAttributes(file);
    ASSERT_TRUE(attributes.ok());
    EXPECT_EQ(attributes->tags, (std::vector<std::string>{"red", "blue", "green"}));

    auto untagged = readFileSystemAttributes(dir.write("plain.txt", "x"));
    ASSERT_TRUE(untagged.ok());
    EXPECT_FALSE(untagged->tags.has_value());
}

TEST(FileSystemAttributesTest, MissingFileIsAnErrorAndDanglingLinkDescribesItself) {
    TempDir dir;
    auto missing = readFileSystemAttributes(dir.path() / "gone.txt");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("gone.txt"), std::string::npos);

    auto link = dir.path() / "dangling";
    std::filesystem::create_symlink(dir.path() / "nowhere", link);
    auto attributes = readFileSystemAttributes(link);
    ASSERT_TRUE(attributes.ok());
    EXPECT_TRUE(attributes->dateModified.has_value());
}
