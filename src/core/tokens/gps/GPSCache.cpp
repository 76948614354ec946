// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSCache.h"

#include "app/JsonInput.h"
#include "app/Logger.h"
#include "app/Preferences.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace quillory {

std::string GPSCache::numberDescription(double value) {
    if (value == 0)
        value = 0; // no "-0": both sides of the equator round into one key
    char buffer[64];
    // Fixed notation except for tiny magnitudes, where the exponent form is the shorter one.
    const auto format = (std::fabs(value) >= 1e-4 || value == 0) ? std::chars_format::fixed
                                                                  : std::chars_format::scientific;
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    if (ec != std::errc())
        return std::to_string(value);
    std::string text(buffer, end);
    // Two exponent digits at least, the way printf writes them.
    if (auto e = text.find('e'); e != std::string::npos && text.size() - e == 3)
        text.insert(e + 2, "0");
    return text;
}

std::string GPSCache::key(const GPSCoordinates& coordinates, GPSPrecision precision, std::string_view source) {
    const int places = decimalPlaces(precision);
    const std::string prefix = source.empty() ? std::string() : std::string(source) + " ";
    return prefix + numberDescription(roundToPlaces(coordinates.latitude, places)) + "," +
           numberDescription(roundToPlaces(coordinates.longitude, places));
}

std::optional<GPSAddress> GPSCache::lookup(const GPSCoordinates& coordinates, GPSPrecision precision,
                                          std::string_view source) const {
    const std::string wanted = key(coordinates, precision, source);
    std::lock_guard lock(mutex_);
    auto found = cache_.find(wanted);
    if (found == cache_.end())
        return std::nullopt;
    return found->second;
}

void GPSCache::store(const GPSCoordinates& coordinates, const GPSAddress& address, std::string_view source) {
    std::lock_guard lock(mutex_);
    for (GPSPrecision precision : kAllGPSPrecisions)
        cache_[key(coordinates, precision, source)] = address;
    changed_ = true;
}

std::size_t GPSCache::count() const {
    std::lock_guard lock(mutex_);
    return cache_.size();
}

GPSCache::Entries GPSCache::entries() const {
    std::lock_guard lock(mutex_);
    return cache_;
}

void GPSCache::clear() {
    std::lock_guard lock(mutex_);
    cache_.clear();
    changed_ = true;
}

std::string GPSCache::countLabel() const { return "Cached coordinates: " + std::to_string(count()); }

nlohmann::json GPSCache::toJson() const {
    nlohmann::json entries = nlohmann::json::object();
    std::lock_guard lock(mutex_);
    for (const auto& [cacheKey, address] : cache_)
        entries[cacheKey] = address.toJson();
    return nlohmann::json{{"cache", std::move(entries)}};
}

Result<GPSCache::Entries> GPSCache::entriesFromJson(const nlohmann::json& json) {
    if (!json.is_object())
        return Error{"the GPS cache is not a JSON object"};
    Entries entries;
    auto cache = json.find("cache");
    if (cache == json.end())
        return entries;
    if (!cache->is_object())
        return Error{"\"cache\" is not a JSON object"};
    for (const auto& [cacheKey, value] : cache->items()) {
        auto address = GPSAddress::fromJson(value);
        if (!address)
            return Error{"the entry \"" + cacheKey + "\" is not a complete address"};
        entries.emplace(cacheKey, std::move(*address));
    }
    return entries;
}

void GPSCache::load(const Preferences& preferences) {
    const nlohmann::json stored = preferences.value(PreferenceKey::gpsCache);
    Entries loaded;
    if (stored.is_null()) {
        Logger::log("No GPS Cache found in Preferences.");
    } else if (!stored.is_string() || stored.get_ref<const std::string&>().empty()) {
        Logger::log("Preferences contains empty json data for gpsCache.");
    } else {
        const auto json = JsonInput::parse(stored.get_ref<const std::string&>());
        auto decoded = json ? entriesFromJson(*json) : Result<Entries>(json.error());
        if (decoded.ok()) {
            loaded = std::move(decoded.value());
            Logger::log("Reading GPS Cache with ", loaded.size(), " entries from Preferences.");
        } else {
            Logger::error("GPS Cache in Preferences cannot be decoded (", decoded.error().message,
                          "); starting with an empty cache.");
        }
    }
    std::lock_guard lock(mutex_);
    cache_ = std::move(loaded);
    changed_ = false;
}

Status GPSCache::save(Preferences& preferences) {
    nlohmann::json json;
    {
        // Taken with the flag under one lock, so an entry stored meanwhile keeps the cache marked.
        std::lock_guard lock(mutex_);
        nlohmann::json entries = nlohmann::json::object();
        for (const auto& [cacheKey, address] : cache_)
            entries[cacheKey] = address.toJson();
        json = nlohmann::json{{"cache", std::move(entries)}};
        changed_ = false;
    }
    Logger::log("Writing GPS Cache with ", json["cache"].size(), " entries to Preferences.");
    std::string text;
    try {
        text = json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    } catch (const std::exception&) {
        Logger::error("Unable to encode GPSCache as JSON");
        std::lock_guard lock(mutex_);
        changed_ = true;
        return Error{"Unable to encode GPSCache as JSON"};
    }
    preferences.setValue(PreferenceKey::gpsCache, std::move(text));
    return Status::success();
}

bool GPSCache::saveIfChanged(Preferences& preferences) {
    if (!hasUnsavedChanges())
        return false;
    return save(preferences).ok();
}

bool GPSCache::hasUnsavedChanges() const {
    std::lock_guard lock(mutex_);
    return changed_;
}

} // namespace quillory
