// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <chrono>
#include <stop_token>
#include <string>
#include <string_view>

namespace quillory::update {

// What the project publishes about its latest release: {"version": "0.2.0", "message": "…",
// "url": "https://…"}. The URL is a page to read; Quillory never downloads or runs an installer, which
// on Linux is the package manager's job.
struct UpdateInfo {
    std::string version;
    std::string message;
    std::string url;
};

class UpdateFeed {
public:
    static constexpr std::chrono::seconds defaultTimeout{10};

    // Reads the feed document; the link must be an https (or http) address.
    static Result<UpdateInfo> parse(std::string_view json);
    // Fetches and reads the feed. Only https, except plain http to this machine (127.0.0.1, ::1,
    // localhost). At most 64 KiB; a stop request ends the transfer.
    static Result<UpdateInfo> fetch(const std::string& url, std::chrono::milliseconds timeout = defaultTimeout,
                                    std::stop_token stopToken = {});
    // Whether `info` names a release after `currentVersion`; false when either cannot be read.
    static bool isNewer(const UpdateInfo& info, std::string_view currentVersion);
};

} // namespace quillory::update
