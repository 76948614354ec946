// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/gps/Placemark.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// The ten address parts that the GPS address tokens print. Values are stored sanitised so that
// they can go into a file name.
struct GPSAddress {
    std::string addressStreet;
    std::string addressZip;
    std::string addressCity;
    std::string addressCountry;
    std::string addressState;
    std::string addressName;
    std::string addressSubAdministrativeArea;
    std::string addressThoroughfare;
    std::string addressSubThoroughfare;
    std::string formattedAddress;

    bool operator==(const GPSAddress&) const = default;

    // Takes over a geocoder's placemark, sanitising every field.
    static GPSAddress fromPlacemark(const Placemark& placemark);

    // The field that an address token id names; the empty text for an id that names none.
    const std::string& field(std::string_view tokenId) const;

    nlohmann::json toJson() const;
    // All ten keys must be present and be texts; nothing otherwise.
    static std::optional<GPSAddress> fromJson(const nlohmann::json& json);

    // ":" becomes the colon substitute U+A789, then "/" becomes ":".
    static std::string sanitize(std::string_view text);
};

} // namespace quillory
