// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace quillory::test {

// An HTTP server on 127.0.0.1 that answers every request with one fixed response, or not at all.
class LocalHttpServer {
public:
    // `response` is the whole answer, status line included; empty: accept and never answer.
    explicit LocalHttpServer(std::string response);
    ~LocalHttpServer();

    std::string url(const std::string& path = "/version.json") const;
    int requestCount() const { return requests_; }

    static std::string ok(const std::string& body, const std::string& status = "200 OK");

private:
    void serve();

    std::string response_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> requests_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace quillory::test
