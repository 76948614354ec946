// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWorkerPool.h"

#include "MetadataTestSupport.h"
#include "app/Logger.h"
#include "tokens/FileAttributeUtil.h"
#include "model/TokenDetailsList.h"
#include "tokens/metadata/MetadataReader.h"
#include "tokens/metadata/MetadataWorker.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace quillory {
namespace {

using namespace std::chrono_literals;
using test::TempDir;
using Clock = std::chrono::steady_clock;

// Log lines go to a file for the life of the capture, so that a test can count its warnings.
class LogCapture {
public:
    LogCapture() : file_(dir_.path() / "log.txt") { Logger::setSink(LogSink::file, file_); }
    ~LogCapture() { Logger::setSink(LogSink::standardStreams); }

    std::size_t count(const std::string& text) const {
        std::ifstream in(file_);
        std::string line;
        std::size_t found = 0;
        while (std::getline(in, line))
            found += line.find(text) != std::string::npos ? 1 : 0;
        return found;
    }

private:
    TempDir dir_;
    std::filesystem::path file_;
};

MetadataRequest imageRequest(const std::filesystem::path& path) {
    MetadataRequest request;
    request.path = path.string();
    request.image = true;
    request.audio = true;
    return request;
}

const AttributeValue* exifDate(const std::optional<MetadataReport>& report) {
    if (!report || !report->image)
        return nullptr;
    return report->image->value("{Exif}", "DateTimeOriginal");
}

// A stand-in worker: a shell script that misbehaves as told. `ready` sends what a worker sends once started.
std::filesystem::path fakeWorker(const TempDir& dir, const std::string& name, const std::string& body) {
    auto path = dir.write(name, "#!/bin/sh\nready() { printf '\\000\\000\\000\\002H\\001'; }\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

TEST(MetadataWorkerPoolTest, ReadsWhatTheReadersFindInProcess) {
    TempDir dir;
    MetadataWorkerPool pool;
    auto photo = test::copyCorpusFile(dir, "img_gps_amsterdam.jpg");
    auto report = pool.read(imageRequest(photo));
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, readMetadata(imageRequest(photo)));
    ASSERT_NE(exifDate(report), nullptr);

    MetadataRequest song = imageRequest(test::copyCorpusFile(dir, "song_id3v24.mp3"));
    song.image = false;
    song.id3Keys = {"id3/TRCK1"};
    report = pool.read(song);
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->image);
    EXPECT_FALSE(report->media.empty());
    ASSERT_EQ(report->id3.size(), 1u); // only the wanted key
    EXPECT_EQ(report->id3[0].id, "id3/TRCK1");

    song.path = test::copyCorpusFile(dir, "song_vorbis.flac");
    report = pool.read(song);
    ASSERT_TRUE(report);
    EXPECT_TRUE(test::entryText(report->flac, "FLAC-Title"));
    EXPECT_EQ(pool.startedCount(), 1u); // one worker served them all
}

// Every saved input that once hung or crashed a reader (the media files among them made the image library
// loop) ends within the time limit, with nothing or with valid attributes, and the pool goes on serving
// the next file.
TEST(MetadataWorkerPoolTest, RegressionFilesEndWithinTheLimitAndThePoolServesTheNextFile) {
    TempDir dir;
    LogCapture log;
    MetadataWorkerPool::Options options;
    options.workerCount = 1;
    options.timeLimit = 300ms;
    MetadataWorkerPool pool(options);
    auto photo = test::copyCorpusFile(dir, "img_dates_only.jpg");
    std::size_t files = 0;
    std::size_t failed = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::kFuzzRegressionsDir)) {
        if (!entry.is_regular_file())
            continue;
        SCOPED_TRACE(entry.path().string());
        // Read under their own names: the readers choose by extension.
        auto copy = dir.path() / ("file" + std::to_string(files) + "-" + entry.path().filename().string());
        std::filesystem::copy_file(entry.path(), copy);
        const auto start = Clock::now();
        const auto report = pool.read(imageRequest(copy));
        // Generous: a loaded machine may be slow to kill, but nothing may wait for the reader to finish.
        EXPECT_LT(Clock::now() - start, options.timeLimit + 5s);
        failed += report ? 0 : 1;
        ++files;
        // The next file is read by a healthy worker; a lenient limit keeps a busy machine from failing it.
        EXPECT_NE(exifDate(pool.read(imageRequest(photo), 20s)), nullptr);
    }
    EXPECT_GE(files, 5u);
    // One warning line for each file that got nothing, and a fresh worker for each.
    EXPECT_EQ(log.count("WARNING: Metadata of"), failed);
    EXPECT_EQ(pool.startedCount(), 1 + failed);
}

TEST(MetadataWorkerPoolTest, AHangingCrashingOrGarblingWorkerIsKilledAndReplaced) {
    TempDir dir;
    LogCapture log;
    auto photo = test::copyCorpusFile(dir, "img_dates_only.jpg");
    struct Case {
        const char* name;
        std::string body;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"hangs", "ready; exec sleep 60", "took longer than 200 ms"},
        {"crashes", "ready; head -c 4 >/dev/null; kill -SEGV $$", "was ended by signal 11"},
        {"garbles", "ready; printf 'ABCDEFGH'; exec sleep 60", "gave an answer that could not be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MetadataWorkerPool::Options options;
        options.workerPath = fakeWorker(dir, c.name, c.body);
        options.timeLimit = 200ms;
        MetadataWorkerPool pool(options);
        const auto start = Clock::now();
        EXPECT_FALSE(pool.read(imageRequest(photo)));
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_EQ(log.count(c.reason), 1u);
        EXPECT_FALSE(pool.read(imageRequest(photo)));
        EXPECT_EQ(pool.startedCount(), 2u);
    }
}

TEST(MetadataWorkerPoolTest, AWorkerThatCannotRunIsGivenUpWithOneErrorLine) {
    TempDir dir;
    LogCapture log;
    auto photo = test::copyCorpusFile(dir, "img_dates_only.jpg");
    // A worker that is not there, and one that exits before it is ready (a missing library, say).
    for (const auto& [worker, reason] :
         {std::pair{dir.path() / "no-such-worker", "could not be started from"},
          std::pair{fakeWorker(dir, "exits", "exit 127"), "exited with status 127 before it was ready"}}) {
        MetadataWorkerPool::Options options;
        options.workerPath = worker;
        MetadataWorkerPool pool(options);
        for (int i = 0; i < 10; ++i)
            EXPECT_FALSE(pool.read(imageRequest(photo)));
        // Tried a few times, then given up.
        EXPECT_EQ(log.count(reason), 3u) << worker;
        EXPECT_EQ(pool.startedCount(), 3u) << worker;
    }
    EXPECT_EQ(log.count("keeps failing to start"), 2u); // once for each pool
}

TEST(MetadataWorkerPoolTest, SeveralThreadsShareTheWorkers) {
    TempDir dir;
    MetadataWorkerPool::Options options;
    options.workerCount = 2;
    MetadataWorkerPool pool(options);
    const char* names[] = {"img_gps_amsterdam.jpg", "img_gps_newyork.jpg", "img_gps_sydney.jpg", "img_exif.tif"};
    std::vector<std::filesystem::path> photos;
    std::vector<MetadataReport> expected;
    for (const char* name : names) {
        photos.push_back(test::copyCorpusFile(dir, name));
        expected.push_back(readMetadata(imageRequest(photos.back())));
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                const std::size_t which = static_cast<std::size_t>(t + i) % photos.size();
                const auto report = pool.read(imageRequest(photos[which]), 20s);
                if (!report || *report != expected[which])
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_LE(pool.startedCount(), 2u);
}

TEST(MetadataWorkerPoolTest, TheWorkerRunsUnderTheMemoryLimit) {
    if (!metadata::kAddressSpaceLimitApplies)
        GTEST_SKIP() << "sanitized builds run their workers without the limit";
    const std::string worker = MetadataWorkerPool::defaultWorkerPath().string();
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(channel[0], STDIN_FILENO);
        ::close(channel[1]);
        ::freopen("/dev/null", "w", stdout);
        ::execl(worker.c_str(), worker.c_str(), "--memory-limit", "300000000", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(channel[0]);
    // The limit is set before the first request is read; wait for it to show.
    std::string limits;
    for (int attempt = 0; attempt < 200 && limits.find("300000000") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(10ms);
        std::ifstream in("/proc/" + std::to_string(pid) + "/limits");
        std::stringstream text;
        text << in.rdbuf();
        limits = text.str();
    }
    ::close(channel[1]); // end of input: the worker leaves
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_NE(limits.find("Max address space         300000000            300000000"), std::string::npos) << limits;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(MetadataWorkerPoolTest, AFileThatHangsItsWorkerKeepsItsFileSystemAttributes) {
    TempDir dir;
    LogCapture log;
    auto catalogue = std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded());
    auto pool = std::make_shared<MetadataWorkerPool>(MetadataWorkerPool::Options{{}, 1, 300ms, 512u << 20});
    FileAttributeUtil reader(catalogue, [pool](const MetadataRequest& request) { return pool->read(request); });
    auto hanging = dir.path() / "clip.mov";
    const auto regressions = std::filesystem::path(test::kFuzzRegressionsDir) / "Mp4";
    std::filesystem::copy_file(regressions / "wide-atom-mutant-437-from-song_itunes.m4a.mov", hanging);
    const AttributeMap map = reader.readAttributes(hanging);
    EXPECT_EQ(map.count("date-modified"), 1u);
    EXPECT_EQ(map.count("PixelWidth"), 0u);
    EXPECT_EQ(log.count("WARNING: Metadata of " + hanging.string() + " not read"), 1u);
    const AttributeMap next = reader.readAttributes(test::copyCorpusFile(dir, "img_dates_only.jpg"));
    EXPECT_EQ(next.count("{Exif}.DateTimeOriginal"), 1u);
}

} // namespace
} // namespace quillory
