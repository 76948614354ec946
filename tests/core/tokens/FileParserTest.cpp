// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FileParser.h"

#include "MetadataTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <limits>

using namespace quillory;
using quillory::test::TempDir;

TEST(FileParserTest, ReadsIntegersAndAsciiTextInSequence) {
    TempDir dir;
    std::string bytes = "ID3" + test::bigEndian32(0x01020304) + test::synchsafe32(300) + std::string("\x7F", 1);
    FileParser parser(dir.write("a.bin", bytes));
    ASSERT_TRUE(parser.isOpen());
    EXPECT_EQ(parser.size(), bytes.size());
    EXPECT_EQ(parser.readAscii(3), "ID3");
    EXPECT_EQ(parser.readUInt32(), 0x01020304u);
    EXPECT_EQ(parser.readSynchsafe32(), 300u);
    EXPECT_EQ(parser.readByte(), 0x7F);
    EXPECT_EQ(parser.remaining(), 0u);
    EXPECT_FALSE(parser.readByte());
    // Text read as ASCII takes no byte with the high bit set.
    EXPECT_FALSE(FileParser(dir.write("t.bin", "I\xC3\x84")).readAscii(3));
}

TEST(FileParserTest, ReadingPastTheEndGivesNothingAndKeepsPosition) {
    TempDir dir;
    FileParser parser(dir.write("short.bin", "abcdef"));
    EXPECT_EQ(parser.readBytes(4), "abcd");
    EXPECT_FALSE(parser.readUInt32()); // two bytes left
    EXPECT_FALSE(parser.readBytes(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_FALSE(parser.skip(3));
    EXPECT_EQ(parser.position(), 4u);
    EXPECT_EQ(parser.readAtMost(1u << 30), "ef");
    EXPECT_EQ(parser.readAtMost(10), "");
}

TEST(FileParserTest, MissingFilesFoldersAndPipesAreNotOpened) {
    TempDir dir;
    FileParser missing(dir.path() / "nothing.mp3");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.readByte());
    EXPECT_EQ(missing.readAtMost(4), "");

    FileParser folder(dir.mkdir("folder.flac"));
    EXPECT_FALSE(folder.isOpen());

    // A FIFO has no writer here: opening it for reading must neither block nor be read.
    auto fifo = dir.path() / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FileParser pipe(fifo);
    EXPECT_FALSE(pipe.isOpen());
}
