// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/FileAttributeUtil.h"

#include "MetadataTestSupport.h"
#include "tokens/AttributeResolver.h"
#include "model/TokenDetailsList.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/xattr.h>

#include <cmath>
#include <fstream>
#include <set>

namespace quillory {
namespace {

using test::TempDir;

const nlohmann::json& expectedCorpus() {
    static const nlohmann::json json = [] {
        std::ifstream in(std::filesystem::path(test::kCorpusDir) / "expected.json");
        return nlohmann::json::parse(in);
    }();
    return json;
}

const nlohmann::json& normalized(const std::string& name) { return expectedCorpus()["files"][name]["normalized"]; }

std::shared_ptr<const TokenDetailsList> catalogue() {
    static const auto shared = std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded());
    return shared;
}

// One reader for all: its worker processes are started once.
const FileAttributeUtil& reader() {
    static const FileAttributeUtil shared(catalogue());
    return shared;
}

// A corpus file copied into the folder and read into a loaded File, as the preloader does.
File readCorpusFile(const TempDir& dir, const std::string& name) {
    File file = File::fromPath(test::copyCorpusFile(dir, name).string());
    file.attributes = reader().load(file);
    return file;
}

std::string render(File& file, const std::string& id, const std::string& dateFormat = "yyyy-MM-dd'T'HH:mm:ss",
                   int gpsFormat = 0) {
    TokenItem item = TokenItem::attribute(id);
    item.dateFormat = dateFormat;
    item.gpsFormat = gpsFormat;
    AttributeResolver resolver(AttributeResolver::Mode::quick, {});
    auto text = resolver.rawText(item, file, {});
    EXPECT_TRUE(text.ok()) << id;
    return text.ok() ? *text : "<error>";
}

std::set<std::string> ids(const File& file) {
    std::set<std::string> result;
    for (const auto& [id, attribute] : file.attributes.attributes)
        result.insert(id);
    return result;
}

const std::set<std::string> kFileSystemIds = {"date-created", "date-modified", "date-content-access", "tags"};

TEST(FileAttributeUtilTest, ImageDatesMakeAndModelMatchTheCorpus) {
    TempDir dir;
    for (const char* name : {"img_dates_only.jpg", "img_gps_amsterdam.jpg", "img_gps_sydney.jpg",
                             "img_gps_newyork.jpg", "img_exif.png", "img_exif.tif", "img_exif.heic"}) {
        SCOPED_TRACE(name);
        File file = readCorpusFile(dir, name);
        const auto& expected = normalized(name);
        EXPECT_EQ(render(file, "{Exif}.DateTimeOriginal"), expected["datetime_original"].get<std::string>());
        if (expected.contains("make")) {
            EXPECT_EQ(render(file, "{TIFF}.Make"), expected["make"].get<std::string>());
            EXPECT_EQ(render(file, "{TIFF}.Model"), expected["model"].get<std::string>());
        } else {
            EXPECT_EQ(file.attributes.attributes.count("{TIFF}.Make"), 0u);
        }
        // The label of a dictionary value is its sub-key.
        EXPECT_EQ(file.attributes.attributes.at("{Exif}.DateTimeOriginal").label, "DateTimeOriginal");
    }
}

TEST(FileAttributeUtilTest, GpsInFourHemispheresMatchesTheCorpus) {
    TempDir dir;
    for (const char* name :
         {"img_gps_amsterdam.jpg", "img_gps_sydney.jpg", "img_gps_newyork.jpg", "img_exif.tif", "img_exif.heic"}) {
        SCOPED_TRACE(name);
        File file = readCorpusFile(dir, name);
        const auto& expected = normalized(name);
        // Stored unsigned, with the hemisphere in the reference letter.
        const double latitude = std::stod(render(file, "{GPS}.Latitude", {}, 1));
        const double longitude = std::stod(render(file, "{GPS}.Longitude", {}, 1));
        EXPECT_NEAR(latitude, expected["gps_lat"].get<double>(), 1e-5);
        EXPECT_NEAR(longitude, expected["gps_lon"].get<double>(), 1e-5);
        EXPECT_EQ(render(file, "{GPS}.LatitudeRef"), expected["gps_lat"].get<double>() < 0 ? "S" : "N");
        EXPECT_EQ(render(file, "{GPS}.LongitudeRef"), expected["gps_lon"].get<double>() < 0 ? "W" : "E");
        EXPECT_GT(*file.attributes.attributes.at("{GPS}.Latitude").attributeValue.real(), 0.0);
    }
    File amsterdam = readCorpusFile(dir, "img_gps_amsterdam.jpg");
    EXPECT_EQ(render(amsterdam, "{GPS}.Latitude"), "52° 22' 12.778'' N");
}

TEST(FileAttributeUtilTest, Id3TagsOfBothVersionsMatchTheCorpus) {
    TempDir dir;
    for (const char* name : {"song_id3v23.mp3", "song_id3v24.mp3"}) {
        SCOPED_TRACE(name);
        File file = readCorpusFile(dir, name);
        const auto& expected = normalized(name);
        EXPECT_EQ(render(file, "id3-title"), expected["title"].get<std::string>());
        EXPECT_EQ(render(file, "id3-artist"), expected["artist"].get<std::string>());
        EXPECT_EQ(render(file, "id3-album"), expected["album"].get<std::string>());
        EXPECT_EQ(render(file, "id3-genre"), expected["genre"].get<std::string>());
        const std::string track = AttributeResolver::formatNumber(expected["track"].get<int>(), 2);
        const std::string total = AttributeResolver::formatNumber(expected["track_total"].get<int>(), 2);
        EXPECT_EQ(render(file, "id3-track"), track + "-" + total);
        EXPECT_EQ(render(file, "id3-track-number"), track);
        EXPECT_EQ(render(file, "id3-track-total"), total);
        EXPECT_EQ(render(file, "id3-disk"), AttributeResolver::formatNumber(expected["disc"].get<int>(), 2) + "-" +
                                                AttributeResolver::formatNumber(expected["disc_total"].get<int>(), 2));
    }
    File v23 = readCorpusFile(dir, "song_id3v23.mp3");
    EXPECT_EQ(render(v23, "id3-track"), "03-12");
    EXPECT_EQ(render(v23, "id3-year"), "2019");
    File v24 = readCorpusFile(dir, "song_id3v24.mp3");
    EXPECT_EQ(render(v24, "id3-recording-time"), "2022-03-04");
}

TEST(FileAttributeUtilTest, M4aAndMp4ItemsMatchTheCorpus) {
    TempDir dir;
    File m4a = readCorpusFile(dir, "song_itunes.m4a");
    const auto& song = normalized("song_itunes.m4a");
    EXPECT_EQ(render(m4a, "id3-title"), song["title"].get<std::string>());
    EXPECT_EQ(render(m4a, "id3-artist"), song["artist"].get<std::string>());
    EXPECT_EQ(render(m4a, "id3-album"), song["album"].get<std::string>());
    EXPECT_EQ(render(m4a, "id3-genre"), song["genre"].get<std::string>());
    EXPECT_EQ(render(m4a, "id3-year"), song["date"].get<std::string>());
    EXPECT_EQ(render(m4a, "id3-track"), "03-12");
    EXPECT_EQ(render(m4a, "id3-disk"), "01-02");
    // The parts of the pairs, as an MP3's split frames give them.
    EXPECT_EQ(render(m4a, "id3-track-number"), AttributeResolver::formatNumber(song["track"].get<int>(), 2));
    EXPECT_EQ(render(m4a, "id3-track-total"), AttributeResolver::formatNumber(song["track_total"].get<int>(), 2));
    EXPECT_EQ(render(m4a, "id3-disk-number"), AttributeResolver::formatNumber(song["disc"].get<int>(), 2));
    EXPECT_EQ(render(m4a, "id3-disk-total"), AttributeResolver::formatNumber(song["disc_total"].get<int>(), 2));

    File mp4 = readCorpusFile(dir, "clip_itunes.mp4");
    const auto& clip = normalized("clip_itunes.mp4");
    EXPECT_EQ(render(mp4, "id3-title"), clip["title"].get<std::string>());
    EXPECT_EQ(render(mp4, "id3-track"), "02-09");
    EXPECT_EQ(render(mp4, "id3-track-number"), "02");
    // A full timestamp is kept as a date and printed with the item's pattern (tests run in UTC).
    EXPECT_EQ(render(mp4, "id3-year", "yyyy-MM-dd'T'HH:mm:ss'Z'"), clip["date"].get<std::string>());
}

TEST(FileAttributeUtilTest, FlacCommentsMatchTheCorpus) {
    TempDir dir;
    File flac = readCorpusFile(dir, "song_vorbis.flac");
    const auto& expected = normalized("song_vorbis.flac");
    EXPECT_EQ(render(flac, "FLAC-Title"), expected["title"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Artist"), expected["artist"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Album"), expected["album"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Genre"), expected["genre"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Tracknumber"), expected["track_raw"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Date"), expected["date"].get<std::string>());
    EXPECT_EQ(render(flac, "FLAC-Tracktotal"), "12");
    EXPECT_EQ(render(flac, "FLAC-Discnumber"), "01");
    EXPECT_EQ(flac.attributes.attributes.count("FLAC-Comment"), 0u); // "a=b" splits into three pieces
}

TEST(FileAttributeUtilTest, FilesWithoutUsableMetadataGiveOnlyFileSystemValues) {
    TempDir dir;
    for (const char* name : {"img_noexif.jpg", "song_notag.mp3", "song_nocomments.flac", "truncated.flac",
                             "not_a_flac.flac"}) {
        SCOPED_TRACE(name);
        const File file = readCorpusFile(dir, name);
        EXPECT_TRUE(file.attributes.isLoaded());
        EXPECT_EQ(file.attributes.attributes.count("date-modified"), 1u);
        for (const auto& id : ids(file))
            EXPECT_TRUE(kFileSystemIds.count(id) > 0 || id == "PixelWidth" || id == "PixelHeight" ||
                        id == "DPIWidth" || id == "DPIHeight" || id == "Depth" || id == "ColorModel" ||
                        id == "Orientation")
                << id;
    }
    // A cut tag keeps the frame before the cut and what is left of the frame it cuts, nothing more.
    const File cut = readCorpusFile(dir, "truncated_id3.mp3");
    EXPECT_EQ(cut.attributes.attributes.count("id3-title"), 1u);
    for (const auto& id : ids(cut))
        EXPECT_TRUE(kFileSystemIds.count(id) > 0 || id == "id3-title" || id == "id3-artist") << id;
}

TEST(FileAttributeUtilTest, FileSystemDatesAndTagsFromTheExtendedAttribute) {
    TempDir dir;
    const auto path = dir.write("tagged.txt", "x");
    const std::string tags = "red,blue";
    const bool tagged = ::setxattr(path.c_str(), "user.xdg.tags", tags.data(), tags.size(), 0) == 0;
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400));

    File file = File::fromPath(path.string());
    file.attributes = reader().load(file);
    const auto& map = file.attributes.attributes;
    ASSERT_EQ(map.count("date-modified"), 1u);
    EXPECT_EQ(map.count("date-added-to-directory"), 0u); // not recorded on Linux
    const auto age = std::chrono::system_clock::now() - *map.at("date-modified").attributeValue.date();
    EXPECT_NEAR(std::chrono::duration_cast<std::chrono::hours>(age).count(), 24 * 400, 1);
    EXPECT_EQ(map.at("date-modified").label, "date-modified");
    if (!tagged)
        GTEST_SKIP() << "no user extended attributes on this file system";
    EXPECT_EQ(*map.at("tags").attributeValue.text(), "red,blue");
    EXPECT_EQ(render(file, "tags"), "red,blue");
}

TEST(FileAttributeUtilTest, AMissingFileGivesAnEmptyLoadedMapAndFoldersNoMetadata) {
    TempDir dir;
    File gone = File::fromPath((dir.path() / "gone.jpg").string());
    const FileAttributes attributes = reader().load(gone);
    EXPECT_TRUE(attributes.isLoaded());
    EXPECT_TRUE(attributes.attributes.empty());

    File folder = File::fromUrl(fileUrlFromPath(dir.mkdir("album.flac").string(), true));
    const auto map = reader().readAttributes(FileAttributeUtil::pathOf(folder));
    EXPECT_EQ(map.count("date-modified"), 1u);
    for (const auto& [id, attribute] : map)
        EXPECT_TRUE(kFileSystemIds.count(id) > 0) << id;
}

TEST(FileAttributeUtilTest, AddingKeepsTheFirstValueJoinsListsAndSanitisesTexts) {
    AttributeMap map;
    FileAttributeUtil::addAttribute(map, "id3-title", "id3-title", "AC/DC: Back");
    FileAttributeUtil::addAttribute(map, "id3-title", "id3-title", "ignored");
    FileAttributeUtil::addAttribute(map, "tags", "tags", AttributeValue::List{"a/b", "c:d", 3});
    FileAttributeUtil::addAttribute(map, "PixelWidth", "PixelWidth", 640);
    EXPECT_EQ(*map.at("id3-title").attributeValue.text(), "AC:DC\xEA\x9E\x89 Back");
    EXPECT_EQ(*map.at("tags").attributeValue.text(), "a:b,c\xEA\x9E\x89" "d,3");
    EXPECT_EQ(*map.at("PixelWidth").attributeValue.integer(), 640);
}

TEST(FileAttributeUtilTest, PathOfDecodesTheSourceUrl) {
    EXPECT_EQ(FileAttributeUtil::pathOf(File::fromUrl("file:///home/me/a%20b%25.txt")), "/home/me/a b%.txt");
    EXPECT_EQ(FileAttributeUtil::pathOf(File::fromPath("/home/me/caf\xC3\xA9.jpg")), "/home/me/caf\xC3\xA9.jpg");
}

TEST(FileAttributeUtilSourcesTest, ReadsOnlyTheSourcesAskedFor) {
    TempDir dir;
    const File file = File::fromPath(test::copyCorpusFile(dir, "img_gps_newyork.jpg").string());
    const FileAttributes nothing = reader().load(file, {});
    EXPECT_TRUE(nothing.isLoaded());
    EXPECT_TRUE(nothing.attributes.empty());

    const FileAttributes dates = reader().load(file, AttributeSources::fileSystem);
    EXPECT_EQ(dates.attributes.count("date-modified"), 1u);
    EXPECT_EQ(dates.attributes.count("{TIFF}.Model"), 0u);
    EXPECT_TRUE(dates.covers(AttributeSources::fileSystem));
    EXPECT_FALSE(dates.covers(AttributeSources::image));

    const FileAttributes image = reader().load(file, AttributeSources::image);
    EXPECT_EQ(image.attributes.count("date-modified"), 0u);
    EXPECT_EQ(image.attributes.count("{TIFF}.Model"), 1u);
}

} // namespace
} // namespace quillory
