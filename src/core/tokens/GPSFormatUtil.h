// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// How a latitude or longitude token prints. Values arrive as unsigned degrees with their reference
// letter ("N", "S", "E", "W") beside them, as image metadata stores them.
class GPSFormatUtil {
public:
    // Rounded to 5 decimal places, negative for "S" and "W": "52.37022", "-4.9", "12.0".
    static std::string decimalDegrees(std::optional<double> value, std::optional<std::string_view> ref);
    // "52° 22' 12.72'' N"; seconds rounded to 3 decimal places. Without a letter the text ends in a blank.
    static std::string degreesMinutesSeconds(std::optional<double> value, std::optional<std::string_view> ref);

    // The shortest decimal text that reads back as the same double, always with a fraction or an
    // exponent ("12.0", "0.5", "1e-07").
    static std::string shortestDecimal(double value);
    // Round half away from zero to the given number of decimal places.
    static double roundHalfAway(double value, int places);
};

} // namespace quillory
