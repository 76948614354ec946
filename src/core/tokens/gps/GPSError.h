// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillory {

// Why an address could not be had, in words for the user, and whether a later attempt may work.
struct GPSError {
    // Codes of the geocoders' answers; `timeout` is our own.
    static constexpr int locationUnknown = 0;
    static constexpr int denied = 1;
    static constexpr int network = 2;
    static constexpr int noResult = 8;
    static constexpr int partialResult = 9;
    static constexpr int timeout = 99;

    static constexpr const char* defaultMessageText = "GPS Address information cannot be retrieved.";
    static constexpr const char* defaultInformativeText =
        "The rest of the files will be renamed without GPS Address information.";

    std::string messageText = defaultMessageText;
    std::string informativeText = defaultInformativeText;
    int errorCode = 0;
    bool retry = false;

    static GPSError fromCode(int code);
    bool operator==(const GPSError&) const = default;
};

} // namespace quillory
