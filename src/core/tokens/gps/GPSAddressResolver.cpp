// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSAddressResolver.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/Preferences.h"
#include "tokens/gps/AppSleep.h"
#include "tokens/gps/Geocoder.h"
#include "tokens/gps/OnlineGeocoder.h"

#include <algorithm>
#include <condition_variable>

namespace quillory {

// The meeting point of a waiting lookup and its request thread; shared, because a request that
// timed out may still finish after the lookup has moved on.
struct GPSAddressResolver::PendingRequest {
    std::mutex mutex;
    std::condition_variable_any done;
    std::optional<GeocoderAnswer> answer;
};

GPSAddressResolver::GPSAddressResolver(std::shared_ptr<GPSCache> cache, std::shared_ptr<Geocoder> geocoder,
                                       const Preferences* preferences, NotificationCenter* notifications,
                                       Timing timing)
    : cache_(std::move(cache)), geocoder_(std::move(geocoder)), preferences_(preferences),
      notifications_(notifications), timing_(timing) {
    if (notifications_) {
        observer_ = notifications_->addObserver(AppNotification::abortProcess, [state = abort_](const Notification&) {
            std::lock_guard lock(state->mutex);
            state->current.request_stop();
        });
    }
}

GPSAddressResolver::~GPSAddressResolver() {
    if (notifications_)
        notifications_->removeObserver(observer_);
    std::vector<Request> requests;
    {
        std::lock_guard lock(requestsMutex_);
        requests.swap(requests_);
    }
    // The geocoder's own wait (its HTTP call) ends on the stop; the threads are joined here.
    for (auto& request : requests)
        request.thread.request_stop();
}

void GPSAddressResolver::abort() {
    std::lock_guard lock(abort_->mutex);
    abort_->current.request_stop();
}

bool GPSAddressResolver::lookupEnabled() const {
    return preferences_ == nullptr || preferences_->boolValue(PreferenceKey::gpsAddressLookup);
}

GPSLookupResult GPSAddressResolver::quickText(const std::optional<GPSCoordinates>& coordinates,
                                              std::string_view tokenId) const {
    // With the lookup switched off nothing would ever fill the cache, so waiting for it is pointless.
    if (!lookupEnabled() || !coordinates)
        return GPSLookupResult::ofText({});
    auto address = cache_->lookup(*coordinates, gpsPrecisionForToken(tokenId), cacheSource());
    if (!address)
        return GPSLookupResult::lateUpdate();
    return GPSLookupResult::ofText(address->field(tokenId));
}

GPSLookupResult GPSAddressResolver::quickText(const AttributeMap& attributes, std::string_view tokenId) const {
    return quickText(GPSCoordinates::fromAttributes(attributes), tokenId);
}

GPSLookupResult GPSAddressResolver::fullText(const std::optional<GPSCoordinates>& coordinates,
                                             std::string_view tokenId, std::stop_token stop) {
    if (!lookupEnabled() || !coordinates)
        return GPSLookupResult::ofText({});
    const GPSPrecision precision = gpsPrecisionForToken(tokenId);
    if (auto address = cache_->lookup(*coordinates, precision, cacheSource()))
        return GPSLookupResult::ofText(address->field(tokenId));

    std::lock_guard lock(lookupMutex_);
    // Another pass may have looked this location up while we waited for our turn.
    if (auto address = cache_->lookup(*coordinates, precision, cacheSource()))
        return GPSLookupResult::ofText(address->field(tokenId));
    Retrieval retrieval = retrieve(*coordinates, std::move(stop));
    if (auto* address = std::get_if<GPSAddress>(&retrieval))
        return GPSLookupResult::ofText(address->field(tokenId));
    if (auto* error = std::get_if<GPSError>(&retrieval))
        return GPSLookupResult::failure(*error);
    return GPSLookupResult::abortedByUser();
}

GPSLookupResult GPSAddressResolver::fullText(const AttributeMap& attributes, std::string_view tokenId,
                                             std::stop_token stop) {
    return fullText(GPSCoordinates::fromAttributes(attributes), tokenId, std::move(stop));
}

GPSAddressResolver::Retrieval GPSAddressResolver::retrieve(const GPSCoordinates& coordinates, std::stop_token stop) {
    bool failFast = false;
    std::function<void()> listener;
    {
        std::lock_guard lock(geocoderMutex_);
        failFast = failFast_;
        listener = lookupListener_;
        if (failFast_ && unreachable_)
            return *unreachable_;
    }
    // This lookup ends on the caller's stop or on the user's abort, whichever comes first; an abort
    // from before the lookup began is not this lookup's.
    std::stop_source lookup;
    {
        std::lock_guard lock(abort_->mutex);
        abort_->current = lookup;
    }
    struct ForgetLookup {
        AbortState& state;
        ~ForgetLookup() {
            std::lock_guard lock(state.mutex);
            state.current = std::stop_source(std::nostopstate);
        }
    } forget{*abort_};
    // Runs at once when the stop came before the lookup began.
    std::stop_callback onStop(stop, [&lookup] { lookup.request_stop(); });
    const std::stop_token ended = lookup.get_token();
    const std::string source = cacheSource();
    int pause = timing_.firstPause;
    int retryCount = 0;
    while (true) {
        if (ended.stop_requested())
            return Aborted{};
        if (listener)
            listener();
        Retrieval outcome = requestOnce(coordinates, timing_.second * (pause + timing_.waitMargin), ended);
        if (auto* address = std::get_if<GPSAddress>(&outcome)) {
            cache_->store(coordinates, *address, source);
            return outcome;
        }
        if (std::holds_alternative<Aborted>(outcome))
            return outcome;
        const GPSError& error = std::get<GPSError>(outcome);
        if (failFast && (error.errorCode == GPSError::timeout || error.errorCode == GPSError::network)) {
            Logger::log("Giving up on the GPS service for this run");
            GPSError givenUp = error;
            givenUp.informativeText = "Place names are not looked up again in this run; check the network or the "
                                      "gpsGeocoder setting.";
            givenUp.retry = false;
            std::lock_guard lock(geocoderMutex_);
            unreachable_ = givenUp;
            return givenUp;
        }
        if (!error.retry || retryCount >= timing_.maxRetries) {
            Logger::log("Giving up!");
            return outcome;
        }
        Logger::log("Sleeping ", pause);
        AppSleep sleep(notifications_, timing_.second);
        if (!sleep.countdown(pause, ended))
            return Aborted{};
        pause = std::max(0, pause - timing_.pauseStep);
        ++retryCount;
    }
}

void GPSAddressResolver::setGeocoder(std::shared_ptr<Geocoder> geocoder) {
    std::lock_guard lock(geocoderMutex_);
    geocoder_ = std::move(geocoder);
    unreachable_.reset();
}

void GPSAddressResolver::setLookupListener(std::function<void()> listener) {
    std::lock_guard lock(geocoderMutex_);
    lookupListener_ = std::move(listener);
}

void GPSAddressResolver::setFailFast(bool failFast) {
    std::lock_guard lock(geocoderMutex_);
    failFast_ = failFast;
}

std::string GPSAddressResolver::cacheSource() const {
    std::lock_guard lock(geocoderMutex_);
    return geocoder_ ? geocoder_->serviceUrl() : std::string();
}

std::shared_ptr<Geocoder> GPSAddressResolver::geocoder() const {
    std::lock_guard lock(geocoderMutex_);
    return geocoder_;
}

void GPSAddressResolver::joinFinishedRequests() {
    std::lock_guard lock(requestsMutex_);
    // A request with its answer has nothing left to do but return, so the join is at once.
    std::erase_if(requests_, [](Request& request) {
        std::lock_guard answered(request.pending->mutex);
        return request.pending->answer.has_value();
    });
}

GPSAddressResolver::Retrieval GPSAddressResolver::requestOnce(const GPSCoordinates& coordinates,
                                                              std::chrono::milliseconds wait, std::stop_token stop) {
    Logger::log("lookupAddress: GPS Address retrieval latitude:", GPSCache::numberDescription(coordinates.latitude),
                ", longitude:", GPSCache::numberDescription(coordinates.longitude));
    auto pending = std::make_shared<PendingRequest>();
    const auto asked = geocoder();
    // The user needs to know which service failed to answer, to fix the setting or the network.
    const std::string host = asked ? OnlineGeocoder::hostOf(asked->serviceUrl()) : std::string();
    joinFinishedRequests();
    std::stop_source requestStop;
    try {
        std::jthread thread([geocoder = asked, pending, coordinates](std::stop_token requestStopped) {
            GeocoderAnswer answer =
                geocoder ? geocoder->reverseGeocode(coordinates.latitude, coordinates.longitude, requestStopped)
                         : GeocoderAnswer::failure(GPSError::noResult, "no geocoder");
            std::lock_guard lock(pending->mutex);
            pending->answer = std::move(answer);
            pending->done.notify_all();
        });
        requestStop = thread.get_stop_source();
        std::lock_guard lock(requestsMutex_);
        requests_.push_back(Request{pending, std::move(thread)});
    } catch (const std::system_error& error) {
        Logger::error("GPS Address error: ", error.what());
        return GPSError{};
    }

    std::unique_lock lock(pending->mutex);
    // Ends at the answer, at the deadline, or at once on a stop of the lookup.
    const bool answered = pending->done.wait_for(lock, stop, wait, [&] { return pending->answer.has_value(); });
    if (!answered) {
        lock.unlock();
        // Nobody reads this request's answer any more: its HTTP call may end now.
        requestStop.request_stop();
        if (stop.stop_requested())
            return Aborted{};
        GPSError error = GPSError::fromCode(GPSError::timeout);
        if (!host.empty())
            error.messageText = "The place-name service " + host + " did not answer in time (" +
                                std::to_string(GPSError::timeout) + ")";
        Logger::log("GPS Address error: timed out");
        Logger::log("Error Details: ", error.messageText, ", retry=", error.retry ? "true" : "false");
        return error;
    }
    const GeocoderAnswer& answer = *pending->answer;
    if (answer.ok())
        return answer.placemark ? GPSAddress::fromPlacemark(*answer.placemark) : GPSAddress{};
    GPSError error = GPSError::fromCode(*answer.errorCode);
    if (!host.empty() && (error.errorCode == GPSError::network || error.errorCode == GPSError::timeout))
        error.messageText = "The place-name service " + host +
                            (error.errorCode == GPSError::timeout ? " did not answer in time: " : " cannot be reached: ") +
                            answer.errorDescription + " (" + std::to_string(error.errorCode) + ")";
    Logger::log("GPS Address error: ", answer.errorDescription);
    Logger::log("Error Details: ", error.messageText, ", retry=", error.retry ? "true" : "false");
    return error;
}

} // namespace quillory
