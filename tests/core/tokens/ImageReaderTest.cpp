// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/ImageReader.h"

#include "app/Logger.h"
#include "MetadataTestSupport.h"

#include <gtest/gtest.h>

using namespace quillory;
using quillory::test::TempDir;

namespace {

std::string textAt(const ImageProperties& properties, const char* key, const char* subKey) {
    const AttributeValue* value = properties.value(key, subKey);
    return value && value->text() ? *value->text() : "<absent>";
}

double numberAt(const ImageProperties& properties, const char* key, const char* subKey = nullptr) {
    const AttributeValue* value = subKey ? properties.value(key, subKey) : properties.value(key);
    if (value && value->real())
        return *value->real();
    if (value && value->integer())
        return double(*value->integer());
    return -1;
}

ImageProperties readCorpusImage(const TempDir& dir, const char* name) {
    auto properties = readImageProperties(test::copyCorpusFile(dir, name));
    EXPECT_TRUE(properties.has_value()) << name;
    return properties.value_or(ImageProperties{});
}

} // namespace

TEST(ImageReaderTest, ExifDatesStayTextAsWritten) {
    TempDir dir;
    ImageProperties image = readCorpusImage(dir, "img_dates_only.jpg");
    EXPECT_EQ(textAt(image, "{Exif}", "DateTimeOriginal"), "2019:07:14 10:23:45");
    EXPECT_EQ(textAt(image, "{Exif}", "DateTimeDigitized"), "2019:07:14 10:23:45");
    EXPECT_EQ(textAt(image, "{TIFF}", "DateTime"), "2019:07:15 08:00:00");
    EXPECT_EQ(image.value("{TIFF}", "Make"), nullptr);
    EXPECT_EQ(image.dictionary("{GPS}"), nullptr);
    // Resolution unit "none": no DPI.
    EXPECT_EQ(image.value("DPIWidth"), nullptr);
}

TEST(ImageReaderTest, MakeModelAndCaptureDetails) {
    TempDir dir;
    ImageProperties image = readCorpusImage(dir, "img_gps_amsterdam.jpg");
    EXPECT_EQ(textAt(image, "{TIFF}", "Make"), "Canon");
    EXPECT_EQ(textAt(image, "{TIFF}", "Model"), "Canon EOS 5D Mark IV");
    EXPECT_EQ(textAt(image, "{Exif}", "DateTimeOriginal"), "2020:04:27 14:05:33");
    EXPECT_EQ(textAt(image, "{Exif}", "OffsetTimeOriginal"), "+02:00");
    EXPECT_EQ(textAt(image, "{Exif}", "SubsecTimeOriginal"), "120");
    EXPECT_GT(numberAt(image, "PixelWidth"), 0);
    EXPECT_GT(numberAt(image, "PixelHeight"), 0);
}

TEST(ImageReaderTest, GpsInAllFourHemispheres) {
    TempDir dir;
    struct Case {
        const char* file;
        double latitude;
        const char* latitudeRef;
        double longitude;
        const char* longitudeRef;
    };
    for (const Case& c : {Case{"img_gps_amsterdam.jpg", 52.370216, "N", 4.895168, "E"},
                          Case{"img_gps_newyork.jpg", 40.712776, "N", 74.005974, "W"},
                          Case{"img_gps_sydney.jpg", 33.8688, "S", 151.2093, "E"},
                          Case{"img_exif.tif", 48.85837, "N", 2.294481, "E"}}) {
        ImageProperties image = readCorpusImage(dir, c.file);
        EXPECT_NEAR(numberAt(image, "{GPS}", "Latitude"), c.latitude, 1e-6) << c.file;
        EXPECT_NEAR(numberAt(image, "{GPS}", "Longitude"), c.longitude, 1e-6) << c.file;
        EXPECT_EQ(textAt(image, "{GPS}", "LatitudeRef"), c.latitudeRef) << c.file;
        EXPECT_EQ(textAt(image, "{GPS}", "LongitudeRef"), c.longitudeRef) << c.file;
    }
    ImageProperties amsterdam = readCorpusImage(dir, "img_gps_amsterdam.jpg");
    EXPECT_DOUBLE_EQ(numberAt(amsterdam, "{GPS}", "Altitude"), 2.5);
    EXPECT_EQ(numberAt(amsterdam, "{GPS}", "AltitudeRef"), 0);
    EXPECT_EQ(textAt(amsterdam, "{GPS}", "TimeStamp"), "12:05:33");
    EXPECT_EQ(textAt(amsterdam, "{GPS}", "DateStamp"), "2020:04:27");
}

TEST(ImageReaderTest, TiffAndPngProperties) {
    TempDir dir;
    ImageProperties tiff = readCorpusImage(dir, "img_exif.tif");
    EXPECT_EQ(numberAt(tiff, "PixelWidth"), 16);
    EXPECT_EQ(numberAt(tiff, "PixelHeight"), 12);
    EXPECT_EQ(numberAt(tiff, "Orientation"), 1);
    EXPECT_EQ(textAt(tiff, "{TIFF}", "Make"), "FUJIFILM");
    EXPECT_EQ(textAt(tiff, "{Exif}", "DateTimeOriginal"), "2017:03:04 05:06:07");

    ImageProperties png = readCorpusImage(dir, "img_exif.png");
    EXPECT_GT(numberAt(png, "PixelWidth"), 0);
    EXPECT_EQ(textAt(png, "{TIFF}", "Model"), "Pixel 6");
    EXPECT_EQ(numberAt(png, "DPIWidth"), 72);
}

TEST(ImageReaderTest, ImagesWithoutExifAndFilesThatAreNoImages) {
    TempDir dir;
    ImageProperties plain = readCorpusImage(dir, "img_noexif.jpg");
    EXPECT_EQ(plain.dictionary("{Exif}"), nullptr);
    EXPECT_GT(numberAt(plain, "PixelWidth"), 0);

    Logger::setSink(LogSink::off);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readImageProperties(test::copyCorpusFile(dir, "song_vorbis.flac")));
    EXPECT_FALSE(readImageProperties(test::copyCorpusFile(dir, "not_a_flac.flac", "text.jpg")));
    EXPECT_FALSE(readImageProperties(dir.path() / "missing.jpg"));
    EXPECT_FALSE(readImageProperties(dir.mkdir("folder.jpg")));
    // Cut inside the EXIF segment: whatever the library makes of it, no exception and no output.
    std::string whole = test::readFile(std::filesystem::path(test::kCorpusDir) / "img_gps_amsterdam.jpg");
    for (std::size_t length : {std::size_t(3), std::size_t(40), std::size_t(200), whole.size() - 10})
        readImageProperties(dir.write("cut" + std::to_string(length) + ".jpg", whole.substr(0, length)));
    // HEIC keeps its EXIF in media boxes.
    auto heic = readImageProperties(test::copyCorpusFile(dir, "img_exif.heic"));
    ASSERT_TRUE(heic);
    ASSERT_NE(heic->value("{Exif}", "DateTimeOriginal"), nullptr);
    EXPECT_EQ(*heic->value("{Exif}", "DateTimeOriginal"), AttributeValue("2023:08:09 10:11:12"));
    EXPECT_EQ(*heic->value("{TIFF}", "Make"), AttributeValue("Apple"));
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    Logger::setSink(LogSink::standardStreams);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST(ImageReaderTest, PropertiesLookupByKeyAndSubKey) {
    ImageProperties properties;
    properties.set("PixelWidth", AttributeValue(640));
    properties.set("{GPS}", "LatitudeRef", AttributeValue("S"));
    properties.append("{IPTC}", "Keywords", AttributeValue("red"));
    properties.append("{IPTC}", "Keywords", AttributeValue("blue"));
    EXPECT_EQ(*properties.value("PixelWidth"), AttributeValue(640));
    EXPECT_EQ(*properties.value("{GPS}", "LatitudeRef"), AttributeValue("S"));
    EXPECT_EQ(properties.value("{GPS}"), nullptr); // a dictionary is not a top-level value
    EXPECT_EQ(properties.value("{GPS}", "Latitude"), nullptr);
    EXPECT_EQ(properties.value("{Exif}", "DateTimeOriginal"), nullptr);
    EXPECT_EQ(*properties.value("{IPTC}", "Keywords"),
              AttributeValue(AttributeValue::List{AttributeValue("red"), AttributeValue("blue")}));
}
