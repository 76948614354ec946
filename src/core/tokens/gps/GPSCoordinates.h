// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"

#include <optional>

namespace quillory {

// Signed decimal degrees (south and west negative), rounded to 6 decimal places.
struct GPSCoordinates {
    double latitude = 0;
    double longitude = 0;

    bool operator==(const GPSCoordinates&) const = default;

    // From "{GPS}.Latitude", "{GPS}.Longitude" (numbers) and "{GPS}.LatitudeRef", "{GPS}.LongitudeRef"
    // (texts); nothing unless all four are there.
    static std::optional<GPSCoordinates> fromAttributes(const AttributeMap& attributes);
    // From unsigned degrees and reference letters: latitude negated unless "N", longitude unless "E".
    static GPSCoordinates fromReferences(double latitude, std::string_view latitudeRef, double longitude,
                                         std::string_view longitudeRef);
};

// Round half away from zero to the given number of decimal places.
double roundToPlaces(double value, int places);

} // namespace quillory
