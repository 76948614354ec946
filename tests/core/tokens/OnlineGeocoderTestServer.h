// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillory::test {

// A one-connection-at-a-time HTTP server on 127.0.0.1 (port chosen by the system) that answers each
// request through a handler and remembers what it was sent.
class LocalHttpServer {
public:
    struct Response {
        int status = 200;
        std::string body;
        std::chrono::milliseconds delay{0};
    };
    struct Request {
        std::string target; // "/reverse?format=..."
        std::string userAgent;
        std::chrono::steady_clock::time_point arrival;
    };
    using Handler = std::function<Response(const std::string& target)>;

    explicit LocalHttpServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<Request> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client) {
        std::string text;
        char buffer[4096];
        while (text.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            text.append(buffer, std::size_t(n));
        }
        Request request;
        request.arrival = std::chrono::steady_clock::now();
        const auto firstSpace = text.find(' ');
        request.target = text.substr(firstSpace + 1, text.find(' ', firstSpace + 1) - firstSpace - 1);
        if (auto agent = text.find("User-Agent: "); agent != std::string::npos)
            request.userAgent = text.substr(agent + 12, text.find("\r\n", agent) - agent - 12);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const Response response = handler_(request.target);
        const auto until = std::chrono::steady_clock::now() + response.delay;
        while (std::chrono::steady_clock::now() < until && !stop_)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::string reply = "HTTP/1.1 " + std::to_string(response.status) +
                                  " X\r\nContent-Type: application/json\r\nContent-Length: " +
                                  std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n" +
                                  response.body;
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};

} // namespace quillory::test
