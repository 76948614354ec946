// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a tree of 100,000 files in 1,000 folders (compared with `find DIR -type f` on the same tree),
// sorting 100,000 files by name, and the peak heap bytes per listed file.
#include "app/Logger.h"
#include "PresetUserInteraction.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "filelist/OpenFolderEventHandler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <new>
#include <random>
#include <sys/resource.h>

// The replaced operator new uses malloc, so free() in the replaced delete matches it.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<std::int64_t> liveBytes{0};
std::atomic<std::int64_t> peakBytes{0};
// Counting is on only while memory is measured, so that it does not slow the timed runs.
std::atomic<bool> counting{false};

void countAllocation(void* pointer) {
    if (!pointer || !counting.load(std::memory_order_relaxed))
        return;
    const auto now = liveBytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(pointer))) +
                     static_cast<std::int64_t>(malloc_usable_size(pointer));
    auto peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

void* operator new(std::size_t size) {
    void* pointer = std::malloc(size ? size : 1);
    if (!pointer)
        throw std::bad_alloc();
    countAllocation(pointer);
    return pointer;
}
void operator delete(void* pointer) noexcept {
    if (pointer && counting.load(std::memory_order_relaxed))
        liveBytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(pointer)));
    std::free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

using namespace quillory;
namespace fs = std::filesystem;

constexpr int folderCount = 1000;
constexpr int filesPerFolder = 100;

// The tree is made once under the temporary folder and reused by later runs.
const fs::path& tree() {
    static const fs::path root = [] {
        fs::path base = fs::temp_directory_path() / "quillory-bench-tree";
        fs::path done = base / ".complete";
        if (fs::exists(done))
            return base;
        fs::remove_all(base);
        char name[64];
        for (int folder = 0; folder < folderCount; ++folder) {
            std::snprintf(name, sizeof name, "folder %04d", folder);
            fs::path dir = base / "photos" / name;
            fs::create_directories(dir);
            for (int file = 0; file < filesPerFolder; ++file) {
                std::snprintf(name, sizeof name, "IMG_%d.jpg", (file * 37) % filesPerFolder + folder * filesPerFolder);
                std::ofstream(dir / name).put('x');
            }
        }
        std::ofstream(done).put('x');
        return base;
    }();
    return root;
}

std::shared_ptr<DirectoryValidator> validator() {
    return std::make_shared<DirectoryValidator>(DirectoryEnvironment{tree().string(), "bench", ""}, nullptr);
}

std::size_t openTree(FileDataSource& dataSource) {
    PresetUserInteraction interaction;
    std::shared_ptr<FileDataSource> shared(&dataSource, [](FileDataSource*) {});
    OpenFolderEventHandler handler(shared, interaction, nullptr, nullptr);
    auto request = FilesAndDirectories::fromPaths({(tree() / "photos").string()}, validator());
    return handler.openAllFilesAndDirectories(std::move(request), FileAction::replace).fileCount;
}

void runFind() {
    const std::string command = "find '" + (tree() / "photos").string() + "' -type f > /dev/null";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "find failed\n");
}

void BM_OpenTree(benchmark::State& state) {
    tree();
    for (auto _ : state) {
        FileDataSource dataSource;
        benchmark::DoNotOptimize(openTree(dataSource));
    }
    state.SetItemsProcessed(state.iterations() * folderCount * filesPerFolder);
}
BENCHMARK(BM_OpenTree)->Unit(benchmark::kMillisecond);

void BM_FindTree(benchmark::State& state) {
    tree();
    for (auto _ : state)
        runFind();
}
BENCHMARK(BM_FindTree)->Unit(benchmark::kMillisecond);

void BM_SortByName(benchmark::State& state) {
    FileDataSource dataSource;
    std::vector<File> files;
    char name[64];
    for (int i = 0; i < folderCount * filesPerFolder; ++i) {
        std::snprintf(name, sizeof name, "/data/folder %d/Photo %d.jpg", i % 1000, (i * 7919) % 100000);
        files.push_back(File::fromPath(name));
    }
    dataSource.doReplaceAllFiles(std::move(files), FileAction::replace, false);
    std::vector<int> shuffled = dataSource.orderedIndex();
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    for (auto _ : state) {
        state.PauseTiming();
        dataSource.updateOrderedIndex(shuffled);
        state.ResumeTiming();
        benchmark::DoNotOptimize(dataSource.sort(FileSortOrder::byNameAscending));
    }
    state.SetItemsProcessed(state.iterations() * folderCount * filesPerFolder);
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Best of several runs, by wall time and by CPU time (this process, or the children for find), so that
// the comparison holds on a busy machine.
template <typename F> Timing best(int runs, int who, F&& run) {
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = cpuSeconds(who);
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        timing.wall = std::min(timing.wall, std::chrono::duration<double>(elapsed).count());
        timing.cpu = std::min(timing.cpu, cpuSeconds(who) - cpuStart);
    }
    return timing;
}

void summary() {
    std::vector<std::unique_ptr<FileDataSource>> lists;
    // The lists are kept until the end so that freeing them is not timed.
    const Timing open = best(5, RUSAGE_SELF, [&] {
        lists.push_back(std::make_unique<FileDataSource>());
        openTree(*lists.back());
    });
    lists.clear();
    // Reading the folders alone (entries, natural order, rules), without making File records.
    const Timing walk = best(5, RUSAGE_SELF, [] {
        FileDataSource dataSource;
        PresetUserInteraction interaction;
        std::shared_ptr<FileDataSource> shared(&dataSource, [](FileDataSource*) {});
        OpenFolderEventHandler handler(shared, interaction, nullptr, nullptr);
        auto request = FilesAndDirectories::fromPaths({(tree() / "photos").string()}, validator());
        benchmark::DoNotOptimize(handler.loadRequest(request));
    });
    const Timing find = best(5, RUSAGE_CHILDREN, runFind);
    std::printf("\nreading folders only: wall %.1f ms, cpu %.1f ms", walk.wall * 1e3, walk.cpu * 1e3);
    std::printf("\nopen: wall %.1f ms, cpu %.1f ms; find: wall %.1f ms, cpu %.1f ms\n", open.wall * 1e3,
                open.cpu * 1e3, find.wall * 1e3, find.cpu * 1e3);
    std::printf("ratio open/find: wall %.2f, cpu %.2f (target <= 2)\n", open.wall / find.wall, open.cpu / find.cpu);

    FileDataSource dataSource;
    liveBytes.store(0);
    peakBytes.store(0);
    const std::int64_t before = 0;
    counting.store(true);
    const std::size_t listed = openTree(dataSource);
    counting.store(false);
    const std::int64_t peak = peakBytes.load() - before;
    const std::int64_t kept = liveBytes.load() - before;
    std::printf("memory: %zu files, peak %.0f bytes per file, kept %.0f bytes per file (target < 1024)\n", listed,
                double(peak) / double(listed), double(kept) / double(listed));
}

} // namespace

int main(int argc, char** argv) {
    Logger::setSink(LogSink::off);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    summary();
    benchmark::Shutdown();
    return 0;
}
