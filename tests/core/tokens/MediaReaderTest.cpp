// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MediaReader.h"

#include "app/Logger.h"
#include "MetadataTestSupport.h"

#include <gtest/gtest.h>

using namespace quillory;
using quillory::test::TempDir;

TEST(MediaReaderTest, Mp3FramesAsId3Items) {
    TempDir dir;
    auto v23 = readMediaMetadata(test::copyCorpusFile(dir, "song_id3v23.mp3"));
    EXPECT_EQ(test::entryText(v23, "id3/TIT2"), "Über den Wolken ♫");
    EXPECT_EQ(test::entryText(v23, "id3/TPE1"), "Café Tacvba");
    EXPECT_EQ(test::entryText(v23, "id3/TRCK"), "3/12");
    // The library upgrades v2.3 frames to their v2.4 names: the year comes as "TDRC". Our own ID3 reader
    // reports the frame as stored ("TYER").
    EXPECT_EQ(test::entryText(v23, "id3/TDRC"), "2019");

    auto v24 = readMediaMetadata(test::copyCorpusFile(dir, "song_id3v24.mp3", "SONG.MP3"));
    EXPECT_EQ(test::entryText(v24, "id3/TIT2"), "Naïve Melody 日本");
    // An ISO date without a time is not a timestamp and stays text.
    EXPECT_EQ(test::entryText(v24, "id3/TDRC"), "2022-03-04");
}

TEST(MediaReaderTest, M4aAtomsWithPercentEncodedCopyrightSign) {
    TempDir dir;
    auto entries = readMediaMetadata(test::copyCorpusFile(dir, "song_itunes.m4a"));
    EXPECT_EQ(test::entryText(entries, "itsk/%A9nam"), "Canción de Prueba");
    EXPECT_EQ(test::entryText(entries, "itsk/%A9ART"), "Zoë Keating");
    EXPECT_EQ(test::entryText(entries, "itsk/%A9alb"), "Into the Trees");
    EXPECT_EQ(test::entryText(entries, "itsk/%A9gen"), "Classical");
    EXPECT_EQ(test::entryText(entries, "itsk/%A9day"), "2020");
    EXPECT_EQ(test::entryText(entries, "itsk/trkn"), "3/12");
    EXPECT_EQ(test::entryText(entries, "itsk/disk"), "1/2");
}

TEST(MediaReaderTest, Mp4ClipTimestampBecomesADate) {
    TempDir dir;
    auto entries = readMediaMetadata(test::copyCorpusFile(dir, "clip_itunes.mp4"));
    EXPECT_EQ(test::entryText(entries, "itsk/%A9nam"), "Vidéo Clip");
    EXPECT_EQ(test::entryText(entries, "itsk/trkn"), "2/9");
    EXPECT_EQ(test::entryText(entries, "itsk/disk"), "1/1");
    const AttributeValue* day = test::findEntry(entries, "itsk/%A9day");
    ASSERT_NE(day, nullptr);
    ASSERT_NE(day->date(), nullptr);
    // 2018-05-06T07:08:09Z
    EXPECT_EQ(day->date()->time_since_epoch(), std::chrono::milliseconds(1525590489000LL));
}

TEST(MediaReaderTest, OtherExtensionsAndBrokenFilesGiveNothingQuietly) {
    TempDir dir;
    Logger::setSink(LogSink::off);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(readMediaMetadata(test::copyCorpusFile(dir, "song_vorbis.flac")).empty());
    EXPECT_TRUE(readMediaMetadata(test::copyCorpusFile(dir, "song_id3v23.mp3", "song.ogg")).empty());
    EXPECT_TRUE(readMediaMetadata(test::copyCorpusFile(dir, "not_a_flac.flac", "text.mp3")).empty());
    EXPECT_TRUE(readMediaMetadata(test::copyCorpusFile(dir, "not_a_flac.flac", "text.m4a")).empty());
    EXPECT_TRUE(readMediaMetadata(test::copyCorpusFile(dir, "truncated.flac", "cut.mp4")).empty());
    EXPECT_TRUE(readMediaMetadata(dir.path() / "missing.mp3").empty());
    readMediaMetadata(test::copyCorpusFile(dir, "truncated_id3.mp3")); // whatever is readable, no crash
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    Logger::setSink(LogSink::standardStreams);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}
