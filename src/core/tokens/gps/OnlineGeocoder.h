// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/gps/Geocoder.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>

namespace quillory {

struct OnlineGeocoderOptions {
    std::string baseUrl; // for example "https://nominatim.openstreetmap.org"
    std::chrono::milliseconds timeout = std::chrono::seconds(20);
    // Public services allow one request per second from one client.
    std::chrono::milliseconds minInterval = std::chrono::seconds(1);
    std::string userAgent; // empty → "Quillory/<version> (batch file renamer)"
};

// Reverse geocoding through a web service of the Nominatim kind:
// GET <base>/reverse?format=jsonv2&lat=..&lon=.. over libcurl. Network failures and busy answers
// give code 2 (retried), "no result" answers code 8, a timeout code 99. Without libcurl in the
// build every request fails with code 2.
class OnlineGeocoder : public Geocoder {
public:
    using Options = OnlineGeocoderOptions;

    explicit OnlineGeocoder(Options options);

    GeocoderAnswer reverseGeocode(double latitude, double longitude, std::stop_token stop) override;

    std::string serviceUrl() const override { return options_.baseUrl; }
    // "nominatim.openstreetmap.org", "127.0.0.1:8080": the part of a URL that names the machine.
    static std::string hostOf(std::string_view url);

    // Whether requests can be made: the build knows HTTP and libcurl loads (it is loaded here, once).
    static bool available();
    std::string requestUrl(double latitude, double longitude) const;
    const Options& options() const { return options_; }

    // Reads the service's answer: HTTP status and body.
    static GeocoderAnswer answerFromResponse(long httpStatus, std::string_view body);

private:
    // False when stopped before the turn came.
    bool waitForTurn(std::stop_token stop);

    Options options_;
    std::mutex turnMutex_;
    std::condition_variable_any turnChanged_; // only ever woken by a stop request
    std::chrono::steady_clock::time_point lastRequest_{};
    bool anyRequest_ = false;
};

} // namespace quillory
