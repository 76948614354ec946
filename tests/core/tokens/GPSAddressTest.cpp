// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSAddress.h"
#include "tokens/gps/GPSCoordinates.h"
#include "tokens/gps/GPSError.h"
#include "tokens/gps/GPSPrecision.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quillory {
namespace {

Placemark fullPlacemark() {
    Placemark placemark;
    placemark.name = "Dam 1";
    placemark.thoroughfare = "Dam";
    placemark.subThoroughfare = "1";
    placemark.locality = "Amsterdam";
    placemark.administrativeArea = "North Holland";
    placemark.subAdministrativeArea = "Amsterdam";
    placemark.postalCode = "1012 JS";
    placemark.country = "Netherlands";
    placemark.postalAddress = PostalAddress{"Dam 1", "Amsterdam", "1012 JS", "North Holland", "", "Centrum", "Netherlands"};
    return placemark;
}

TEST(GPSAddressTest, FieldsComeFromThePlacemarkAndTokenIdsNameThem) {
    const GPSAddress address = GPSAddress::fromPlacemark(fullPlacemark());
    EXPECT_EQ(address.field("GPS-AddressStreet"), "Dam");
    EXPECT_EQ(address.field("GPS-AddressThoroughfare"), "Dam");
    EXPECT_EQ(address.field("GPS-AddressSubThoroughfare"), "1");
    EXPECT_EQ(address.field("GPS-AddressZIP"), "1012 JS");
    EXPECT_EQ(address.field("GPS-AddressCity"), "Amsterdam");
    EXPECT_EQ(address.field("GPS-AddressState"), "North Holland");
    EXPECT_EQ(address.field("GPS-AddressCountry"), "Netherlands");
    EXPECT_EQ(address.field("GPS-AddressName"), "Dam 1");
    EXPECT_EQ(address.field("GPS-AddressSubAdministrativeArea"), "Amsterdam");
    // Postal parts in fixed order, empty ones kept.
    EXPECT_EQ(address.field("GPS-FormattedAddress"), "Dam 1,Amsterdam,1012 JS,North Holland,,Centrum,Netherlands");
    EXPECT_EQ(address.field("GPS-Unknown"), "");
}

TEST(GPSAddressTest, ValuesAreSanitisedAndNoPostalAddressLeavesFormattedEmpty) {
    Placemark placemark;
    placemark.locality = "A/B: C";
    const GPSAddress address = GPSAddress::fromPlacemark(placemark);
    EXPECT_EQ(address.addressCity, "A:B\xEA\x9E\x89 C");
    EXPECT_EQ(address.formattedAddress, "");
}

TEST(GPSAddressTest, JsonNeedsAllTenTextKeys) {
    const GPSAddress address = GPSAddress::fromPlacemark(fullPlacemark());
    nlohmann::json json = address.toJson();
    EXPECT_EQ(json.size(), 10u);
    EXPECT_EQ(GPSAddress::fromJson(json), address);
    json.erase("addressZip");
    EXPECT_FALSE(GPSAddress::fromJson(json).has_value());
    json = address.toJson();
    json["addressCity"] = 5;
    EXPECT_FALSE(GPSAddress::fromJson(json).has_value());
}

TEST(GPSAddressTest, TokenPrecisionTable) {
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressCountry"), GPSPrecision::country);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressCity"), GPSPrecision::city);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressState"), GPSPrecision::city);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressSubAdministrativeArea"), GPSPrecision::city);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressStreet"), GPSPrecision::street);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressZIP"), GPSPrecision::street);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressThoroughfare"), GPSPrecision::street);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressSubThoroughfare"), GPSPrecision::address);
    EXPECT_EQ(gpsPrecisionForToken("GPS-AddressName"), GPSPrecision::full);
    EXPECT_EQ(gpsPrecisionForToken("GPS-FormattedAddress"), GPSPrecision::full);
    EXPECT_EQ(gpsPrecisionForToken("date-created"), GPSPrecision::full);
    EXPECT_TRUE(isGPSAddressToken("GPS-AddressZIP"));
    EXPECT_FALSE(isGPSAddressToken("{GPS}.Latitude"));
}

AttributeMap gpsAttributes(AttributeValue latitude, std::string latRef, AttributeValue longitude, std::string lonRef) {
    AttributeMap map;
    map["{GPS}.Latitude"] = FileAttribute("{GPS}.Latitude", "Latitude", std::move(latitude));
    map["{GPS}.LatitudeRef"] = FileAttribute("{GPS}.LatitudeRef", "LatitudeRef", std::move(latRef));
    map["{GPS}.Longitude"] = FileAttribute("{GPS}.Longitude", "Longitude", std::move(longitude));
    map["{GPS}.LongitudeRef"] = FileAttribute("{GPS}.LongitudeRef", "LongitudeRef", std::move(lonRef));
    return map;
}

TEST(GPSCoordinatesTest, ReferencesGiveTheHemisphere) {
    EXPECT_EQ(GPSCoordinates::fromAttributes(gpsAttributes(52.370216, "N", 4.895168, "E")),
              (GPSCoordinates{52.370216, 4.895168}));
    EXPECT_EQ(GPSCoordinates::fromAttributes(gpsAttributes(33.8688, "S", 151.2093, "E")),
              (GPSCoordinates{-33.8688, 151.2093}));
    EXPECT_EQ(GPSCoordinates::fromAttributes(gpsAttributes(40.7128, "S", 74.006, "W")),
              (GPSCoordinates{-40.7128, -74.006}));
    // Rounded to six places, half away from zero; integer values count as numbers.
    EXPECT_EQ(GPSCoordinates::fromAttributes(gpsAttributes(1.0000005, "N", 2, "W")), (GPSCoordinates{1.000001, -2}));
}

TEST(GPSCoordinatesTest, AllFourValuesAreNeeded) {
    const AttributeMap complete = gpsAttributes(52.37, "N", 4.9, "E");
    for (const char* missing : {"{GPS}.Latitude", "{GPS}.LatitudeRef", "{GPS}.Longitude", "{GPS}.LongitudeRef"}) {
        AttributeMap map = complete;
        map.erase(missing);
        EXPECT_FALSE(GPSCoordinates::fromAttributes(map).has_value()) << missing;
    }
    // A text where a number belongs, or a number where a reference belongs, is no coordinate.
    EXPECT_FALSE(GPSCoordinates::fromAttributes(gpsAttributes("52.37", "N", 4.9, "E")).has_value());
    AttributeMap numericRef = complete;
    numericRef["{GPS}.LongitudeRef"].attributeValue = AttributeValue(1);
    EXPECT_FALSE(GPSCoordinates::fromAttributes(numericRef).has_value());
}

TEST(GPSErrorTest, TextsAndRetryByCode) {
    const std::string fallback = "The rest of the files will be renamed without GPS Address information.";
    struct Case {
        int code;
        std::string message;
        bool retry;
    };
    const Case cases[] = {
        {0, "The location manager was unable to obtain a location value right now. (0)", true},
        {1, "Access to the location service was denied by the user. (1)", true},
        {2, "The network was unavailable or a network error occurred. (2)", true},
        {8, "The geocode request yielded no result. (8)", false},
        {9, "The geocode request yielded a partial result. (9)", false},
        {99, "GPS Address retrieval timed out. (99)", false},
        {17, "GPS Address information cannot be retrieved. (17)", false},
    };
    for (const Case& c : cases) {
        const GPSError error = GPSError::fromCode(c.code);
        EXPECT_EQ(error.messageText, c.message);
        EXPECT_EQ(error.retry, c.retry) << c.code;
        EXPECT_EQ(error.errorCode, c.code);
        EXPECT_EQ(error.informativeText,
                  c.code == 2 ? "This may be only temporary. Please try again in a minute.\n\n" + fallback : fallback);
    }
}

} // namespace
} // namespace quillory
