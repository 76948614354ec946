// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace quillory {

// How finely coordinates are rounded for a cache key: precision p keeps p + 1 decimal places.
enum class GPSPrecision { country = 0, city = 1, neighbourhood = 2, street = 3, address = 4, full = 5 };

inline constexpr std::array<GPSPrecision, 6> kAllGPSPrecisions = {GPSPrecision::country, GPSPrecision::city,
                                                                  GPSPrecision::neighbourhood, GPSPrecision::street,
                                                                  GPSPrecision::address, GPSPrecision::full};

inline constexpr int decimalPlaces(GPSPrecision precision) { return static_cast<int>(precision) + 1; }

// The precision that an address token id is cached at; `full` for ids that are not address tokens.
GPSPrecision gpsPrecisionForToken(std::string_view tokenId);

// Whether the id is one of the ten address token ids.
bool isGPSAddressToken(std::string_view tokenId);

} // namespace quillory
