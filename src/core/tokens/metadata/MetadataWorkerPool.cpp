// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWorkerPool.h"

#include "base/Cores.h"
#include "app/Logger.h"
#include "tokens/metadata/MetadataWireFormat.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

#ifndef QUILLORY_WORKER_FROM_BINDIR
#define QUILLORY_WORKER_FROM_BINDIR "../libexec/quillory"
#endif

namespace quillory {

namespace {

using Clock = std::chrono::steady_clock;

// A worker loads its libraries before it says it is ready; on a busy machine that can take a while, and
// it must not count against the first file's time limit.
constexpr std::chrono::seconds kStartupLimit{15};
// Workers that never get ready this many times in a row are taken to be unable to run.
constexpr std::size_t kMaxFailedStarts = 3;

bool sendAll(int socket, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        // MSG_NOSIGNAL: a worker that died must not take us down with SIGPIPE.
        const ssize_t put = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

enum class Received { complete, timedOut, closed, garbled };

Received receiveExactly(int socket, char* buffer, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Received::timedOut;
        pollfd entry{socket, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 60000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Received::closed;
        if (ready == 0)
            continue; // the deadline check above decides
        const ssize_t got = ::recv(socket, buffer, size, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return Received::closed;
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return Received::complete;
}

// One whole frame's payload before the deadline.
Received receiveFrame(int socket, std::string& payload, Clock::time_point deadline) {
    std::string header(metadata::kFrameHeaderSize, '\0');
    if (auto result = receiveExactly(socket, header.data(), header.size(), deadline); result != Received::complete)
        return result;
    const auto length = metadata::framePayloadLength(header);
    if (!length)
        return Received::garbled;
    payload.assign(*length, '\0');
    return receiveExactly(socket, payload.data(), payload.size(), deadline);
}

std::size_t defaultWorkerCount() {
    return std::clamp<std::size_t>(usableCores(), 1, 4);
}

std::string describeStatus(int status) {
    if (WIFSIGNALED(status)) {
        const char* name = ::sigdescr_np(WTERMSIG(status));
        return "was ended by signal " + std::to_string(WTERMSIG(status)) + " (" + (name ? name : "?") + ")";
    }
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "stopped";
}

} // namespace

MetadataWorkerPool::MetadataWorkerPool() : MetadataWorkerPool(Options{}) {}

MetadataWorkerPool::MetadataWorkerPool(Options options) : options_(std::move(options)) {
    if (options_.workerPath.empty())
        options_.workerPath = defaultWorkerPath();
    if (options_.workerCount == 0)
        options_.workerCount = defaultWorkerCount();
}

MetadataWorkerPool::~MetadataWorkerPool() {
    // No read is running, so every worker is idle and holds nothing worth a graceful end.
    for (const Worker& worker : idle_)
        end(worker);
}

std::filesystem::path MetadataWorkerPool::defaultWorkerPath() {
    if (const char* variable = std::getenv(workerVariable); variable && *variable)
        return variable;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return workerName;
    const std::filesystem::path beside = self.parent_path() / workerName;
    if (std::filesystem::exists(beside, error))
        return beside;
    // Installed: bin/../libexec/quillory/ (the build says where, relative to the programs' folder).
    const std::filesystem::path libexec = (self.parent_path() / QUILLORY_WORKER_FROM_BINDIR / workerName).lexically_normal();
    if (std::filesystem::exists(libexec, error))
        return libexec;
    return beside;
}

std::size_t MetadataWorkerPool::startedCount() const {
    std::lock_guard lock(mutex_);
    return started_;
}

std::optional<MetadataReport> MetadataWorkerPool::read(MetadataRequest request,
                                                       std::optional<std::chrono::milliseconds> timeLimit) {
    const std::chrono::milliseconds limit =
        std::max(timeLimit.value_or(options_.timeLimit), std::chrono::milliseconds(1));
    request.timeLimitMs = static_cast<std::uint32_t>(std::min<std::int64_t>(limit.count(), UINT32_MAX));
    auto worker = acquire(request);
    if (!worker)
        return std::nullopt;
    MetadataReport report;
    const Outcome outcome = exchange(*worker, request, limit, report);
    if (outcome == Outcome::answered) {
        release(*worker);
        return report;
    }
    const int status = end(*worker);
    switch (outcome) {
    case Outcome::overran: warn(request, "took longer than " + std::to_string(limit.count()) + " ms"); break;
    case Outcome::died: warn(request, describeStatus(status)); break;
    default: warn(request, "gave an answer that could not be read"); break;
    }
    {
        std::lock_guard lock(mutex_);
        --running_;
    }
    idleChanged_.notify_one();
    return std::nullopt;
}

void MetadataWorkerPool::warn(const MetadataRequest& request, const std::string& why) const {
    Logger::error("⚠️ WARNING: Metadata of ", request.path, " not read: its worker ", why, " and was stopped");
}

std::optional<MetadataWorkerPool::Worker> MetadataWorkerPool::acquire(const MetadataRequest& request) {
    std::unique_lock lock(mutex_);
    idleChanged_.wait(lock, [&] { return unavailable_ || !idle_.empty() || running_ < options_.workerCount; });
    if (unavailable_)
        return std::nullopt;
    while (!idle_.empty()) {
        Worker worker = idle_.back();
        idle_.pop_back();
        // One that died while idle (the OOM killer, a stray signal) is replaced without costing a file.
        int status = 0;
        if (::waitpid(worker.pid, &status, WNOHANG) == 0)
            return worker;
        ::close(worker.socket);
        --running_;
    }
    ++running_;
    ++started_;
    lock.unlock();
    // Started outside the lock: it takes a while, and other callers may have idle workers to use meanwhile.
    auto worker = start(request);
    lock.lock();
    if (worker) {
        failedStarts_ = 0;
        return worker;
    }
    --running_;
    if (++failedStarts_ >= kMaxFailedStarts && !unavailable_) {
        unavailable_ = true;
        Logger::error("Metadata worker ", options_.workerPath.string(),
                      " keeps failing to start: image and audio attributes are not read");
    }
    idleChanged_.notify_all();
    return std::nullopt;
}

void MetadataWorkerPool::release(Worker worker) {
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(worker);
    }
    idleChanged_.notify_one();
}

int MetadataWorkerPool::end(Worker worker) {
    ::close(worker.socket);
    ::kill(worker.pid, SIGKILL);
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::optional<MetadataWorkerPool::Worker> MetadataWorkerPool::start(const MetadataRequest& request) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        warn(request, std::string("could not be started: ") + std::strerror(errno));
        return std::nullopt;
    }
    // The worker's end becomes its standard input and output; dup2 clears close-on-exec on those only.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGALRM, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string program = options_.workerPath.string();
    const std::string memoryLimit = std::to_string(options_.memoryLimit);
    std::vector<char*> arguments{const_cast<char*>(program.c_str()), const_cast<char*>("--memory-limit"),
                                 const_cast<char*>(memoryLimit.c_str()), nullptr};
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(sockets[1]);
    if (failure != 0) {
        ::close(sockets[0]);
        warn(request, "could not be started from " + program + ": " + std::strerror(failure));
        return std::nullopt;
    }
    Worker worker{pid, sockets[0]};
    std::string hello;
    const Received received = receiveFrame(worker.socket, hello, Clock::now() + kStartupLimit);
    if (received == Received::complete && metadata::isHello(hello))
        return worker;
    const int status = end(worker);
    if (received == Received::closed)
        warn(request, "from " + program + " " + describeStatus(status) + " before it was ready");
    else
        warn(request, "from " + program + " did not get ready");
    return std::nullopt;
}

MetadataWorkerPool::Outcome MetadataWorkerPool::exchange(Worker& worker, const MetadataRequest& request,
                                                         std::chrono::milliseconds limit, MetadataReport& report) {
    const auto deadline = Clock::now() + limit;
    if (!sendAll(worker.socket, metadata::encodeRequest(request)))
        return Outcome::died;
    std::string payload;
    switch (receiveFrame(worker.socket, payload, deadline)) {
    case Received::timedOut: return Outcome::overran;
    case Received::closed: return Outcome::died;
    case Received::garbled: return Outcome::garbled;
    case Received::complete: break;
    }
    auto decoded = metadata::decodeReport(payload);
    if (!decoded)
        return Outcome::garbled;
    report = std::move(*decoded);
    return Outcome::answered;
}

} // namespace quillory
