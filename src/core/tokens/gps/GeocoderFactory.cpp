// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GeocoderFactory.h"

#include "app/Logger.h"
#include "app/Preferences.h"
#include "tokens/gps/OfflineGeocoder.h"
#include "tokens/gps/OnlineGeocoder.h"

namespace quillory {

std::shared_ptr<Geocoder> GeocoderFactory::make(const Preferences& preferences) {
    auto setting = preferences.string(PreferenceKey::gpsGeocoder);
    return make(setting ? std::string_view(*setting) : offline);
}

std::shared_ptr<Geocoder> GeocoderFactory::make(std::string_view setting) {
    if (setting.empty() || setting == offline)
        return OfflineGeocoder::embedded();
    if (setting.starts_with("http://") || setting.starts_with("https://")) {
        if (OnlineGeocoder::available()) {
            OnlineGeocoder::Options options;
            options.baseUrl = std::string(setting);
            return std::make_shared<OnlineGeocoder>(std::move(options));
        }
        Logger::error("GPS geocoder \"", setting, "\" needs HTTP support (libcurl), which is missing; using offline.");
        return OfflineGeocoder::embedded();
    }
    Logger::error("Unknown GPS geocoder \"", setting, "\"; using offline.");
    return OfflineGeocoder::embedded();
}

} // namespace quillory
