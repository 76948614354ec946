// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataReport.h"
#include "tokens/metadata/MetadataRequest.h"

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace quillory {

// Reads image and audio metadata in a few worker processes, so that a crafted file that makes a library
// loop, eat memory or crash costs that file its attributes and nothing else. Workers are the executable
// "quillory-metadata-worker", started on first use and fed one file at a time over a socket; each runs
// under an address-space limit, and one that overruns the time limit of a file, dies or answers nonsense
// is killed and replaced. Safe to use from several threads: each call borrows one idle worker.
class MetadataWorkerPool {
public:
    static constexpr const char* workerName = "quillory-metadata-worker";
    // Names the worker executable, overriding the search (tests, uninstalled builds).
    static constexpr const char* workerVariable = "QUILLORY_METADATA_WORKER";

    struct Options {
        std::filesystem::path workerPath; // empty: defaultWorkerPath()
        std::size_t workerCount = 0;      // 0: one per processor core, 1 to 4
        std::chrono::milliseconds timeLimit{2000};
        std::uint64_t memoryLimit = std::uint64_t(512) << 20; // bytes of address space per worker
    };

    MetadataWorkerPool();
    explicit MetadataWorkerPool(Options options);
    ~MetadataWorkerPool();
    MetadataWorkerPool(const MetadataWorkerPool&) = delete;
    MetadataWorkerPool& operator=(const MetadataWorkerPool&) = delete;

    // The report of one file; nothing when its worker failed it (one warning line names the file) or when
    // no worker can be started (one error line for the pool's lifetime). `timeLimit` overrides the pool's.
    std::optional<MetadataReport> read(MetadataRequest request,
                                       std::optional<std::chrono::milliseconds> timeLimit = std::nullopt);

    // Processes started so far, replacements included.
    std::size_t startedCount() const;

    // $QUILLORY_METADATA_WORKER when set; else the worker beside the running program, or where the
    // installation puts it: ../libexec/quillory/ from the program's folder by default.
    static std::filesystem::path defaultWorkerPath();

private:
    struct Worker {
        pid_t pid = -1;
        int socket = -1;
    };
    enum class Outcome { answered, overran, died, garbled };

    // A worker, idle or new; nothing when none can be had (the reason is logged).
    std::optional<Worker> acquire(const MetadataRequest& request);
    void release(Worker worker);
    // Kills and reaps the worker; the exit status.
    static int end(Worker worker);
    void warn(const MetadataRequest& request, const std::string& why) const;
    std::optional<Worker> start(const MetadataRequest& request);
    Outcome exchange(Worker& worker, const MetadataRequest& request, std::chrono::milliseconds limit,
                     MetadataReport& report);

    Options options_;
    mutable std::mutex mutex_;
    std::condition_variable idleChanged_;
    std::vector<Worker> idle_;
    std::size_t running_ = 0;      // idle and borrowed workers, and those being started
    std::size_t started_ = 0;      // processes spawned
    std::size_t failedStarts_ = 0; // workers in a row that never said they were ready
    bool unavailable_ = false;     // no worker can be started: every read gives nothing at once
};

} // namespace quillory
