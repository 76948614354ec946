// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GeoNamesDataBuilder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace quillory {

namespace {

std::unordered_map<std::string, std::string> namesByCode(const nlohmann::json& list) {
    std::unordered_map<std::string, std::string> names;
    if (!list.is_array())
        return names;
    for (const auto& entry : list) {
        if (!entry.is_object())
            continue;
        auto code = entry.find("code");
        auto name = entry.find("name");
        if (code != entry.end() && name != entry.end() && code->is_string() && name->is_string())
            names.emplace(code->get<std::string>(), name->get<std::string>());
    }
    return names;
}

std::optional<double> numberIn(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    if (found == entry.end())
        return std::nullopt;
    if (found->is_number())
        return found->get<double>();
    if (!found->is_string())
        return std::nullopt;
    const std::string& text = found->get_ref<const std::string&>();
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string textIn(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    return (found != entry.end() && found->is_string()) ? found->get<std::string>() : std::string();
}

template <typename T> void append(std::string& out, const T* values, std::size_t count) {
    out.append(reinterpret_cast<const char*>(values), count * sizeof(T));
}

struct Point {
    std::array<float, 3> xyz;
};

// Orders [lo, hi) as an implicit k-d tree: the median of a range splits it on axis depth % 3.
void arrangeKdTree(std::vector<std::uint32_t>& order, const std::vector<Point>& points, std::size_t lo,
                   std::size_t hi, int depth) {
    if (hi - lo <= 1)
        return;
    const std::size_t mid = lo + (hi - lo) / 2;
    const int axis = depth % 3;
    std::nth_element(order.begin() + lo, order.begin() + mid, order.begin() + hi,
                     [&](std::uint32_t a, std::uint32_t b) { return points[a].xyz[axis] < points[b].xyz[axis]; });
    arrangeKdTree(order, points, lo, mid, depth + 1);
    arrangeKdTree(order, points, mid + 1, hi, depth + 1);
}

} // namespace

Result<std::vector<GeoNamesDataBuilder::Place>> GeoNamesDataBuilder::parse(std::string_view citiesJson,
                                                                           std::string_view admin1Json,
                                                                           std::string_view admin2Json) {
    const auto cities = nlohmann::json::parse(citiesJson, nullptr, false);
    if (cities.is_discarded() || !cities.is_array())
        return Error{"the place list is not a JSON array"};
    const auto admin1 = namesByCode(nlohmann::json::parse(admin1Json, nullptr, false));
    const auto admin2 = namesByCode(nlohmann::json::parse(admin2Json, nullptr, false));

    std::vector<Place> places;
    places.reserve(cities.size());
    for (const auto& entry : cities) {
        if (!entry.is_object())
            continue;
        Place place;
        place.name = textIn(entry, "name");
        auto latitude = numberIn(entry, "lat");
        auto longitude = numberIn(entry, "lng");
        if (place.name.empty() || !latitude || !longitude || std::fabs(*latitude) > 90 || std::fabs(*longitude) > 180)
            continue;
        place.latitude = *latitude;
        place.longitude = *longitude;
        place.country = textIn(entry, "country");
        const std::string admin1Code = place.country + "." + textIn(entry, "admin1");
        if (auto found = admin1.find(admin1Code); found != admin1.end())
            place.admin1 = found->second;
        if (auto found = admin2.find(admin1Code + "." + textIn(entry, "admin2")); found != admin2.end())
            place.admin2 = found->second;
        places.push_back(std::move(place));
    }
    return places;
}

std::string GeoNamesDataBuilder::build(std::vector<Place> places) {
    const std::size_t count = places.size();
    std::vector<Point> points(count);
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double lat = places[i].latitude * kRadians;
        const double lon = places[i].longitude * kRadians;
        points[i].xyz = {float(std::cos(lat) * std::cos(lon)), float(std::cos(lat) * std::sin(lon)), float(std::sin(lat))};
    }
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    arrangeKdTree(order, points, 0, count, 0);

    // Names repeat a lot (admin areas above all), so each text is stored once.
    std::string pool;
    std::unordered_map<std::string, std::uint32_t> offsets;
    auto intern = [&](const std::string& text) -> std::uint32_t {
        if (text.empty())
            return kNone;
        auto [it, inserted] = offsets.emplace(text, std::uint32_t(pool.size()));
        if (inserted) {
            pool += text;
            pool += '\0';
        }
        return it->second;
    };

    std::vector<float> xyz;
    std::vector<std::uint32_t> names, admin1, admin2;
    std::string countries;
    xyz.reserve(count * 3);
    for (std::uint32_t index : order) {
        const Place& place = places[index];
        xyz.insert(xyz.end(), points[index].xyz.begin(), points[index].xyz.end());
        names.push_back(intern(place.name));
        admin1.push_back(intern(place.admin1));
        admin2.push_back(intern(place.admin2));
        std::string code = place.country.substr(0, 2);
        code.resize(2, ' ');
        countries += code;
    }

    std::string out(magic);
    const std::uint32_t header[2] = {std::uint32_t(count), std::uint32_t(pool.size())};
    append(out, header, 2);
    append(out, xyz.data(), xyz.size());
    append(out, names.data(), names.size());
    append(out, admin1.data(), admin1.size());
    append(out, admin2.data(), admin2.size());
    out += countries;
    out.resize((out.size() + 3) / 4 * 4, '\0');
    out += pool;
    return out;
}

} // namespace quillory
