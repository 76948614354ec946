// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "tokens/gps/Geocoder.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// Reverse geocoding without network: the nearest populated place of the GeoNames data compiled into
// the program (see GeoNamesDataBuilder), found through a k-d tree in microseconds. Fills locality,
// administrative areas, country and the postal address made of those; street-level fields stay
// empty. A point farther than maxDistanceKm from every place (open sea, ice) gets an empty answer.
// GeoNames lists districts of big cities as places of their own; so when the municipality the
// nearest place belongs to is itself a listed place no more than municipalityReachKm farther away,
// that place names the locality ("Amsterdam" rather than a district of its centre).
class OfflineGeocoder : public Geocoder {
public:
    static constexpr double maxDistanceKm = 100.0;
    static constexpr double municipalityReachKm = 2.0;

    struct Nearest {
        std::uint32_t index = 0;
        double distanceKm = 0;
    };

    // Uses the bytes in place; they must outlive the geocoder. Malformed bytes give a geocoder
    // without data.
    explicit OfflineGeocoder(std::string_view data);
    // Keeps its own copy of the bytes.
    static std::shared_ptr<OfflineGeocoder> fromBytes(std::string bytes);
    static Result<std::shared_ptr<OfflineGeocoder>> fromFile(const std::filesystem::path& file);
    // The data compiled into the program; one instance shared by everyone.
    static std::shared_ptr<OfflineGeocoder> embedded();

    // A look-up in memory: nothing to wait for, so the stop is not read.
    GeocoderAnswer reverseGeocode(double latitude, double longitude, std::stop_token stop) override;

    bool hasData() const { return count_ > 0; }
    std::size_t placeCount() const { return count_; }
    // Bytes of place data and tables held for lookups.
    std::size_t memoryBytes() const;

    // The nearest place, or nothing when none lies within `withinKm` (a bound makes the search in
    // empty regions quick).
    std::optional<Nearest> nearest(double latitude, double longitude, double withinKm = 1e9) const;
    Placemark placemark(std::uint32_t index) const;
    // The place that names the locality near a point whose nearest place is `nearest`.
    std::uint32_t localityPlace(double latitude, double longitude, const Nearest& nearest) const;

    // The attribution that the place data asks for, for --version and the documentation.
    static std::string creditLine();

private:
    OfflineGeocoder(std::string owned, int);
    void index(std::string_view data);
    std::string_view text(std::uint32_t offset) const;

    std::string owned_;
    std::size_t bytes_ = 0;
    std::uint32_t count_ = 0;
    const float* xyz_ = nullptr;
    const std::uint32_t* names_ = nullptr;
    const std::uint32_t* admin1_ = nullptr;
    const std::uint32_t* admin2_ = nullptr;
    const char* countries_ = nullptr;
    std::string_view pool_;
};

} // namespace quillory
