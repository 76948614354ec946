// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSPrecision.h"

#include <utility>

namespace quillory {

namespace {

constexpr std::array<std::pair<std::string_view, GPSPrecision>, 10> kTokenPrecisions = {{
    {"GPS-AddressStreet", GPSPrecision::street},
    {"GPS-AddressCity", GPSPrecision::city},
    {"GPS-AddressZIP", GPSPrecision::street},
    {"GPS-AddressCountry", GPSPrecision::country},
    {"GPS-AddressState", GPSPrecision::city},
    {"GPS-AddressName", GPSPrecision::full},
    {"GPS-AddressSubAdministrativeArea", GPSPrecision::city},
    {"GPS-AddressThoroughfare", GPSPrecision::street},
    {"GPS-AddressSubThoroughfare", GPSPrecision::address},
    {"GPS-FormattedAddress", GPSPrecision::full},
}};

} // namespace

GPSPrecision gpsPrecisionForToken(std::string_view tokenId) {
    for (const auto& [id, precision] : kTokenPrecisions) {
        if (id == tokenId)
            return precision;
    }
    return GPSPrecision::full;
}

bool isGPSAddressToken(std::string_view tokenId) {
    for (const auto& entry : kTokenPrecisions) {
        if (entry.first == tokenId)
            return true;
    }
    return false;
}

} // namespace quillory
