// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileAttributesWorker.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "filelist/FileDataSource.h"

#include <algorithm>

namespace quillory {

FileAttributesWorker::FileAttributesWorker(FileDataSource& dataSource, Loader loader,
                                           NotificationCenter* notifications)
    : dataSource_(dataSource), loader_(std::move(loader)), notifications_(notifications) {}

FileAttributesWorker::~FileAttributesWorker() { task_.cancelAndWait(); }

void FileAttributesWorker::preload(std::vector<File> files, AttributeSources sources) {
    // Counted before the old run is stopped, so that a quick pass in between never sees "idle".
    ++active_;
    task_.start([this, sources, files = std::move(files)](std::stop_token stop) { run(files, sources, stop, true); });
}

bool FileAttributesWorker::preloadMissing(AttributeSources sources) {
    if (sources.empty())
        return false;
    std::vector<File> files = dataSource_.files();
    const bool missing =
        std::any_of(files.begin(), files.end(), [&](const File& file) { return !file.attributes.covers(sources); });
    if (!missing)
        return false;
    preload(std::move(files), sources);
    return true;
}

bool FileAttributesWorker::preloadFiles(const std::vector<File>& files, std::stop_token stopToken,
                                        AttributeSources sources) {
    return run(files, sources, stopToken, false);
}

bool FileAttributesWorker::run(const std::vector<File>& files, AttributeSources sources, std::stop_token stopToken,
                               bool counted) {
    if (!counted)
        ++active_;
    const std::size_t total = files.size();
    const std::size_t pending = static_cast<std::size_t>(std::count_if(
        files.begin(), files.end(), [&](const File& file) { return !file.attributes.covers(sources); }));
    if (pending == 0) {
        Logger::log("🔹 Preloading attributes for ", total, " files aborted, no files require preloading.");
        --active_;
        return true;
    }
    post(AppNotification::showProgressIndicator, "Loading...");
    Logger::log("🔹 Preloading attributes for ", pending, " of ", total, " files");

    std::vector<File> loaded;
    loaded.reserve(std::min(chunkSize, pending));
    for (std::size_t start = 0; start < total; start += chunkSize) {
        const std::size_t end = std::min(start + chunkSize, total);
        loaded.clear();
        for (std::size_t i = start; i < end; ++i) {
            if (stopToken.stop_requested()) {
                Logger::log("🔹 ABORTED preloading attributes for ", pending, " files");
                // The next preload shows the indicator again if it has work; none may follow.
                post(AppNotification::hideProgressIndicator);
                --active_;
                return false;
            }
            if (files[i].attributes.covers(sources))
                continue;
            File file = files[i];
            const AttributeSources had = file.attributes.isLoaded() ? file.attributes.sources : AttributeSources();
            file.attributes = loader_ ? loader_(file, sources | had) : FileAttributes::loaded({}, sources | had);
            loaded.push_back(std::move(file));
        }
        dataSource_.updateFiles(std::move(loaded), stopToken, {FileComponentMutation::attributes});
    }
    Logger::log("🔹 Finished preloading attributes for ", pending, " of ", total, " files");
    // Lowered before the posts: the quick pass they start must know that no more values are coming.
    --active_;
    post(AppNotification::transformAllFilesQuick);
    post(AppNotification::hideProgressIndicator);
    return true;
}

void FileAttributesWorker::post(std::string_view name, std::string text) { postText(notifications_, name, std::move(text)); }

} // namespace quillory
