// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateFeed.h"

#include "VersionNumber.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

namespace quillory::update {
namespace {

constexpr std::size_t maxDocumentSize = 64 * 1024;

struct Transfer {
    std::string body;
    std::stop_token stopToken;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer.body.size() + bytes > maxDocumentSize)
        return 0; // ends the transfer with a write error
    transfer.body.append(data, bytes);
    return bytes;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->stopToken.stop_requested() ? 1 : 0;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Plain http only where nobody else can read or change the answer.
bool isAllowedFeedUrl(std::string_view url) {
    if (startsWith(url, "https://"))
        return true;
    for (std::string_view local : {"http://127.0.0.1:", "http://127.0.0.1/", "http://localhost:", "http://localhost/",
                                   "http://[::1]:", "http://[::1]/"})
        if (startsWith(url, local))
            return true;
    return false;
}

} // namespace

Result<UpdateInfo> UpdateFeed::parse(std::string_view json) {
    const auto document = nlohmann::json::parse(json, nullptr, false);
    if (document.is_discarded() || !document.is_object())
        return Error{"the update feed is not a JSON object"};
    UpdateInfo info;
    for (auto [key, field] : {std::pair{"version", &info.version}, {"message", &info.message}, {"url", &info.url}}) {
        const auto found = document.find(key);
        if (found == document.end() || !found->is_string())
            return Error{std::string("the update feed has no \"") + key + "\" text"};
        *field = found->get<std::string>();
    }
    if (!VersionNumber::parse(info.version))
        return Error{"the update feed names no version number: '" + info.version + "'"};
    if (!startsWith(info.url, "https://") && !startsWith(info.url, "http://"))
        return Error{"the update feed links to no web page: '" + info.url + "'"};
    return info;
}

Result<UpdateInfo> UpdateFeed::fetch(const std::string& url, std::chrono::milliseconds timeout,
                                     std::stop_token stopToken) {
    if (!isAllowedFeedUrl(url))
        return Error{"the update feed must be an https address: '" + url + "'"};
    CURL* curl = curl_easy_init();
    if (!curl)
        return Error{"cannot start an HTTP request"};
    Transfer transfer{{}, std::move(stopToken)};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quillory update check");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
#else
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(timeout.count()));
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK)
        return Error{std::string("the update check failed: ") + (errorBuffer[0] ? errorBuffer : curl_easy_strerror(code))};
    if (status != 200)
        return Error{"the update feed answered with HTTP status " + std::to_string(status)};
    return parse(transfer.body);
}

bool UpdateFeed::isNewer(const UpdateInfo& info, std::string_view currentVersion) {
    const auto offered = VersionNumber::parse(info.version);
    const auto current = VersionNumber::parse(currentVersion);
    return offered && current && *offered > *current;
}

} // namespace quillory::update
