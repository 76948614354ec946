// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/gps/Geocoder.h"

#include <memory>
#include <string_view>

namespace quillory {

class Preferences;

// Picks the geocoder named by the preference "com.halvane.quillory.gpsGeocoder": "offline" (also
// when absent) or the base URL of an online service ("http://" or "https://"). Anything else, or
// an online service in a build without libcurl, falls back to the offline geocoder with a log line.
class GeocoderFactory {
public:
    static constexpr std::string_view offline = "offline";

    static std::shared_ptr<Geocoder> make(const Preferences& preferences);
    static std::shared_ptr<Geocoder> make(std::string_view setting);
};

} // namespace quillory
