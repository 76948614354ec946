// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/FlacReader.h"

#include "MetadataTestSupport.h"

#include <gtest/gtest.h>

using namespace quillory;
using quillory::test::TempDir;

namespace {

std::string block(int type, const std::string& data, bool last, std::uint32_t declaredLength = 0) {
    std::uint32_t length = declaredLength ? declaredLength : std::uint32_t(data.size());
    return test::bigEndian32((last ? 0x80000000u : 0u) | (std::uint32_t(type) << 24) | length) + data;
}

std::string vorbisComments(const std::vector<std::string>& comments, std::uint32_t declaredCount = 0) {
    std::string data = test::littleEndian32(6) + "vendor";
    data += test::littleEndian32(declaredCount ? declaredCount : std::uint32_t(comments.size()));
    for (const auto& comment : comments)
        data += test::littleEndian32(std::uint32_t(comment.size())) + comment;
    return data;
}

std::vector<MetadataEntry> entriesOf(const std::string& bytes) {
    TempDir dir;
    return readFlac(dir.write("t.flac", bytes));
}

} // namespace

TEST(FlacReaderTest, CommentsAreTypedAsNumberOrText) {
    TempDir dir;
    auto entries = readFlac(test::copyCorpusFile(dir, "song_vorbis.flac"));
    EXPECT_EQ(test::entryText(entries, "FLAC-Title"), "Fête de la Musique");
    EXPECT_EQ(test::entryText(entries, "FLAC-Artist"), "Björk");
    EXPECT_EQ(test::entryText(entries, "FLAC-Album"), "Homogenic");
    EXPECT_EQ(test::entryText(entries, "FLAC-Genre"), "Pop");
    EXPECT_EQ(test::entryText(entries, "FLAC-Tracknumber"), "05"); // a leading zero keeps it text
    ASSERT_NE(test::findEntry(entries, "FLAC-Date"), nullptr);
    EXPECT_EQ(*test::findEntry(entries, "FLAC-Date"), AttributeValue(std::int64_t(2021)));
    EXPECT_EQ(*test::findEntry(entries, "FLAC-Tracktotal"), AttributeValue(std::int64_t(12)));
    EXPECT_EQ(*test::findEntry(entries, "FLAC-Discnumber"), AttributeValue(std::int64_t(1)));
    // "COMMENT=a=b" splits into three pieces and is not used.
    EXPECT_EQ(test::findEntry(entries, "FLAC-Comment"), nullptr);
    EXPECT_EQ(entries.size(), 8u);
}

TEST(FlacReaderTest, BlocksOfTheCorpusFiles) {
    TempDir dir;
    FlacMetadata tagged = readFlacMetadata(test::copyCorpusFile(dir, "song_vorbis.flac"));
    EXPECT_TRUE(tagged.isFlac);
    ASSERT_TRUE(tagged.metadata.count(MetadataBlockType::STREAMINFO));
    EXPECT_EQ(tagged.metadata[MetadataBlockType::STREAMINFO].data.size(), 34u);
    EXPECT_TRUE(tagged.metadata.count(MetadataBlockType::VORBISCOMMENT));

    FlacMetadata empty = readFlacMetadata(test::copyCorpusFile(dir, "song_nocomments.flac"));
    EXPECT_TRUE(empty.isFlac);
    EXPECT_TRUE(empty.metadata.count(MetadataBlockType::VORBISCOMMENT));
    EXPECT_TRUE(readFlac(test::copyCorpusFile(dir, "song_nocomments.flac")).empty());
}

TEST(FlacReaderTest, TruncatedAndFakeFilesGiveWhatCanBeRead) {
    TempDir dir;
    FlacMetadata truncated = readFlacMetadata(test::copyCorpusFile(dir, "truncated.flac"));
    EXPECT_TRUE(truncated.isFlac);
    EXPECT_TRUE(truncated.metadata.count(MetadataBlockType::STREAMINFO));
    EXPECT_TRUE(truncated.metadata.count(MetadataBlockType::SEEKTABLE));
    EXPECT_FALSE(truncated.metadata.count(MetadataBlockType::VORBISCOMMENT));
    EXPECT_TRUE(readFlac(test::copyCorpusFile(dir, "truncated.flac")).empty());

    FlacMetadata fake = readFlacMetadata(test::copyCorpusFile(dir, "not_a_flac.flac"));
    EXPECT_FALSE(fake.isFlac);
    EXPECT_TRUE(fake.metadata.empty());
    EXPECT_TRUE(readFlac(dir.path() / "missing.flac").empty());
}

TEST(FlacReaderTest, BlockLengthPastTheEndKeepsEarlierBlocks) {
    TempDir dir;
    std::string bytes = "fLaC" + block(0, std::string(34, '\1'), false) +
                        block(4, vorbisComments({"TITLE=x"}), true, 0xFFFFFF);
    FlacMetadata flac = readFlacMetadata(dir.write("cut.flac", bytes));
    EXPECT_TRUE(flac.metadata.count(MetadataBlockType::STREAMINFO));
    EXPECT_FALSE(flac.metadata.count(MetadataBlockType::VORBISCOMMENT));
}

TEST(FlacReaderTest, CommentCountsAndLengthsAreBoundedByTheBlock) {
    // A huge comment count with one real comment: the comment is read, nothing more is attempted.
    auto counted = entriesOf("fLaC" + block(4, vorbisComments({"ARTIST=A"}, 0xFFFFFFFF), true));
    EXPECT_EQ(test::entryText(counted, "FLAC-Artist"), "A");

    // A comment length past the block ends the list; the comments before it stay.
    std::string data = vorbisComments({"ARTIST=A"}, 2) + test::littleEndian32(1000) + "GENRE=x";
    auto cut = entriesOf("fLaC" + block(4, data, true));
    EXPECT_EQ(cut.size(), 1u);

    std::string badVendor = test::littleEndian32(0xFFFFFFF0) + "x";
    EXPECT_TRUE(parseVorbisComments(badVendor).empty());
}

TEST(FlacReaderTest, NamesAreCapitalisedAndOnlyPlainIntegersAreNumbers) {
    auto entries = entriesOf("fLaC" + block(1, std::string(8, '\0'), false) +
                             block(4, vorbisComments({"tRaCkNuMbEr=0", "BPM=12a", "ISRC=99999999999999999999",
                                                      "EMPTY=", "=orphan", "\xFF\xFE=bad"}),
                                   true));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (MetadataEntry{"FLAC-Tracknumber", AttributeValue(std::int64_t(0))}));
    EXPECT_EQ(entries[1], (MetadataEntry{"FLAC-Bpm", AttributeValue("12a")}));
    EXPECT_EQ(entries[2], (MetadataEntry{"FLAC-Isrc", AttributeValue("99999999999999999999")}));
}
