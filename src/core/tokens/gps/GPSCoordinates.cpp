// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSCoordinates.h"

#include <cmath>

namespace quillory {

namespace {

std::optional<double> numberOf(const AttributeMap& attributes, const std::string& id) {
    auto found = attributes.find(id);
    if (found == attributes.end())
        return std::nullopt;
    const AttributeValue& value = found->second.attributeValue;
    if (const double* real = value.real())
        return *real;
    if (const std::int64_t* integer = value.integer())
        return static_cast<double>(*integer);
    return std::nullopt;
}

const std::string* textOf(const AttributeMap& attributes, const std::string& id) {
    auto found = attributes.find(id);
    return found == attributes.end() ? nullptr : found->second.attributeValue.text();
}

} // namespace

double roundToPlaces(double value, int places) {
    const double scale = std::pow(10.0, places);
    return std::round(value * scale) / scale;
}

GPSCoordinates GPSCoordinates::fromReferences(double latitude, std::string_view latitudeRef, double longitude,
                                              std::string_view longitudeRef) {
    if (latitudeRef != "N")
        latitude = -latitude;
    if (longitudeRef != "E")
        longitude = -longitude;
    return {roundToPlaces(latitude, 6), roundToPlaces(longitude, 6)};
}

std::optional<GPSCoordinates> GPSCoordinates::fromAttributes(const AttributeMap& attributes) {
    auto latitude = numberOf(attributes, "{GPS}.Latitude");
    auto longitude = numberOf(attributes, "{GPS}.Longitude");
    const std::string* latitudeRef = textOf(attributes, "{GPS}.LatitudeRef");
    const std::string* longitudeRef = textOf(attributes, "{GPS}.LongitudeRef");
    if (!latitude || !longitude || !latitudeRef || !longitudeRef)
        return std::nullopt;
    if (!std::isfinite(*latitude) || !std::isfinite(*longitude))
        return std::nullopt;
    return fromReferences(*latitude, *latitudeRef, *longitude, *longitudeRef);
}

} // namespace quillory
