// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/OnlineGeocoder.h"

#include "app/JsonInput.h"
#include "Version.h"
#include "tokens/gps/GPSCache.h"
#include "tokens/gps/GPSError.h"

#include <nlohmann/json.hpp>

#include <thread>

#ifdef QUILLORY_HAVE_CURL
#include <curl/curl.h>
#include <dlfcn.h>

#include <type_traits>
#endif

namespace quillory {

namespace {

std::string firstOf(const nlohmann::json& address, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        auto found = address.find(key);
        if (found != address.end() && found->is_string() && !found->get_ref<const std::string&>().empty())
            return found->get<std::string>();
    }
    return {};
}

#ifdef QUILLORY_HAVE_CURL
constexpr std::size_t kMaxBody = 1 << 20;

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
    auto* body = static_cast<std::string*>(target);
    if (body->size() + size * count > kMaxBody)
        return 0; // ends the transfer: no reverse-geocoding answer is this big
    body->append(data, size * count);
    return size * count;
}

// libcurl is loaded at the first request, not with the program: with the TLS and authentication
// libraries it brings, it would add milliseconds to every start, and few runs look a place up online.
struct Curl {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
    std::string failure; // why the library is not there; then nothing else is set
};

const Curl& curlLibrary() {
    static const Curl curl = [] {
        Curl loaded;
        // The sonames of Debian's builds of libcurl (OpenSSL, then GnuTLS); the headers are the same.
        void* library = nullptr;
        for (const char* name : {"libcurl.so.4", "libcurl-gnutls.so.4"})
            if ((library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL)))
                break;
        if (!library) {
            const char* reason = ::dlerror();
            loaded.failure = std::string("HTTP support (libcurl) cannot be loaded: ") + (reason ? reason : "");
            return loaded;
        }
        bool complete = true;
        const auto bind = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
            complete = complete && function != nullptr;
        };
        bind(loaded.globalInit, "curl_global_init");
        bind(loaded.easyInit, "curl_easy_init");
        bind(loaded.easySetopt, "curl_easy_setopt");
        bind(loaded.easyPerform, "curl_easy_perform");
        bind(loaded.easyGetinfo, "curl_easy_getinfo");
        bind(loaded.easyCleanup, "curl_easy_cleanup");
        bind(loaded.easyStrerror, "curl_easy_strerror");
        bind(loaded.slistAppend, "curl_slist_append");
        bind(loaded.slistFreeAll, "curl_slist_free_all");
        if (!complete) {
            Curl missing;
            missing.failure = "HTTP support (libcurl) lacks a function this program calls";
            return missing;
        }
        if (const CURLcode code = loaded.globalInit(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
            Curl missing;
            missing.failure = std::string("HTTP support (libcurl) cannot be started: ") + loaded.easyStrerror(code);
            return missing;
        }
        return loaded;
    }();
    return curl;
}
#endif

} // namespace

OnlineGeocoder::OnlineGeocoder(Options options) : options_(std::move(options)) {
    while (!options_.baseUrl.empty() && options_.baseUrl.back() == '/')
        options_.baseUrl.pop_back();
    if (options_.userAgent.empty())
        options_.userAgent = std::string("Quillory/") + kVersion + " (batch file renamer)";
}

bool OnlineGeocoder::available() {
#ifdef QUILLORY_HAVE_CURL
    return curlLibrary().failure.empty();
#else
    return false;
#endif
}

std::string OnlineGeocoder::hostOf(std::string_view url) {
    if (const auto scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const auto at = url.rfind('@'); at != std::string_view::npos)
        url.remove_prefix(at + 1); // never show credentials
    return std::string(url);
}

std::string OnlineGeocoder::requestUrl(double latitude, double longitude) const {
    return options_.baseUrl + "/reverse?format=jsonv2&lat=" + GPSCache::numberDescription(latitude) +
           "&lon=" + GPSCache::numberDescription(longitude);
}

GeocoderAnswer OnlineGeocoder::answerFromResponse(long httpStatus, std::string_view body) {
    if (httpStatus == 429 || httpStatus >= 500 || httpStatus == 403)
        return GeocoderAnswer::failure(GPSError::network, "the service answered HTTP " + std::to_string(httpStatus));
    if (httpStatus != 200)
        return GeocoderAnswer::failure(GPSError::noResult, "the service answered HTTP " + std::to_string(httpStatus));
    const auto parsed = JsonInput::parse(body);
    if (!parsed || !parsed->is_object())
        return GeocoderAnswer::failure(GPSError::network, "the service's answer is not a JSON object");
    const nlohmann::json& json = *parsed;
    if (auto error = json.find("error"); error != json.end())
        return GeocoderAnswer::failure(GPSError::noResult, error->is_string() ? error->get<std::string>() : "error");

    const nlohmann::json address = json.value("address", nlohmann::json::object());
    if (!address.is_object())
        return GeocoderAnswer::failure(GPSError::network, "the service's answer has no address object");
    Placemark placemark;
    placemark.thoroughfare = firstOf(address, {"road", "pedestrian", "footway", "path", "square"});
    placemark.subThoroughfare = firstOf(address, {"house_number"});
    placemark.locality = firstOf(address, {"city", "town", "village", "hamlet", "municipality"});
    placemark.subLocality = firstOf(address, {"suburb", "city_district", "neighbourhood", "quarter"});
    placemark.administrativeArea = firstOf(address, {"state", "province", "region"});
    placemark.subAdministrativeArea = firstOf(address, {"county", "state_district"});
    placemark.postalCode = firstOf(address, {"postcode"});
    placemark.country = firstOf(address, {"country"});
    placemark.isoCountryCode = firstOf(address, {"country_code"});
    for (char& c : placemark.isoCountryCode)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    std::string street = placemark.thoroughfare;
    if (!placemark.subThoroughfare.empty())
        street += (street.empty() ? "" : " ") + placemark.subThoroughfare;
    placemark.name = firstOf(json, {"name"});
    if (placemark.name.empty())
        placemark.name = street;
    placemark.postalAddress = PostalAddress{street,
                                            placemark.locality,
                                            placemark.postalCode,
                                            placemark.administrativeArea,
                                            placemark.subAdministrativeArea,
                                            placemark.subLocality,
                                            placemark.country};
    return GeocoderAnswer::found(std::move(placemark));
}

bool OnlineGeocoder::waitForTurn(std::stop_token stop) {
    // Requests leave one after the other, minInterval apart; a stop ends the wait at once.
    std::unique_lock lock(turnMutex_);
    if (anyRequest_) {
        const auto next = lastRequest_ + options_.minInterval;
        turnChanged_.wait_until(lock, stop, next, [] { return false; });
        if (stop.stop_requested())
            return false;
    }
    lastRequest_ = std::chrono::steady_clock::now();
    anyRequest_ = true;
    return true;
}

#ifdef QUILLORY_HAVE_CURL
namespace {
// curl asks this about once a second and at every chunk; a non-zero answer ends the transfer.
int stopWhenRequested(void* stopToken, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::stop_token*>(stopToken)->stop_requested() ? 1 : 0;
}
} // namespace
#endif

GeocoderAnswer OnlineGeocoder::reverseGeocode(double latitude, double longitude, std::stop_token stop) {
#ifdef QUILLORY_HAVE_CURL
    if (options_.baseUrl.empty())
        return GeocoderAnswer::failure(GPSError::network, "no address of a geocoding service is set");
    const Curl& library = curlLibrary();
    if (!library.failure.empty())
        return GeocoderAnswer::failure(GPSError::network, library.failure);
    if (!waitForTurn(stop))
        return GeocoderAnswer::failure(GPSError::network, "stopped");
    CURL* curl = library.easyInit();
    if (!curl)
        return GeocoderAnswer::failure(GPSError::network, "cannot start an HTTP request");
    std::string body;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const std::string url = requestUrl(latitude, longitude);
    curl_slist* headers = library.slistAppend(nullptr, "Accept: application/json");
    library.easySetopt(curl, CURLOPT_URL, url.c_str());
    library.easySetopt(curl, CURLOPT_HTTPHEADER, headers);
    library.easySetopt(curl, CURLOPT_USERAGENT, options_.userAgent.c_str());
    library.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    library.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    library.easySetopt(curl, CURLOPT_MAXREDIRS, 3L);
#if LIBCURL_VERSION_NUM >= 0x075500
    library.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    library.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    library.easySetopt(curl, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    library.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    library.easySetopt(curl, CURLOPT_TIMEOUT_MS, long(options_.timeout.count()));
    library.easySetopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    library.easySetopt(curl, CURLOPT_WRITEFUNCTION, collect);
    library.easySetopt(curl, CURLOPT_WRITEDATA, &body);
    library.easySetopt(curl, CURLOPT_XFERINFOFUNCTION, stopWhenRequested);
    library.easySetopt(curl, CURLOPT_XFERINFODATA, &stop);
    library.easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = library.easyPerform(curl);
    long status = 0;
    library.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    library.slistFreeAll(headers);
    library.easyCleanup(curl);
    if (code == CURLE_OPERATION_TIMEDOUT)
        return GeocoderAnswer::failure(GPSError::timeout, errorBuffer[0] ? errorBuffer : library.easyStrerror(code));
    if (code != CURLE_OK)
        return GeocoderAnswer::failure(GPSError::network, errorBuffer[0] ? errorBuffer : library.easyStrerror(code));
    return answerFromResponse(status, body);
#else
    (void)latitude;
    (void)longitude;
    (void)stop;
    return GeocoderAnswer::failure(GPSError::network, "this build has no HTTP support (libcurl)");
#endif
}

} // namespace quillory
