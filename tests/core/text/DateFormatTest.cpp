// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/DateFormat.h"

#include <gtest/gtest.h>

using namespace quillory;
using namespace quillory::text;

namespace {

// 2021-05-03 14:22:11 UTC
constexpr std::int64_t kSeconds = 1620051731;

Date at(std::int64_t seconds, int millis = 0) {
    return Date(std::chrono::milliseconds(seconds * 1000 + millis));
}

} // namespace

// Tests run with TZ=UTC, so local time is UTC here.
TEST(DateFormat, FormatAndParseRoundTripWithPattern) {
    EXPECT_EQ(formatDate(at(kSeconds), "yyyy-MM-dd HHmmss"), "2021-05-03 142211");
    EXPECT_EQ(formatDate(at(kSeconds, 250), "yyyyMMdd_HH.mm.ss.SSS"), "20210503_14.22.11.250");
    EXPECT_EQ(formatDate(at(kSeconds), "EEEE d MMMM yy"), "Monday 3 May 21");
    for (const char *pattern : {"yyyy-MM-dd HHmmss", "dd.MM.yyyy HH:mm:ss", "MMM d, yyyy 'at' h:mm:ss a"}) {
        const std::string formatted = formatDate(at(kSeconds), pattern);
        const auto parsed = parseDate(formatted, pattern);
        ASSERT_TRUE(parsed.has_value()) << pattern << ": " << formatted;
        EXPECT_EQ(*parsed, at(kSeconds)) << pattern;
    }
    EXPECT_EQ(parseDate("2021-05-03", "yyyy-MM-dd"), at(kSeconds - (14 * 3600 + 22 * 60 + 11)));
    EXPECT_FALSE(parseDate("2021-05-03 trailing", "yyyy-MM-dd").has_value());
    EXPECT_FALSE(parseDate("2021-13-03", "yyyy-MM-dd").has_value());
    EXPECT_FALSE(parseDate("not a date", "yyyy-MM-dd").has_value());
}

TEST(DateFormat, IsoFormsWithAndWithoutOffsets) {
    const std::int64_t day = kSeconds - (14 * 3600 + 22 * 60 + 11);
    EXPECT_EQ(parseIsoDate("2021"), at(1609459200));
    EXPECT_EQ(parseIsoDate("2021-05"), at(1619827200));
    EXPECT_EQ(parseIsoDate("2021-05-03"), at(day));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22:11"), at(kSeconds));
    EXPECT_EQ(parseIsoDate("2021-05-03 14:22:11"), at(kSeconds));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22"), at(kSeconds - 11));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22:11Z"), at(kSeconds));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22:11+02:00"), at(kSeconds - 7200));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22:11-0530"), at(kSeconds + 5 * 3600 + 1800));
    EXPECT_EQ(parseIsoDate("2021-05-03T14:22:11.5Z"), at(kSeconds, 500));
    for (const char *bad : {"", "21", "2021-5-3", "2021-13-01", "2021-02-30", "2021-05-03T25:00:00",
                            "2021-05-03T14:22:11+", "2021-05-03X", "2021-05-03T14:22:11 junk"}) {
        EXPECT_FALSE(parseIsoDate(bad).has_value()) << bad;
    }
}

TEST(DateFormat, ExifDatesAreLocal) {
    EXPECT_EQ(parseExifDate("2021:05:03 14:22:11"), at(kSeconds));
    EXPECT_EQ(parseExifDate("2021:05:03 14:22:11\0"), at(kSeconds));
    EXPECT_EQ(parseExifDate("2021:05:03"), at(kSeconds - (14 * 3600 + 22 * 60 + 11)));
    EXPECT_FALSE(parseExifDate("0000:00:00 00:00:00").has_value());
    EXPECT_FALSE(parseExifDate("    :  :     :  :  ").has_value());
    EXPECT_FALSE(parseExifDate("2021-05-03 14:22:11").has_value());
}
