// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "tokens/gps/GPSAddress.h"
#include "tokens/gps/GPSCache.h"
#include "tokens/gps/GPSCoordinates.h"
#include "tokens/gps/GPSLookupResult.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <variant>
#include <vector>

namespace quillory {

class Geocoder;
class NotificationCenter;
class Preferences;

// Lengths in "seconds" of the retry loop; `second` is injectable so that tests run fast.
struct GPSResolverTiming {
    std::chrono::milliseconds second = std::chrono::seconds(1);
    int firstPause = 60;  // seconds before the second request
    int pauseStep = 20;   // each pause is this much shorter than the one before
    int waitMargin = 10;  // a request may take the pause length plus this long
    int maxRetries = 3;   // requests after the first one
};

// Gives the text of a GPS address token for a file: from the cache in quick mode, asking the
// geocoder (and waiting, with retries and pauses) in full mode. Thread-safe; full lookups run one
// at a time, so one location is never asked for twice.
class GPSAddressResolver {
public:
    using Timing = GPSResolverTiming;

    // A failure of retrieving an address: the error for the user, or the user's abort.
    struct Aborted {};
    using Retrieval = std::variant<GPSAddress, GPSError, Aborted>;

    // `preferences` gives the lookup switch (absent → on); `notifications` carries "abortProcess"
    // and the countdown's progress posts. Both may be null.
    GPSAddressResolver(std::shared_ptr<GPSCache> cache, std::shared_ptr<Geocoder> geocoder,
                       const Preferences* preferences = nullptr, NotificationCenter* notifications = nullptr,
                       Timing timing = {});
    ~GPSAddressResolver();
    GPSAddressResolver(const GPSAddressResolver&) = delete;
    GPSAddressResolver& operator=(const GPSAddressResolver&) = delete;

    // Quick mode: never waits. Switch off or no coordinates → empty text; cached → the field;
    // otherwise lateUpdateRequired.
    GPSLookupResult quickText(const std::optional<GPSCoordinates>& coordinates, std::string_view tokenId) const;
    GPSLookupResult quickText(const AttributeMap& attributes, std::string_view tokenId) const;
    // Full mode: may block on the geocoder. Switch off or no coordinates → empty text. A stop request
    // on `stop` ends the lookup, its wait for the service and its pauses like the user's abort does,
    // however early it comes.
    GPSLookupResult fullText(const std::optional<GPSCoordinates>& coordinates, std::string_view tokenId,
                             std::stop_token stop);
    GPSLookupResult fullText(const AttributeMap& attributes, std::string_view tokenId, std::stop_token stop);

    // What "abortProcess" does: ends a running lookup or countdown.
    void abort();
    // For a run that cannot wait (the command line): no pauses and retries, and once the service timed
    // out or could not be reached, every later lookup fails at once with that error (until the geocoder
    // is replaced).
    void setFailFast(bool failFast);
    // Called on the looking-up thread before each request to the geocoder (a progress line can then tell
    // that the run waits for place names); empty: nothing is called.
    void setLookupListener(std::function<void()> listener);
    bool lookupEnabled() const;

    GPSCache& cache() { return *cache_; }
    // The geocoder asks after a settings change; lookups already running finish with the old one.
    void setGeocoder(std::shared_ptr<Geocoder> geocoder);
    std::shared_ptr<Geocoder> geocoder() const;

private:
    struct PendingRequest;
    // A request to the geocoder on its own thread, so that a service that does not answer in time is
    // given up on; stopped and joined at the latest by the destructor.
    struct Request {
        std::shared_ptr<PendingRequest> pending;
        std::jthread thread;
    };
    // The stop of the lookup in progress, if any; shared with the "abortProcess" observer.
    struct AbortState {
        std::mutex mutex;
        std::stop_source current{std::nostopstate};
    };

    // Asks the geocoder, with retries, and stores a success in the cache. Called with lookupMutex_ held.
    Retrieval retrieve(const GPSCoordinates& coordinates, std::stop_token stop);
    // One geocoding request, waited for at most `wait`: an address, an error (99 on timeout) or the abort.
    Retrieval requestOnce(const GPSCoordinates& coordinates, std::chrono::milliseconds wait, std::stop_token stop);
    void joinFinishedRequests();
    // The source of the cached answers of the current geocoder.
    std::string cacheSource() const;

    std::shared_ptr<GPSCache> cache_;
    mutable std::mutex geocoderMutex_;
    std::shared_ptr<Geocoder> geocoder_; // guarded by geocoderMutex_
    bool failFast_ = false;              // guarded by geocoderMutex_
    std::optional<GPSError> unreachable_; // guarded by geocoderMutex_: why the service is given up
    std::function<void()> lookupListener_; // guarded by geocoderMutex_
    const Preferences* preferences_;
    NotificationCenter* notifications_;
    Timing timing_;
    std::shared_ptr<AbortState> abort_ = std::make_shared<AbortState>();
    std::size_t observer_ = 0;
    std::mutex lookupMutex_;
    std::mutex requestsMutex_;
    std::vector<Request> requests_; // guarded by requestsMutex_
};

} // namespace quillory
