// SPDX-License-Identifier: GPL-3.0-or-later
// quillory-cli over real media: photos named after their date and place, songs filed by artist and album.
#include "CliRunner.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using ::testing::UnorderedElementsAreArray;

nlohmann::json item(const std::string& type, const std::string& value,
                    nlohmann::json extra = nlohmann::json::object()) {
    extra["type"] = type;
    extra["value"] = value;
    return extra;
}

const std::vector<std::string> kSongs = {"song_id3v23.mp3", "song_id3v24.mp3", "song_vorbis.flac", "song_itunes.m4a"};

// A folder in the runner's home holding copies of corpus files.
std::filesystem::path copyCorpus(CliRunner& cli, const std::string& folder, const std::vector<std::string>& names) {
    const auto target = cli.home() / folder;
    std::filesystem::create_directories(target);
    for (const auto& name : names)
        std::filesystem::copy_file(std::filesystem::path(kCorpusDir) / name, target / name);
    return target;
}

nlohmann::json expectedCorpus() {
    return nlohmann::json::parse(readFile(std::filesystem::path(kCorpusDir) / "expected.json")).at("files");
}

TEST(CliCorpusTest, PhotosAreNamedAfterTheirDateCityAndCountry) {
    CliRunner cli;
    const auto photos =
        copyCorpus(cli, "photos", {"img_gps_amsterdam.jpg", "img_gps_newyork.jpg", "img_gps_sydney.jpg",
                                   "img_dates_only.jpg"});

    const nlohmann::json setText = {
        {"items",
         {item("attribute", "{Exif}.DateTimeOriginal", {{"dateFormat", "yyyy-MM-dd HHmmss"}}),
          item("attribute", "GPS-AddressCity", {{"prefix", " "}}),
          item("attribute", "GPS-AddressCountry", {{"prefix", ", "}})}}};
    const auto set = action("set", {{"setText", setText}});
    const auto result = cli.run({"--rename", "-a", set, photos.string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    // The date part comes from the corpus description; the places from the offline place data.
    const auto corpus = expectedCorpus();
    auto date = [&](const char* name) {
        std::string iso = corpus.at(name).at("normalized").at("datetime_original");
        iso[10] = ' ';
        std::erase(iso, ':');
        return iso;
    };
    EXPECT_THAT(listing(photos), UnorderedElementsAreArray({
                                     date("img_gps_amsterdam.jpg") + " Amsterdam, Netherlands.jpg",
                                     date("img_gps_newyork.jpg") + " New York City, United States.jpg",
                                     date("img_gps_sydney.jpg") + " Sydney, Australia.jpg",
                                     date("img_dates_only.jpg") + ".jpg",
                                 }))
        << result.out;
}

TEST(CliCorpusTest, SongsMoveIntoArtistAndAlbumFolders) {
    CliRunner cli;
    const auto music = copyCorpus(cli, "music", kSongs);

    // MP3 and M4A tags answer to the id3 tokens, FLAC comments to their own; a file has only one kind.
    const nlohmann::json suffixText = {
        {"items",
         {item("string", "/"), item("attribute", "id3-artist"), item("attribute", "FLAC-Artist"), item("string", "/"),
          item("attribute", "id3-album"), item("attribute", "FLAC-Album")}}};
    const auto intoFolders = action("suffix", {{"suffixText", suffixText}}, "path");
    const auto result = cli.run({"--rename", "-a", intoFolders, music.string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    const auto corpus = expectedCorpus();
    std::vector<std::string> expected;
    for (const auto& name : kSongs) {
        const auto& tags = corpus.at(name).at("normalized");
        expected.push_back(tags.at("artist").get<std::string>() + "/" + tags.at("album").get<std::string>() + "/" +
                           name);
    }
    EXPECT_THAT(treeListing(music), UnorderedElementsAreArray(expected)) << result.out;
}

TEST(CliCorpusTest, SongsAreNamedAfterTheirTrackNumberAndTitle) {
    CliRunner cli;
    const auto music = copyCorpus(cli, "music", kSongs);

    // The number's separator is its suffix, so that a file without a track number gets no stray space.
    const nlohmann::json setText = {
        {"items",
         {item("attribute", "id3-track-number", {{"numberDigits", 2}, {"suffix", " "}}),
          item("attribute", "FLAC-Tracknumber", {{"numberDigits", 2}, {"suffix", " "}}),
          item("attribute", "id3-title"), item("attribute", "FLAC-Title")}}};
    const auto result = cli.run({"--rename", "-a", action("set", {{"setText", setText}}), music.string()});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;

    const auto corpus = expectedCorpus();
    std::vector<std::string> expected;
    for (const auto& name : kSongs) {
        const auto& tags = corpus.at(name).at("normalized");
        // MP3, FLAC and M4A alike.
        const int track = tags.at("track").get<int>();
        const std::string number = (track < 10 ? "0" : "") + std::to_string(track) + " ";
        expected.push_back(number + tags.at("title").get<std::string>() + name.substr(name.rfind('.')));
    }
    EXPECT_THAT(listing(music), UnorderedElementsAreArray(expected)) << result.out;
}

} // namespace
} // namespace quillory::test
