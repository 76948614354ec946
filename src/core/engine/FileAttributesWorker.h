// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BackgroundJob.h"
#include "model/AttributeLoader.h"
#include "model/File.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <vector>

namespace quillory {

class FileDataSource;
class NotificationCenter;

// Loads the attribute maps of the listed files in the background, 1000 files at a time, and writes
// them back to the file list; then asks for a quick pass so that tokens that waited for values are
// filled in. One preload at a time: starting one cancels the one in progress.
class FileAttributesWorker {
public:
    static constexpr std::size_t chunkSize = 1000;
    using Loader = AttributeLoader;

    // `notifications` may be null (no progress indicator, no follow-up quick pass).
    FileAttributesWorker(FileDataSource& dataSource, Loader loader, NotificationCenter* notifications = nullptr);
    ~FileAttributesWorker();
    FileAttributesWorker(const FileAttributesWorker&) = delete;
    FileAttributesWorker& operator=(const FileAttributesWorker&) = delete;

    // Cancels a preload in progress and starts one over the files in the background, reading the given
    // sources of the files whose maps lack them.
    void preload(std::vector<File> files, AttributeSources sources = AttributeSources::all());
    // Starts a preload over the listed files when some lack these sources; false when none does.
    bool preloadMissing(AttributeSources sources);
    // One preload on the caller's thread. False when it was cancelled.
    bool preloadFiles(const std::vector<File>& files, std::stop_token stopToken = {},
                      AttributeSources sources = AttributeSources::all());

    // True from the start of a preload until it has written its last chunk back.
    bool isRunning() const { return active_.load() > 0; }
    void cancel() { task_.cancel(); }
    void waitForIdle() { task_.wait(); }

private:
    // `counted`: the caller has already counted this run as active.
    bool run(const std::vector<File>& files, AttributeSources sources, std::stop_token stopToken, bool counted);
    void post(std::string_view name, std::string text = {});

    FileDataSource& dataSource_;
    Loader loader_;
    NotificationCenter* notifications_;
    std::atomic<int> active_{0}; // runs started and not yet finished
    BackgroundJob task_;
};

} // namespace quillory
