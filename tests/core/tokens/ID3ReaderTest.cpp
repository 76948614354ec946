// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/Id3Reader.h"

#include "MetadataTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillory;
using quillory::test::TempDir;

namespace {

std::string frame(int major, const std::string& id, const std::string& body, std::uint8_t format = 0) {
    std::string size = major >= 4 ? test::synchsafe32(std::uint32_t(body.size())) : test::bigEndian32(std::uint32_t(body.size()));
    return id + size + '\0' + char(format) + body;
}

std::string tag(int major, const std::string& body, std::uint8_t flags = 0) {
    return "ID3" + std::string{char(major), '\0', char(flags)} + test::synchsafe32(std::uint32_t(body.size())) + body;
}

std::string latin1(const std::string& text) { return std::string(1, '\0') + text; }

std::vector<Id3MetadataItem> itemsOf(const std::string& bytes, const Id3KeyFilter& filter = {}) {
    TempDir dir;
    return readId3(dir.write("t.mp3", bytes + std::string(64, '\xAA')), filter).items;
}

std::string valueOf(const std::vector<Id3MetadataItem>& items, const std::string& id) {
    for (const auto& item : items)
        if (item.id == id)
            return item.value;
    return "<absent>";
}

} // namespace

TEST(ID3ReaderTest, Version23LatinOneAndUtf16WithByteOrderMark) {
    TempDir dir;
    Id3Metadata tag = readId3(test::copyCorpusFile(dir, "song_id3v23.mp3"));
    EXPECT_TRUE(tag.hasTag);
    EXPECT_EQ(tag.version, "2.3.0");
    EXPECT_EQ(valueOf(tag.items, "id3/TIT2"), "Über den Wolken ♫");
    EXPECT_EQ(valueOf(tag.items, "id3/TPE1"), "Café Tacvba");
    EXPECT_EQ(valueOf(tag.items, "id3/TALB"), "Señor Álbum");
    EXPECT_EQ(valueOf(tag.items, "id3/TYER"), "2019");
    EXPECT_EQ(valueOf(tag.items, "id3/TCON"), "Rock");
    EXPECT_EQ(valueOf(tag.items, "id3/TPOS1"), "1");
    EXPECT_EQ(valueOf(tag.items, "id3/TPOS2"), "2");
}

TEST(ID3ReaderTest, TrackPairIsSplitBeforeTheWholeText) {
    TempDir dir;
    auto items = readId3(test::copyCorpusFile(dir, "song_id3v23.mp3")).items;
    auto track = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.id == "id3/TRCK1"; });
    ASSERT_NE(track, items.end());
    ASSERT_GE(items.end() - track, 3);
    EXPECT_EQ(track[0], (Id3MetadataItem{"id3/TRCK1", "3"}));
    EXPECT_EQ(track[1], (Id3MetadataItem{"id3/TRCK2", "12"}));
    EXPECT_EQ(track[2], (Id3MetadataItem{"id3/TRCK", "3/12"}));
}

TEST(ID3ReaderTest, Version24Utf8AndComment) {
    TempDir dir;
    Id3Metadata tag = readId3(test::copyCorpusFile(dir, "song_id3v24.mp3"));
    EXPECT_EQ(tag.version, "2.4.0");
    EXPECT_EQ(valueOf(tag.items, "id3/TIT2"), "Naïve Melody 日本");
    EXPECT_EQ(valueOf(tag.items, "id3/TPE1"), "Sigur Rós");
    EXPECT_EQ(valueOf(tag.items, "id3/TALB"), "Ágætis byrjun");
    EXPECT_EQ(valueOf(tag.items, "id3/TDRC"), "2022-03-04");
    EXPECT_EQ(valueOf(tag.items, "id3/TRCK1"), "7");
    EXPECT_EQ(valueOf(tag.items, "id3/TRCK2"), "10");
    EXPECT_EQ(valueOf(tag.items, "id3/COMM"), "Nice track");
}

TEST(ID3ReaderTest, FilesWithoutTagGiveNothing) {
    TempDir dir;
    for (const char* name : {"song_notag.mp3", "song_itunes.m4a", "not_a_flac.flac"}) {
        Id3Metadata tag = readId3(test::copyCorpusFile(dir, name));
        EXPECT_FALSE(tag.hasTag) << name;
        EXPECT_TRUE(tag.items.empty()) << name;
    }
}

TEST(ID3ReaderTest, TruncatedTagKeepsTheFramesBeforeTheCut) {
    TempDir dir;
    Id3Metadata tag = readId3(test::copyCorpusFile(dir, "truncated_id3.mp3"));
    EXPECT_TRUE(tag.hasTag);
    ASSERT_EQ(tag.items.size(), 1u);
    EXPECT_EQ(tag.items[0], (Id3MetadataItem{"id3/TIT2", "Über den Wolken ♫"}));
}

TEST(ID3ReaderTest, CatalogueFilterKeepsOnlyListedItemsEvenForPairParts) {
    TempDir dir;
    std::set<std::string> keys = {"id3/TRCK1", "id3/TRCK2", "id3/TPE1"};
    auto items = readId3(test::copyCorpusFile(dir, "song_id3v23.mp3"), [&](std::string_view id) {
                     return keys.count(std::string(id)) > 0;
                 }).items;
    std::vector<Id3MetadataItem> expected = {{"id3/TPE1", "Café Tacvba"}, {"id3/TRCK1", "3"}, {"id3/TRCK2", "12"}};
    EXPECT_EQ(items, expected);
}

TEST(ID3ReaderTest, SingleNumberAndOddPairs) {
    auto items = itemsOf(tag(3, frame(3, "TPOS", latin1("1")) + frame(3, "TRCK", latin1("1/2/3"))));
    std::vector<Id3MetadataItem> expected = {
        {"id3/TPOS1", "1"}, {"id3/TPOS", "1"}, {"id3/TRCK1", "1"}, {"id3/TRCK", "1/2/3"}};
    EXPECT_EQ(items, expected);
}

// v2.3 frame sizes are plain big-endian: a 200-byte frame read as synchsafe would be 72 bytes long
// and the following frame would be lost.
TEST(ID3ReaderTest, Version23FrameSizesArePlainBigEndian) {
    std::string longTitle(199, 'x');
    auto items = itemsOf(tag(3, frame(3, "TIT2", latin1(longTitle)) + frame(3, "TPE1", latin1("After"))));
    EXPECT_EQ(valueOf(items, "id3/TIT2"), longTitle);
    EXPECT_EQ(valueOf(items, "id3/TPE1"), "After");

    auto v24 = itemsOf(tag(4, frame(4, "TIT2", latin1(longTitle)) + frame(4, "TPE1", latin1("After"))));
    EXPECT_EQ(valueOf(v24, "id3/TIT2"), longTitle);
    EXPECT_EQ(valueOf(v24, "id3/TPE1"), "After");
}

TEST(ID3ReaderTest, ExtendedHeaderIsSkipped) {
    std::string frames = frame(3, "TIT2", latin1("Title"));
    std::string v23Extended = test::bigEndian32(6) + std::string(6, '\0');
    EXPECT_EQ(valueOf(itemsOf(tag(3, v23Extended + frames, 0x40)), "id3/TIT2"), "Title");

    std::string v24Extended = test::synchsafe32(6) + std::string{'\x01', '\0'};
    EXPECT_EQ(valueOf(itemsOf(tag(4, v24Extended + frame(4, "TIT2", latin1("Title")), 0x40)), "id3/TIT2"), "Title");

    // An extended header that claims more than the tag holds gives no frames, and no crash.
    EXPECT_TRUE(itemsOf(tag(3, test::bigEndian32(5000) + frames, 0x40)).empty());
}

TEST(ID3ReaderTest, UnsynchronisedTagIsRestored) {
    // "ÿà" in Latin-1 is FF E0, a false MPEG sync that writers break up as FF 00 E0.
    std::string stored = std::string("\0a\xFF\0\xE0", 5);
    std::string v23Frame = "TIT2" + test::bigEndian32(4) + std::string(2, '\0') + stored;
    EXPECT_EQ(valueOf(itemsOf(tag(3, v23Frame + frame(3, "TPE1", latin1("B")), 0x80)), "id3/TIT2"), "aÿà");

    // v2.4 marks it per frame; the frame size counts the stored bytes.
    auto items = itemsOf(tag(4, frame(4, "TIT2", stored, 0x02) + frame(4, "TPE1", latin1("B"))));
    EXPECT_EQ(valueOf(items, "id3/TIT2"), "aÿà");
    EXPECT_EQ(valueOf(items, "id3/TPE1"), "B");
}

TEST(ID3ReaderTest, FrameRunningPastTheEndStopsCleanly) {
    std::string frames = frame(3, "TIT2", latin1("Kept")) + "TPE1" + test::bigEndian32(0x7FFFFFF0) + std::string(2, '\0');
    TempDir dir;
    auto items = readId3(dir.write("cut.mp3", tag(3, frames + "abc"))).items;
    EXPECT_EQ(items, (std::vector<Id3MetadataItem>{{"id3/TIT2", "Kept"}}));

    // A tag size far beyond the file reads what is there.
    std::string header = "ID3" + std::string{'\3', '\0', '\0'} + test::synchsafe32(0x0FFFFFFF);
    auto big = readId3(dir.write("big.mp3", header + frame(3, "TIT2", latin1("Short")))).items;
    EXPECT_EQ(big, (std::vector<Id3MetadataItem>{{"id3/TIT2", "Short"}}));
}

TEST(ID3ReaderTest, TextEncodingsAndTerminators) {
    std::string utf16le = std::string("\x01\xFF\xFE", 3) + std::string("O\0k\0\0\0", 6);
    std::string utf16be = std::string("\x02", 1) + std::string("\0B\0E\0\0", 6);
    std::string utf8 = std::string("\x03", 1) + "Ça va\0";
    std::string cp1252 = std::string("\0\x80 5\0", 5);
    std::string badMark = std::string("\x01\x12\x34", 3) + std::string("O\0", 2);
    std::string multi = std::string("\x03", 1) + std::string("Rock\0Pop\0", 9);
    auto items = itemsOf(tag(4, frame(4, "TIT2", utf16le) + frame(4, "TIT3", utf16be) + frame(4, "TPE1", utf8) +
                                    frame(4, "TPE2", cp1252) + frame(4, "TPE3", badMark) + frame(4, "TCON", multi)));
    EXPECT_EQ(valueOf(items, "id3/TIT2"), "Ok");
    EXPECT_EQ(valueOf(items, "id3/TIT3"), "BE");
    EXPECT_EQ(valueOf(items, "id3/TPE1"), "Ça va");
    EXPECT_EQ(valueOf(items, "id3/TPE2"), "€ 5");
    EXPECT_EQ(valueOf(items, "id3/TPE3"), "");
    EXPECT_EQ(valueOf(items, "id3/TCON"), "Rock, Pop");
}

TEST(ID3ReaderTest, CompressedEncryptedAndUnknownEncodingsAreSkipped) {
    auto v24 = itemsOf(tag(4, frame(4, "TIT2", latin1("zipped"), 0x08) + frame(4, "TIT3", latin1("secret"), 0x04) +
                                  frame(4, "TPE2", "\x04odd") + frame(4, "TPE1", latin1("Next"))));
    EXPECT_EQ(v24, (std::vector<Id3MetadataItem>{{"id3/TPE1", "Next"}}));

    auto v23 = itemsOf(tag(3, frame(3, "TIT2", latin1("zipped"), 0x80) + frame(3, "TIT3", latin1("secret"), 0x40) +
                                  frame(3, "TPE1", latin1("Next"))));
    EXPECT_EQ(v23, (std::vector<Id3MetadataItem>{{"id3/TPE1", "Next"}}));
}
