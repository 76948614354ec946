// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSError.h"

namespace quillory {

GPSError GPSError::fromCode(int code) {
    GPSError error;
    error.errorCode = code;
    const std::string suffix = " (" + std::to_string(code) + ")";
    switch (code) {
    case locationUnknown:
        error.messageText = "The location manager was unable to obtain a location value right now." + suffix;
        error.retry = true;
        break;
    case denied:
        error.messageText = "Access to the location service was denied by the user." + suffix;
        error.retry = true;
        break;
    case network:
        error.messageText = "The network was unavailable or a network error occurred." + suffix;
        error.informativeText =
            std::string("This may be only temporary. Please try again in a minute.\n\n") + defaultInformativeText;
        error.retry = true;
        break;
    case noResult:
        error.messageText = "The geocode request yielded no result." + suffix;
        break;
    case partialResult:
        error.messageText = "The geocode request yielded a partial result." + suffix;
        break;
    case timeout:
        error.messageText = "GPS Address retrieval timed out." + suffix;
        break;
    default:
        error.messageText = defaultMessageText + suffix;
        break;
    }
    return error;
}

} // namespace quillory
