// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/GPSFormatUtil.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TEST(GPSFormatUtilTest, DegreesMinutesSecondsKeepTheReferenceLetter) {
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(52.3702, "N"), "52° 22' 12.72'' N");
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(52.3702, "S"), "52° 22' 12.72'' S");
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(4.895168, "E"), "4° 53' 42.605'' E");
    // Without a letter the text ends in the blank that would precede it.
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(151.2093, std::nullopt), "151° 12' 33.48'' ");
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(std::nullopt, "N"), "0° 0' 0.0'' N");
    EXPECT_EQ(GPSFormatUtil::degreesMinutesSeconds(10.5, "W"), "10° 30' 0.0'' W");
}

TEST(GPSFormatUtilTest, DecimalDegreesRoundToFivePlacesAndTakeTheSignFromTheLetter) {
    EXPECT_EQ(GPSFormatUtil::decimalDegrees(52.3702, "S"), "-52.3702");
    EXPECT_EQ(GPSFormatUtil::decimalDegrees(52.370216, "N"), "52.37022");
    EXPECT_EQ(GPSFormatUtil::decimalDegrees(4.9, "W"), "-4.9");
    EXPECT_EQ(GPSFormatUtil::decimalDegrees(12.0, "E"), "12.0");
    // A value that is already negative is not turned positive again.
    EXPECT_EQ(GPSFormatUtil::decimalDegrees(-33.8688, "S"), "-33.8688");
}

TEST(GPSFormatUtilTest, ShortestDecimalReadsBackAndLooksLikeARealNumber) {
    EXPECT_EQ(GPSFormatUtil::shortestDecimal(0.1), "0.1");
    EXPECT_EQ(GPSFormatUtil::shortestDecimal(100.0), "100.0");
    EXPECT_EQ(GPSFormatUtil::shortestDecimal(-0.5), "-0.5");
    EXPECT_EQ(std::stod(GPSFormatUtil::shortestDecimal(1.0 / 3.0)), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(GPSFormatUtil::roundHalfAway(-2.5, 0), -3.0);
    EXPECT_DOUBLE_EQ(GPSFormatUtil::roundHalfAway(12.7199999, 3), 12.72);
}

} // namespace
} // namespace quillory
