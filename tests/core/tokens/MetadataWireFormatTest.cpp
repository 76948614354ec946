// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWireFormat.h"

#include <gtest/gtest.h>

#include <chrono>

namespace quillory::metadata {
namespace {

std::string payloadOf(const std::string& frame) {
    EXPECT_EQ(framePayloadLength(frame), frame.size() - kFrameHeaderSize);
    return frame.substr(kFrameHeaderSize);
}

MetadataReport sampleReport() {
    MetadataReport report;
    ImageProperties image;
    image.set("PixelWidth", AttributeValue(4032));
    image.set("{Exif}", "DateTimeOriginal", AttributeValue("2023:08:09 10:11:12"));
    image.set("{GPS}", "Latitude", AttributeValue(37.7749));
    image.set("{Exif}", "ExposureBiasValue", AttributeValue(std::int64_t(-3)));
    image.set("{IPTC}", "Keywords", AttributeValue(AttributeValue::List{"sea", AttributeValue::List{1, 2.5}}));
    image.set("{TIFF}", "Nothing", AttributeValue());
    report.image = image;
    report.media = {{"itsk/trkn", AttributeValue("3/12")},
                    {"itsk/%A9day", AttributeValue(Date(std::chrono::milliseconds(1525590489000)))}};
    report.id3 = {{"id3/TRCK1", "3"}, {"id3/TIT2", std::string("\xFF\x00 binary", 9)}};
    report.flac = {{"FLAC-Date", AttributeValue(std::int64_t(2021))}};
    return report;
}

TEST(MetadataWireFormatTest, RequestsReportsAndTheGreetingSurviveTheTrip) {
    MetadataRequest request{"/photos/caf\xE9 \xFF.heic", true, false, {"id3/TRCK", "id3/TRCK1"}, 2000};
    EXPECT_EQ(decodeRequest(payloadOf(encodeRequest(request))), request);
    request.image = false;
    request.audio = true;
    request.id3Keys.clear();
    EXPECT_EQ(decodeRequest(payloadOf(encodeRequest(request))), request);

    const MetadataReport report = sampleReport();
    EXPECT_EQ(decodeReport(payloadOf(encodeReport(report))), report);
    EXPECT_EQ(decodeReport(payloadOf(encodeReport(MetadataReport{}))), MetadataReport{});

    EXPECT_TRUE(isHello(payloadOf(encodeHello())));
    // Each message is taken only for what it is.
    EXPECT_FALSE(isHello(payloadOf(encodeReport(report))));
    EXPECT_FALSE(decodeReport(payloadOf(encodeRequest(request))));
    EXPECT_FALSE(decodeRequest(payloadOf(encodeReport(report))));
    EXPECT_FALSE(decodeReport(payloadOf(encodeHello())));
}

TEST(MetadataWireFormatTest, CutOrLengthenedMessagesAreRejected) {
    const std::string report = payloadOf(encodeReport(sampleReport()));
    for (std::size_t length = 0; length < report.size(); ++length)
        EXPECT_FALSE(decodeReport(report.substr(0, length))) << length;
    EXPECT_FALSE(decodeReport(report + '\0'));

    const std::string request = payloadOf(encodeRequest({"/a.jpg", true, true, {"id3/TIT2"}, 100}));
    for (std::size_t length = 0; length < request.size(); ++length)
        EXPECT_FALSE(decodeRequest(request.substr(0, length))) << length;
    EXPECT_FALSE(decodeRequest(request + 'x'));
}

// A corrupted worker could send anything: counts that promise more than the message holds, lists nested
// until the stack runs out, frames of gigabytes, paths that C would cut short.
TEST(MetadataWireFormatTest, ForgedCountsDeepListsHugeFramesAndNulsAreRejected) {
    const std::string header = std::string("A\x01", 2) + '\0'; // report without image
    EXPECT_FALSE(decodeReport(header + std::string("\xFF\xFF\xFF\xFF", 4)));

    auto nestedLists = [](int depth) {
        AttributeValue value("leaf");
        for (int i = 0; i < depth; ++i) {
            AttributeValue::List list;
            list.push_back(std::move(value));
            value = AttributeValue(std::move(list));
        }
        MetadataReport report;
        report.flac = {{"FLAC-Deep", value}};
        return payloadOf(encodeReport(report));
    };
    EXPECT_TRUE(decodeReport(nestedLists(8)));
    EXPECT_FALSE(decodeReport(nestedLists(9)));
    // A hundred thousand one-element lists, as bytes: rejected long before the stack runs out.
    std::string deep = header + std::string("\0\0\0\0", 4) + std::string("\0\0\0\0", 4) + std::string("\0\0\0\x01", 4) +
                       std::string("\0\0\0\x01", 4) + "F";
    for (int i = 0; i < 100000; ++i)
        deep += std::string("\x05\0\0\0\x01", 5);
    EXPECT_FALSE(decodeReport(deep));

    EXPECT_EQ(framePayloadLength(std::string("\x04\x00\x00\x00", 4)), 64u << 20);
    EXPECT_FALSE(framePayloadLength(std::string("\x04\x00\x00\x01", 4)));
    EXPECT_FALSE(framePayloadLength(std::string("\x00\x00", 2)));

    EXPECT_FALSE(decodeRequest(payloadOf(encodeRequest({std::string("/a.jpg\0/etc/passwd", 17), true, true, {}, 0}))));
}

} // namespace
} // namespace quillory::metadata
