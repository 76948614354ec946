// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace quillory {

// The postal-address part of a geocoder's answer; every part may be empty.
struct PostalAddress {
    std::string street;
    std::string city;
    std::string postalCode;
    std::string state;
    std::string subAdministrativeArea;
    std::string subLocality;
    std::string country;
    bool operator==(const PostalAddress&) const = default;
};

// One place as a reverse geocoder describes it. Fields the geocoder does not know stay empty.
struct Placemark {
    std::string name;
    std::string thoroughfare;
    std::string subThoroughfare;
    std::string locality;
    std::string subLocality;
    std::string administrativeArea;
    std::string subAdministrativeArea;
    std::string postalCode;
    std::string country;
    std::string isoCountryCode;
    std::optional<PostalAddress> postalAddress;
    bool operator==(const Placemark&) const = default;
};

} // namespace quillory
