// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/gps/Placemark.h"

#include <optional>
#include <stop_token>
#include <string>

namespace quillory {

// A geocoder's answer: a placemark, no placemark (an empty answer, still a success), or an error
// code with the codes of GPSError.
struct GeocoderAnswer {
    std::optional<Placemark> placemark;
    std::optional<int> errorCode;
    std::string errorDescription;

    static GeocoderAnswer found(Placemark placemark) { return {std::move(placemark), std::nullopt, {}}; }
    static GeocoderAnswer nothing() { return {}; }
    static GeocoderAnswer failure(int code, std::string description) {
        return {std::nullopt, code, std::move(description)};
    }
    bool ok() const { return !errorCode.has_value(); }
};

// Turns a coordinate into a placemark. Implementations are called from background threads, one
// request per call, and must be safe to call from several threads at once. A request that waits (for
// the network, for its turn) gives up soon after `stop` is requested; what it answers then is not read.
class Geocoder {
public:
    virtual ~Geocoder() = default;
    virtual GeocoderAnswer reverseGeocode(double latitude, double longitude, std::stop_token stop) = 0;
    // The address of the web service asked; empty for a geocoder on this machine. Cached answers are
    // kept apart by it, since services differ in what they know (the offline one knows no streets).
    virtual std::string serviceUrl() const { return {}; }
};

} // namespace quillory
