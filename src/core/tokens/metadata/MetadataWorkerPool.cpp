// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWorkerPool.h"

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

namespace quillory {

namespace {

using Clock = std::chrono::steady_clock;

// Workers that die before their first answer this many times in a row are taken to be unable to run.
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

enum class ReceiveResult { complete, timedOut, closed };

// Fills `buffer` before the deadline, or says why not.
ReceiveResult receiveExactly(int socket, char* buffer, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return ReceiveResult::timedOut;
        pollfd entry{socket, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left, 60000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return ReceiveResult::closed;
        if (ready == 0)
            continue; // the deadline check above decides
        const ssize_t got = ::recv(socket, buffer, size, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return ReceiveResult::closed;
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return ReceiveResult::complete;
}

std::size_t defaultWorkerCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(cores == 0 ? 1 : cores, 1, 4);
}

std::string describeStatus(int status) {
    if (WIFSIGNALED(status))
        return std::string("was ended by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               ::sigdescr_np(WTERMSIG(status)) + ")";
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
    // No read is running: every worker is idle, and holds nothing worth a graceful end.
    for (const Worker& worker : idle_) {
        ::close(worker.socket);
        ::kill(worker.pid, SIGKILL);
        int status = 0;
        while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
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
    const std::filesystem::path libexec = self.parent_path().parent_path() / "libexec" / "quillory" / workerName;
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
    const std::chrono::milliseconds limit = timeLimit.value_or(options_.timeLimit);
    request.timeLimitMs = static_cast<std::uint32_t>(std::max<std::int64_t>(1, limit.count()));
    auto worker = acquire();
    if (!worker)
        return std::nullopt;
    MetadataReport report;
    const Outcome outcome = exchange(*worker, request, limit, report);
    if (outcome != Outcome::answered) {
        discard(*worker, outcome, request, limit);
        return std::nullopt;
    }
    release(*worker);
    return report;
}

std::optional<MetadataWorkerPool::Worker> MetadataWorkerPool::acquire() {
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
    lock.unlock();
    // Started outside the lock: spawning takes a few milliseconds and other callers may have idle workers.
    auto worker = start();
    const int error = errno;
    lock.lock();
    if (worker) {
        ++started_;
        return worker;
    }
    --running_;
    if (!unavailable_) {
        unavailable_ = true;
        Logger::error("Metadata worker ", options_.workerPath.string(), " could not be started (",
                      std::strerror(error), "): image and audio attributes are not read");
    }
    idleChanged_.notify_all();
    return std::nullopt;
}

void MetadataWorkerPool::release(Worker worker) {
    {
        std::lock_guard lock(mutex_);
        failedStarts_ = 0;
        idle_.push_back(worker);
    }
    idleChanged_.notify_one();
}

void MetadataWorkerPool::discard(Worker worker, Outcome outcome, const MetadataRequest& request,
                                 std::chrono::milliseconds limit) {
    ::close(worker.socket);
    ::kill(worker.pid, SIGKILL);
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::string why;
    switch (outcome) {
    case Outcome::overran: why = "took longer than " + std::to_string(limit.count()) + " ms"; break;
    case Outcome::died: why = describeStatus(status); break;
    case Outcome::garbled: why = "gave an answer that could not be read"; break;
    case Outcome::answered: break;
    }
    Logger::error("⚠️ WARNING: Metadata of ", request.path, " not read: its worker ", why, " and was replaced");

    std::lock_guard lock(mutex_);
    --running_;
    // A worker that never answered anything may be unable to run at all (a missing library, say).
    if (!worker.hasAnswered && outcome != Outcome::overran && ++failedStarts_ >= kMaxFailedStarts && !unavailable_) {
        unavailable_ = true;
        Logger::error("Metadata worker ", options_.workerPath.string(), " keeps failing at start: image and audio",
                      " attributes are not read");
    }
    idleChanged_.notify_all();
}

std::optional<MetadataWorkerPool::Worker> MetadataWorkerPool::start() {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return std::nullopt;
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
        errno = failure;
        return std::nullopt;
    }
    return Worker{pid, sockets[0], false};
}

MetadataWorkerPool::Outcome MetadataWorkerPool::exchange(Worker& worker, const MetadataRequest& request,
                                                         std::chrono::milliseconds limit, MetadataReport& report) {
    const auto deadline = Clock::now() + limit;
    if (!sendAll(worker.socket, metadata::encodeRequest(request)))
        return Outcome::died;
    std::string header(metadata::kFrameHeaderSize, '\0');
    switch (receiveExactly(worker.socket, header.data(), header.size(), deadline)) {
    case ReceiveResult::timedOut: return Outcome::overran;
    case ReceiveResult::closed: return Outcome::died;
    case ReceiveResult::complete: break;
    }
    const auto length = metadata::framePayloadLength(header);
    if (!length)
        return Outcome::garbled;
    std::string payload(*length, '\0');
    switch (receiveExactly(worker.socket, payload.data(), payload.size(), deadline)) {
    case ReceiveResult::timedOut: return Outcome::overran;
    case ReceiveResult::closed: return Outcome::died;
    case ReceiveResult::complete: break;
    }
    auto decoded = metadata::decodeReport(payload);
    if (!decoded)
        return Outcome::garbled;
    report = std::move(*decoded);
    worker.hasAnswered = true;
    return Outcome::answered;
}

} // namespace quillory
