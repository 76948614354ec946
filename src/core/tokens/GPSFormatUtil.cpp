// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/GPSFormatUtil.h"

#include <charconv>
#include <cmath>

namespace quillory {

double GPSFormatUtil::roundHalfAway(double value, int places) {
    const double scale = std::pow(10.0, places);
    return std::round(value * scale) / scale; // std::round rounds halves away from zero
}

std::string GPSFormatUtil::shortestDecimal(double value) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    // A whole number still shows that it is a real number, as the platform prints doubles.
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::string GPSFormatUtil::decimalDegrees(std::optional<double> value, std::optional<std::string_view> ref) {
    double v = roundHalfAway(value.value_or(0.0), 5);
    if (ref && (*ref == "S" || *ref == "W") && v > 0)
        v = -v;
    return shortestDecimal(v);
}

std::string GPSFormatUtil::degreesMinutesSeconds(std::optional<double> value, std::optional<std::string_view> ref) {
    const double v = value.value_or(0.0);
    const double degrees = std::trunc(v);
    const double minutesWithFraction = (v - degrees) * 60.0;
    const double minutes = std::trunc(minutesWithFraction);
    const double seconds = roundHalfAway((minutesWithFraction - minutes) * 60.0, 3);

    std::string text;
    text.reserve(32);
    text += std::to_string(static_cast<long long>(degrees));
    text += "° ";
    text += std::to_string(static_cast<long long>(minutes));
    text += "' ";
    text += shortestDecimal(seconds);
    text += "'' ";
    if (ref)
        text += *ref;
    return text;
}

} // namespace quillory
