// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/AttributeResolver.h"

#include "tokens/FileAttributeUtil.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/GPSCache.h"
#include "tokens/gps/Geocoder.h"

#include <gtest/gtest.h>

#include <atomic>

namespace quillory {
namespace {

using Mode = AttributeResolver::Mode;

// A loader that hands out a fixed map and counts how often it was asked.
struct CountingLoader {
    AttributeMap map;
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
    AttributeResolver::Loader loader() const {
        return [map = map, calls = calls](const File&, AttributeSources) {
            ++*calls;
            return FileAttributes::loaded(map);
        };
    }
};

TokenItem attribute(std::string id) { return TokenItem::attribute(std::move(id)); }

File loadedFile(const std::string& path, AttributeMap map) {
    File file = File::fromPath(path);
    file.attributes = FileAttributes::loaded(std::move(map));
    return file;
}

AttributeMap mapOf(std::initializer_list<std::pair<const char*, AttributeValue>> values) {
    AttributeMap map;
    for (const auto& [id, value] : values)
        FileAttributeUtil::addAttribute(map, id, id, value);
    return map;
}

std::string fullText(const TokenItem& item, File file) {
    AttributeResolver resolver(Mode::full, {});
    auto text = resolver.itemText(item, file, {});
    EXPECT_TRUE(text.ok());
    return text.ok() ? *text : "<error>";
}

TEST(AttributeResolverTest, QuickModeAsksForALateUpdateWhileTheMapIsNotLoaded) {
    CountingLoader loader;
    AttributeResolver quick(Mode::quick, loader.loader());
    File file = File::fromPath("/Users/me/Photos/report.final.pdf");
    for (const char* id : {"date-modified", "GPS-AddressCity", "id3-artist", "some-unknown-id"}) {
        auto text = quick.rawText(attribute(id), file, {});
        ASSERT_FALSE(text.ok()) << id;
        EXPECT_TRUE(text.error().isLateUpdateRequired()) << id;
    }
    EXPECT_EQ(*loader.calls, 0);
    EXPECT_EQ(file.attributes.state, FileAttributes::State::notLoaded);
    // Literal items and the values the path gives need no attributes.
    EXPECT_EQ(*quick.rawText(TokenItem::text("abc"), file, {}), "abc");
    EXPECT_EQ(*quick.rawText(attribute("original-filename"), file, {}), "report.final");
    EXPECT_EQ(*quick.rawText(attribute("parent-directory-1"), file, {}), "Photos");

    // A map read from the file system alone still lacks the image's values.
    file.attributes = FileAttributes::loaded({}, AttributeSources::fileSystem);
    EXPECT_EQ(*quick.rawText(attribute("date-modified"), file, {}), "");
    EXPECT_TRUE(quick.rawText(attribute("GPS-AddressCity"), file, {}).error().isLateUpdateRequired());
}

TEST(AttributeResolverTest, FullModeLoadsTheMapOnDemandOnce) {
    CountingLoader loader;
    loader.map = mapOf({{"{TIFF}.Make", "Canon"}});
    AttributeResolver full(Mode::full, loader.loader());
    File file = File::fromPath("/Users/me/Photos/report.final.pdf");

    EXPECT_EQ(*full.rawText(attribute("original-filename"), file, {}), "report.final");
    EXPECT_EQ(*loader.calls, 0);
    EXPECT_EQ(*full.rawText(attribute("{TIFF}.Make"), file, {}), "Canon");
    EXPECT_EQ(file.attributes.state, FileAttributes::State::loaded);
    EXPECT_EQ(*full.rawText(attribute("{Exif}.FNumber"), file, {}), "");
    EXPECT_EQ(*loader.calls, 1);

    // Without a loader the computed ids still resolve; nothing is left for later.
    AttributeResolver bare(Mode::full, {});
    File unread = File::fromPath("/Users/me/Photos/a.jpg");
    EXPECT_EQ(*bare.rawText(attribute("parent-directory-1"), unread, {}), "Photos");
    EXPECT_EQ(*bare.rawText(attribute("{TIFF}.Make"), unread, {}), "");
}

TEST(AttributeResolverTest, ComputedIdsForNameAndParentDirectories) {
    const File file = loadedFile("/Users/me/Photos/a.jpg", {});
    EXPECT_EQ(fullText(attribute("parent-directory-1"), file), "Photos");
    EXPECT_EQ(fullText(attribute("parent-directory-3"), file), "Users");
    EXPECT_EQ(fullText(attribute("parent-directory-9"), file), "");
    for (const char* bad : {"parent-directory-0", "parent-directory-", "parent-directory-x", "parent-directory--1",
                            "parent-directory-99999999999999999999"})
        EXPECT_EQ(fullText(attribute(bad), file), "") << bad;
    EXPECT_EQ(fullText(attribute("no-such-attribute"), file), "");
    // A value in the map wins over the computed one.
    EXPECT_EQ(fullText(attribute("original-filename"), loadedFile("/x/a.jpg", mapOf({{"original-filename", "b"}}))),
              "b");
}

TEST(AttributeResolverTest, PrefixAndSuffixOnlyAroundNonEmptyValues) {
    TokenItem present = attribute("{TIFF}.Model");
    present.prefix = "(";
    present.suffix = ")";
    TokenItem missing = present;
    missing.value = "{TIFF}.Make";
    File file = loadedFile("/x/a.jpg", mapOf({{"{TIFF}.Model", "X-T3"}}));

    AttributeResolver full(Mode::full, {});
    TokenString tokens({TokenItem::text("img"), missing, present});
    EXPECT_EQ(*full.text(tokens, file, {}), "img(X-T3)");
}

TEST(AttributeResolverTest, ImageDateTextsAreReformattedOrDropped) {
    TokenItem item = attribute("{Exif}.DateTimeOriginal");
    const auto taken = [&](const char* text) {
        return fullText(item, loadedFile("/x/a.jpg", mapOf({{"{Exif}.DateTimeOriginal", text}})));
    };
    // Stored sanitised: "2021꞉05꞉03 14꞉22꞉11".
    EXPECT_EQ(taken("2021:05:03 14:22:11"), "2021-05-03 142211");
    EXPECT_EQ(taken("2021:05:03  14:22:11"), "2021-05-03 142211");
    item.dateFormat = "dd.MM.yy";
    EXPECT_EQ(taken("2021:05:03 14:22:11"), "03.05.21");
    // Not a date in that pattern: the empty text, not the raw text.
    for (const char* notADate : {"yesterday", "2021:05:03", "2021/05/03 14:22:11", "2021:13:03 14:22:11",
                                 "0000:00:00 00:00:00", "2021:05:03 14:22:11 extra"})
        EXPECT_EQ(taken(notADate), "") << notADate;
    // Audio ids with "date" in them keep their text.
    TokenItem flacDate = attribute("FLAC-Date");
    EXPECT_EQ(fullText(flacDate, loadedFile("/x/a.flac", mapOf({{"FLAC-Date", "2021-05"}}))), "2021-05");
}

TEST(AttributeResolverTest, NumbersArePaddedToTheirDigits) {
    TokenItem item = attribute("PixelWidth");
    item.numberDigits = 4;
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", 3}}))), "0003");
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", 3.9}}))), "0003");
    item.numberDigits = 2;
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", 2.8}}))), "02");
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", 123}}))), "123");
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", -7}}))), "-7");
    // An absurd width from a hand-edited recipe stays bounded.
    item.numberDigits = 1'000'000'000;
    EXPECT_EQ(fullText(item, loadedFile("/x/a.jpg", mapOf({{"PixelWidth", 7}}))).size(), 255u);
}

TEST(AttributeResolverTest, TrackAndDiscNumbersArePaddedPairs) {
    auto track = [](const char* id, const char* value, int digits = 2) {
        TokenItem item = attribute(id);
        item.numberDigits = digits;
        return fullText(item, loadedFile("/x/a.mp3", mapOf({{id, value}})));
    };
    EXPECT_EQ(track("id3-track", "3/12"), "03-12"); // stored as "3:12"
    EXPECT_EQ(track("id3-disk", "1 of 2"), "01-02");
    EXPECT_EQ(track("id3-track-number", "3"), "03");
    EXPECT_EQ(track("id3-track", "3/12", 3), "003-012");
    EXPECT_EQ(track("id3-track", "side A"), "side A");
    EXPECT_EQ(track("id3-track", "3/"), "3:");
    EXPECT_EQ(track("id3-track", "1/2/3"), "1:2:3");
    // Other ids keep their text even when it looks like a pair.
    EXPECT_EQ(track("id3-title", "3/12"), "3:12");
}

TEST(AttributeResolverTest, ListsTextsAndUnsupportedValues) {
    EXPECT_EQ(fullText(attribute("tags"), loadedFile("/x/a", mapOf({{"tags", AttributeValue::List{"red", "blue"}}}))),
              "red,blue");
    // A list placed in the map directly is joined at printing time.
    AttributeMap map;
    map["{IPTC}.Keywords"] = FileAttribute("{IPTC}.Keywords", "Keywords", AttributeValue::List{"a:b", "c", 4});
    EXPECT_EQ(fullText(attribute("{IPTC}.Keywords"), loadedFile("/x/a.jpg", map)), "a:b,c,4");
    EXPECT_EQ(fullText(attribute("{TIFF}.Artist"), loadedFile("/x/a.jpg", mapOf({{"{TIFF}.Artist", "AC/DC: Live"}}))),
              "AC:DC\xEA\x9E\x89 Live");
    map["odd"] = FileAttribute("odd", "odd", AttributeValue());
    EXPECT_EQ(fullText(attribute("odd"), loadedFile("/x/a.jpg", map)), "");
    // Dates print with the item's pattern.
    TokenItem date = attribute("date-modified");
    date.dateFormat = "yyyy";
    EXPECT_EQ(fullText(date, loadedFile("/x/a", mapOf({{"date-modified", Date(std::chrono::hours(24 * 366))}}))),
              "1971");
}

TEST(AttributeResolverTest, CoordinatesPrintWithTheirReferenceLetter) {
    const AttributeMap map = mapOf({{"{GPS}.Latitude", 52.3702},
                                    {"{GPS}.LatitudeRef", "S"},
                                    {"{GPS}.Longitude", 4.9},
                                    {"{GPS}.LongitudeRef", "W"},
                                    {"{GPS}.Altitude", 2.5}});
    TokenItem latitude = attribute("{GPS}.Latitude");
    latitude.gpsFormat = 1;
    EXPECT_EQ(fullText(latitude, loadedFile("/x/a.jpg", map)), "-52.3702");
    latitude.gpsFormat = 0;
    EXPECT_EQ(fullText(latitude, loadedFile("/x/a.jpg", map)), "52° 22' 12.72'' S");
    TokenItem longitude = attribute("{GPS}.Longitude");
    longitude.gpsFormat = 2;
    EXPECT_EQ(fullText(longitude, loadedFile("/x/a.jpg", map)), "-4.9");
    // Other numbers of the GPS dictionary are plain numbers.
    EXPECT_EQ(fullText(attribute("{GPS}.Altitude"), loadedFile("/x/a.jpg", map)), "02");
}

class FixedGeocoder : public Geocoder {
public:
    explicit FixedGeocoder(GeocoderAnswer answer) : answer_(std::move(answer)) {}
    GeocoderAnswer reverseGeocode(double, double, std::stop_token) override {
        ++calls;
        return answer_;
    }
    std::atomic<int> calls{0};

private:
    GeocoderAnswer answer_;
};

TEST(AttributeResolverTest, AddressTokensComeFromTheCacheInQuickModeAndTheGeocoderInFullMode) {
    Placemark placemark;
    placemark.locality = "Amsterdam";
    placemark.country = "Nederland/NL";
    auto geocoder = std::make_shared<FixedGeocoder>(GeocoderAnswer::found(placemark));
    auto gps = std::make_shared<GPSAddressResolver>(std::make_shared<GPSCache>(), geocoder);
    AttributeResolver quick(Mode::quick, {}, gps);
    AttributeResolver full(Mode::full, {}, gps);

    File photo = loadedFile("/x/a.jpg", mapOf({{"{GPS}.Latitude", 52.370216},
                                               {"{GPS}.LatitudeRef", "N"},
                                               {"{GPS}.Longitude", 4.895168},
                                               {"{GPS}.LongitudeRef", "E"}}));
    auto pending = quick.rawText(attribute("GPS-AddressCity"), photo, {});
    ASSERT_FALSE(pending.ok());
    EXPECT_TRUE(pending.error().isLateUpdateRequired());
    EXPECT_EQ(geocoder->calls, 0);

    EXPECT_EQ(*full.rawText(attribute("GPS-AddressCity"), photo, {}), "Amsterdam");
    EXPECT_EQ(*quick.rawText(attribute("GPS-AddressCountry"), photo, {}), "Nederland:NL");
    EXPECT_EQ(geocoder->calls, 1);

    // Without coordinates there is nothing to look up, in either mode.
    File plain = loadedFile("/x/b.jpg", mapOf({{"{GPS}.Latitude", 52.370216}, {"{GPS}.LatitudeRef", "N"}}));
    EXPECT_EQ(*quick.rawText(attribute("GPS-AddressCity"), plain, {}), "");
    EXPECT_EQ(*full.rawText(attribute("GPS-AddressCity"), plain, {}), "");
    EXPECT_EQ(geocoder->calls, 1);
    // Without a GPS resolver the address tokens are empty.
    AttributeResolver bare(Mode::quick, {});
    EXPECT_EQ(*bare.rawText(attribute("GPS-AddressCity"), photo, {}), "");
}

TEST(AttributeResolverTest, AFailedAddressLookupStopsTheFullTransformWithTheGeocoderMessage) {
    auto geocoder = std::make_shared<FixedGeocoder>(GeocoderAnswer::failure(8, "no result"));
    auto gps = std::make_shared<GPSAddressResolver>(std::make_shared<GPSCache>(), geocoder);
    AttributeResolver full(Mode::full, {}, gps);
    File photo = loadedFile("/x/a.jpg", mapOf({{"{GPS}.Latitude", 1.0},
                                               {"{GPS}.LatitudeRef", "S"},
                                               {"{GPS}.Longitude", 2.0},
                                               {"{GPS}.LongitudeRef", "W"}}));
    auto text = full.rawText(attribute("GPS-AddressStreet"), photo, {});
    ASSERT_FALSE(text.ok());
    EXPECT_TRUE(text.error().isFatal());
    EXPECT_EQ(text.error().messageText, "The geocode request yielded no result. (8)");
    EXPECT_EQ(text.error().informativeText, "The rest of the files will be renamed without GPS Address information.");
}

} // namespace
} // namespace quillory
