// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSAddress.h"

#include <nlohmann/json.hpp>

#include <array>
#include <utility>

namespace quillory {

namespace {

using Member = std::string GPSAddress::*;

// JSON key, token id and member, in the order the JSON form lists them.
struct FieldInfo {
    std::string_view key;
    std::string_view tokenId;
    Member member;
};

constexpr std::array<FieldInfo, 10> kFields = {{
    {"addressStreet", "GPS-AddressStreet", &GPSAddress::addressStreet},
    {"addressZip", "GPS-AddressZIP", &GPSAddress::addressZip},
    {"addressCity", "GPS-AddressCity", &GPSAddress::addressCity},
    {"addressCountry", "GPS-AddressCountry", &GPSAddress::addressCountry},
    {"addressState", "GPS-AddressState", &GPSAddress::addressState},
    {"addressName", "GPS-AddressName", &GPSAddress::addressName},
    {"addressSubAdministrativeArea", "GPS-AddressSubAdministrativeArea", &GPSAddress::addressSubAdministrativeArea},
    {"addressThoroughfare", "GPS-AddressThoroughfare", &GPSAddress::addressThoroughfare},
    {"addressSubThoroughfare", "GPS-AddressSubThoroughfare", &GPSAddress::addressSubThoroughfare},
    {"formattedAddress", "GPS-FormattedAddress", &GPSAddress::formattedAddress},
}};

const std::string kEmpty;

} // namespace

std::string GPSAddress::sanitize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ':')
            out += "\xEA\x9E\x89"; // U+A789
        else if (c == '/')
            out += ':';
        else
            out += c;
    }
    return out;
}

GPSAddress GPSAddress::fromPlacemark(const Placemark& placemark) {
    GPSAddress address;
    address.addressStreet = sanitize(placemark.thoroughfare);
    address.addressZip = sanitize(placemark.postalCode);
    address.addressCity = sanitize(placemark.locality);
    address.addressCountry = sanitize(placemark.country);
    address.addressState = sanitize(placemark.administrativeArea);
    address.addressName = sanitize(placemark.name);
    address.addressSubAdministrativeArea = sanitize(placemark.subAdministrativeArea);
    address.addressThoroughfare = sanitize(placemark.thoroughfare);
    address.addressSubThoroughfare = sanitize(placemark.subThoroughfare);
    if (placemark.postalAddress) {
        const PostalAddress& postal = *placemark.postalAddress;
        // Empty parts are kept so that the position of each part stays fixed.
        std::string joined = postal.street + "," + postal.city + "," + postal.postalCode + "," + postal.state + "," +
                             postal.subAdministrativeArea + "," + postal.subLocality + "," + postal.country;
        address.formattedAddress = sanitize(joined);
    }
    return address;
}

const std::string& GPSAddress::field(std::string_view tokenId) const {
    for (const FieldInfo& info : kFields) {
        if (info.tokenId == tokenId)
            return this->*info.member;
    }
    return kEmpty;
}

nlohmann::json GPSAddress::toJson() const {
    nlohmann::json json = nlohmann::json::object();
    for (const FieldInfo& info : kFields)
        json[std::string(info.key)] = this->*info.member;
    return json;
}

std::optional<GPSAddress> GPSAddress::fromJson(const nlohmann::json& json) {
    if (!json.is_object())
        return std::nullopt;
    GPSAddress address;
    for (const FieldInfo& info : kFields) {
        auto found = json.find(info.key);
        if (found == json.end() || !found->is_string())
            return std::nullopt;
        address.*info.member = found->get<std::string>();
    }
    return address;
}

} // namespace quillory
