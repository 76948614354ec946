// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/OnlineGeocoder.h"

#include "OnlineGeocoderTestServer.h"
#include "tokens/gps/GPSAddress.h"
#include "tokens/gps/GPSError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace quillory {
namespace {

using namespace std::chrono_literals;

const char* kDamAnswer = R"({"place_id":1,"lat":"52.3731","lon":"4.8926","name":"Nationaal Monument",
    "display_name":"Nationaal Monument, Dam, Amsterdam",
    "address":{"house_number":"1","road":"Dam","suburb":"Centrum","city":"Amsterdam","county":"Noord-Holland",
    "state":"North Holland","postcode":"1012 JS","country":"Netherlands","country_code":"nl"}})";

test::LocalHttpServer::Response route(const std::string& target) {
    if (target.find("lat=52.3731") != std::string::npos)
        return {200, kDamAnswer, 0ms};
    if (target.find("lat=1&") != std::string::npos)
        return {200, R"({"error":"Unable to geocode"})", 0ms};
    if (target.find("lat=2&") != std::string::npos)
        return {503, "busy", 0ms};
    if (target.find("lat=3&") != std::string::npos)
        return {200, "<html>not json</html>", 0ms};
    if (target.find("lat=4&") != std::string::npos)
        return {200, kDamAnswer, 4000ms};
    return {404, "", 0ms};
}

OnlineGeocoder::Options fastOptions(const test::LocalHttpServer& server) {
    OnlineGeocoder::Options options;
    options.baseUrl = server.baseUrl() + "/";
    options.timeout = 1500ms; // the slow route answers after 4 s
    options.minInterval = 0ms;
    return options;
}

class OnlineGeocoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnlineGeocoder::available())
            GTEST_SKIP() << "built without libcurl";
    }
    test::LocalHttpServer server{route};
};

TEST_F(OnlineGeocoderTest, AnswerBecomesAPlacemark) {
    OnlineGeocoder geocoder(fastOptions(server));
    auto answer = geocoder.reverseGeocode(52.3731, 4.8926, {});
    ASSERT_TRUE(answer.ok()) << answer.errorDescription;
    ASSERT_TRUE(answer.placemark.has_value());
    const GPSAddress address = GPSAddress::fromPlacemark(*answer.placemark);
    EXPECT_EQ(address.addressStreet, "Dam");
    EXPECT_EQ(address.addressSubThoroughfare, "1");
    EXPECT_EQ(address.addressCity, "Amsterdam");
    EXPECT_EQ(address.addressZip, "1012 JS");
    EXPECT_EQ(address.addressState, "North Holland");
    EXPECT_EQ(address.addressSubAdministrativeArea, "Noord-Holland");
    EXPECT_EQ(address.addressCountry, "Netherlands");
    EXPECT_EQ(address.addressName, "Nationaal Monument");
    EXPECT_EQ(address.formattedAddress, "Dam 1,Amsterdam,1012 JS,North Holland,Noord-Holland,Centrum,Netherlands");
    EXPECT_EQ(answer.placemark->isoCountryCode, "NL");

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/reverse?format=jsonv2&lat=52.3731&lon=4.8926");
    EXPECT_EQ(requests[0].userAgent.rfind("Quillory/", 0), 0u);
}

TEST_F(OnlineGeocoderTest, ServiceErrorsMapToTheirCodes) {
    OnlineGeocoder geocoder(fastOptions(server));
    EXPECT_EQ(geocoder.reverseGeocode(1, 1, {}).errorCode, GPSError::noResult);
    EXPECT_EQ(geocoder.reverseGeocode(2, 1, {}).errorCode, GPSError::network);
    EXPECT_EQ(geocoder.reverseGeocode(3, 1, {}).errorCode, GPSError::network);
    EXPECT_EQ(geocoder.reverseGeocode(5, 1, {}).errorCode, GPSError::noResult); // HTTP 404
    EXPECT_EQ(geocoder.reverseGeocode(4, 1, {}).errorCode, GPSError::timeout);
}

TEST_F(OnlineGeocoderTest, UnreachableServiceIsANetworkError) {
    OnlineGeocoder::Options options = fastOptions(server);
    options.baseUrl = "http://127.0.0.1:1";
    OnlineGeocoder geocoder(options);
    auto answer = geocoder.reverseGeocode(52.3731, 4.8926, {});
    EXPECT_EQ(answer.errorCode, GPSError::network);
}

TEST_F(OnlineGeocoderTest, RequestsAreSpacedByTheMinimumInterval) {
    OnlineGeocoder::Options options = fastOptions(server);
    options.minInterval = 250ms;
    OnlineGeocoder geocoder(options);
    // Measured from the start of the previous call, which the previous request cannot precede: the
    // server may read a request late on a busy machine, so arrivals alone can come closer together.
    std::vector<std::chrono::steady_clock::time_point> calls;
    for (int i = 0; i < 3; ++i) {
        calls.push_back(std::chrono::steady_clock::now());
        ASSERT_TRUE(geocoder.reverseGeocode(52.3731, 4.8926, {}).ok());
    }
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (std::size_t i = 1; i < requests.size(); ++i)
        EXPECT_GE(requests[i].arrival - calls[i - 1], 250ms);
}

TEST(OnlineGeocoderResponseTest, AnswerWithoutAddressPartsStillSucceeds) {
    auto answer = OnlineGeocoder::answerFromResponse(200, R"({"name":"","display_name":"Somewhere"})");
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.placemark->locality, "");
    EXPECT_EQ(OnlineGeocoder::answerFromResponse(429, "").errorCode, GPSError::network);
    EXPECT_EQ(OnlineGeocoder::answerFromResponse(400, "").errorCode, GPSError::noResult);
}

} // namespace
} // namespace quillory
