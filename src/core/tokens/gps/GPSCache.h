// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "tokens/gps/GPSAddress.h"
#include "tokens/gps/GPSCoordinates.h"
#include "tokens/gps/GPSPrecision.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

class Preferences;

// Geocoder answers by rounded coordinates, shared by every lookup and kept in the preferences
// between runs. One answer is stored under all six precisions so that coarse parts (the country)
// are reused by every nearby location. Thread-safe.
class GPSCache {
public:
    using Entries = std::map<std::string, GPSAddress>;

    // "52.37,4.9": both coordinates rounded to the precision's places, in their shortest form. The
    // answers of an online service (`source` is its address) are kept under "<source> 52.37,4.9",
    // apart from the offline geocoder's, whose keys (and those of older caches) have no source.
    static std::string key(const GPSCoordinates& coordinates, GPSPrecision precision,
                           std::string_view source = {});
    // The shortest text that reads back as the number: "52.37", "4.9", "52", "1e-05".
    static std::string numberDescription(double value);

    std::optional<GPSAddress> lookup(const GPSCoordinates& coordinates, GPSPrecision precision,
                                     std::string_view source = {}) const;
    // Stores under the keys of all six precisions, replacing older entries of the same source.
    void store(const GPSCoordinates& coordinates, const GPSAddress& address, std::string_view source = {});

    std::size_t count() const;
    Entries entries() const;
    void clear();
    // The text of the preferences window: "Cached coordinates: " + count.
    std::string countLabel() const;

    // The stored JSON form: {"cache": {key: address, ...}}.
    nlohmann::json toJson() const;
    // A missing "cache" gives an empty cache; anything malformed gives an error.
    static Result<Entries> entriesFromJson(const nlohmann::json& json);

    // Reads the cache stored in the preferences; a value that does not decode leaves it empty
    // (logged) and is overwritten at the next save.
    void load(const Preferences& preferences);
    // Writes the whole cache to the preferences.
    Status save(Preferences& preferences);
    // Writes only when something changed since the last load or save (called after a run, so
    // that a crash later does not lose what the run looked up). True when it wrote.
    bool saveIfChanged(Preferences& preferences);
    bool hasUnsavedChanges() const;

private:
    mutable std::mutex mutex_;
    Entries cache_;
    bool changed_ = false;
};

} // namespace quillory
