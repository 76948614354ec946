// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/OfflineGeocoder.h"

#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/GeoNamesDataBuilder.h"
#include "tokens/gps/GeocoderFactory.h"
#include "tokens/gps/OnlineGeocoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace quillory {
namespace {

double haversineKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double r = 3.14159265358979323846 / 180.0;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2 * 6371.0088 * std::asin(std::sqrt(a));
}

// The place data built into the program.
class OfflineGeocoderDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!geocoder->hasData())
            GTEST_SKIP() << "this build has no place data (download failed at configure time)";
    }
    std::shared_ptr<OfflineGeocoder> geocoder = OfflineGeocoder::embedded();
};

TEST_F(OfflineGeocoderDataTest, AmsterdamFromTheBuiltInPlaceData) {
    auto answer = geocoder->reverseGeocode(52.370216, 4.895168, {});
    ASSERT_TRUE(answer.ok());
    ASSERT_TRUE(answer.placemark.has_value());
    // The nearest listed place is a district of the centre; the city it belongs to names the locality.
    EXPECT_LT(geocoder->nearest(52.370216, 4.895168)->distanceKm, 1.0);
    EXPECT_EQ(answer.placemark->locality, "Amsterdam");
    EXPECT_EQ(answer.placemark->administrativeArea, "North Holland");
    EXPECT_EQ(answer.placemark->subAdministrativeArea, "Gemeente Amsterdam");
    EXPECT_EQ(answer.placemark->country, "Netherlands"); // tests run in en_US
    EXPECT_EQ(answer.placemark->isoCountryCode, "NL");
    EXPECT_EQ(answer.placemark->thoroughfare, "");
    EXPECT_EQ(answer.placemark->postalCode, "");
}

TEST_F(OfflineGeocoderDataTest, SydneyThroughTheResolver) {
    GPSAddressResolver resolver(std::make_shared<GPSCache>(), geocoder);
    const std::optional<GPSCoordinates> harbour = GPSCoordinates::fromReferences(33.8688, "S", 151.2093, "E");
    EXPECT_EQ(resolver.fullText(harbour, "GPS-AddressCity", {}).text, "Sydney");
    EXPECT_EQ(resolver.fullText(harbour, "GPS-AddressState", {}).text, "New South Wales");
    EXPECT_EQ(resolver.fullText(harbour, "GPS-AddressCountry", {}).text, "Australia");
    EXPECT_EQ(resolver.fullText(harbour, "GPS-FormattedAddress", {}).text, ",Sydney,,New South Wales,,,Australia");
    EXPECT_EQ(resolver.fullText(harbour, "GPS-AddressStreet", {}).text, "");
}

TEST_F(OfflineGeocoderDataTest, OpenOceanHasNoPlaceWithinReach) {
    // Mid-Atlantic, far from any island.
    auto found = geocoder->nearest(0.0, -30.0);
    ASSERT_TRUE(found.has_value());
    EXPECT_GT(found->distanceKm, OfflineGeocoder::maxDistanceKm);
    auto answer = geocoder->reverseGeocode(0.0, -30.0, {});
    EXPECT_TRUE(answer.ok());
    EXPECT_FALSE(answer.placemark.has_value());
    // Offshore but close to land still names the nearest place.
    auto coast = geocoder->reverseGeocode(52.6, 4.3, {}); // North Sea off the Dutch coast
    ASSERT_TRUE(coast.placemark.has_value());
    EXPECT_EQ(coast.placemark->country, "Netherlands");
}

TEST(OfflineGeocoderTest, NearestMatchesBruteForceOnSyntheticPlaces) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    std::vector<GeoNamesDataBuilder::Place> places;
    for (int i = 0; i < 3000; ++i)
        places.push_back({"P" + std::to_string(i), lat(random), lon(random), "NL", "", ""});
    // Places on both sides of the antimeridian and at a pole.
    places.push_back({"East", 10, 179.9, "FJ", "", ""});
    places.push_back({"West", 10, -179.95, "WS", "", ""});
    places.push_back({"Pole", 90, 0, "AQ", "", ""});
    auto built = OfflineGeocoder::fromBytes(GeoNamesDataBuilder::build(places));
    ASSERT_EQ(built->placeCount(), places.size());

    for (int i = 0; i < 500; ++i) {
        const double qlat = lat(random), qlon = lon(random);
        double best = 1e9;
        for (const auto& place : places)
            best = std::min(best, haversineKm(qlat, qlon, place.latitude, place.longitude));
        auto found = built->nearest(qlat, qlon);
        ASSERT_TRUE(found.has_value());
        EXPECT_NEAR(found->distanceKm, best, 0.05) << qlat << "," << qlon;
    }
    EXPECT_EQ(built->placemark(built->nearest(10, -179.99)->index).locality, "West");
    EXPECT_EQ(built->placemark(built->nearest(10, 179.99)->index).locality, "West");
    EXPECT_EQ(built->placemark(built->nearest(90, 45)->index).locality, "Pole");
}

TEST(OfflineGeocoderTest, ParsesGeoNamesJsonWithAdminNames) {
    const char* cities = R"([
        {"name":"Haarlem","lat":"52.38084","lng":"4.63683","country":"NL","admin1":"07","admin2":"0392"},
        {"name":"Nowhere","lat":"x","lng":"1","country":"NL","admin1":"07","admin2":""},
        {"name":"Lonely","lat":"-10","lng":"20","country":"ZZ","admin1":"99","admin2":""}])";
    const char* admin1 = R"([{"code":"NL.07","name":"North Holland"}])";
    const char* admin2 = R"([{"code":"NL.07.0392","name":"Gemeente Haarlem"}])";
    auto places = GeoNamesDataBuilder::parse(cities, admin1, admin2);
    ASSERT_TRUE(places.ok());
    ASSERT_EQ(places->size(), 2u);
    auto geocoder = OfflineGeocoder::fromBytes(GeoNamesDataBuilder::build(places.value()));
    auto haarlem = geocoder->reverseGeocode(52.38, 4.64, {});
    ASSERT_TRUE(haarlem.placemark.has_value());
    EXPECT_EQ(haarlem.placemark->locality, "Haarlem");
    EXPECT_EQ(haarlem.placemark->administrativeArea, "North Holland");
    EXPECT_EQ(haarlem.placemark->subAdministrativeArea, "Gemeente Haarlem");
    auto lonely = geocoder->reverseGeocode(-10, 20, {});
    ASSERT_TRUE(lonely.placemark.has_value());
    EXPECT_EQ(lonely.placemark->administrativeArea, "");

    EXPECT_FALSE(GeoNamesDataBuilder::parse("{}", "[]", "[]").ok());
}

TEST(OfflineGeocoderTest, MunicipalityNamesTheLocalityOnlyWhenClose) {
    using Place = GeoNamesDataBuilder::Place;
    auto geocoder = OfflineGeocoder::fromBytes(GeoNamesDataBuilder::build({
        Place{"Old Quarter", 50.000, 10.000, "DE", "Hesse", "Kreisfreie Stadt Bigtown"},
        Place{"Bigtown", 50.010, 10.000, "DE", "Hesse", "Kreisfreie Stadt Bigtown"},   // 1.1 km north
        Place{"Big", 50.005, 10.000, "DE", "Hesse", "Landkreis Elsewhere"},            // a word, wrong area
        Place{"Village", 50.300, 10.000, "DE", "Hesse", "Landkreis Farville"},
        Place{"Farville", 50.500, 10.000, "DE", "Hesse", "Landkreis Farville"},        // 22 km away
    }));
    EXPECT_EQ(geocoder->reverseGeocode(49.999, 10.0, {}).placemark->locality, "Bigtown");
    EXPECT_EQ(geocoder->reverseGeocode(50.300, 10.0, {}).placemark->locality, "Village");
    EXPECT_EQ(geocoder->reverseGeocode(50.011, 10.0, {}).placemark->locality, "Bigtown");
}

TEST(OfflineGeocoderTest, MissingOrDamagedDataReportsNoData) {
    std::string bytes = GeoNamesDataBuilder::build({{"A", 1, 2, "NL", "", ""}});
    for (const std::string& damaged : {std::string(), std::string("QGEOv001"), bytes.substr(0, bytes.size() - 1),
                                       "XXXXXXXX" + bytes.substr(8)}) {
        auto geocoder = OfflineGeocoder::fromBytes(damaged);
        EXPECT_FALSE(geocoder->hasData());
        auto answer = geocoder->reverseGeocode(1, 2, {});
        ASSERT_FALSE(answer.ok());
        EXPECT_EQ(*answer.errorCode, GPSError::noResult);
    }
    EXPECT_TRUE(OfflineGeocoder::fromBytes(bytes)->hasData());
    EXPECT_FALSE(OfflineGeocoder::fromFile("/nonexistent/places.bin").ok());
}

TEST(OfflineGeocoderTest, CreditNamesGeoNamesAndItsLicence) {
    const std::string credit = OfflineGeocoder::creditLine();
    EXPECT_NE(credit.find("GeoNames"), std::string::npos);
    EXPECT_NE(credit.find("CC BY 4.0"), std::string::npos);
}

TEST(GeocoderFactoryTest, PreferenceChoosesTheGeocoder) {
    for (const char* name : {"offline", "", "nonsense"})
        EXPECT_NE(dynamic_cast<OfflineGeocoder*>(GeocoderFactory::make(name).get()), nullptr) << name;
    auto online = GeocoderFactory::make("https://geo.example.org/");
    EXPECT_EQ(dynamic_cast<OfflineGeocoder*>(online.get()) == nullptr, OnlineGeocoder::available());
}

} // namespace
} // namespace quillory
