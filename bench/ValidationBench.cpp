// SPDX-License-Identifier: GPL-3.0-or-later
// Validation of 100,000 files, written back into the list: the target is under 0.5 s.
#include "app/Logger.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileValidator.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>

namespace {

using namespace quillory;

// CPU time of the whole process (all threads): on a machine shared with other work the wall time
// says more about the neighbours than about validation.
double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<File> makeFiles(int count) {
    std::vector<File> files;
    files.reserve(count);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/home/bench/Photos/%03d/IMG %06d.jpg", i / 1000, i);
        File file = File::fromPath(name);
        // Most names change, a few collide, some carry accents or lose their name.
        std::snprintf(name, sizeof name, "Holiday %s %06d", i % 7 == 0 ? "\xC3\xA9t\xC3\xA9" : "summer", i / 3 * 3);
        file.transformed.transformedName = i % 1000 == 999 ? " " : name;
        file.transformed.transformedPath = "/home/bench/Sorted/" + std::to_string(i / 5000);
        files.push_back(std::move(file));
    }
    return files;
}

void ValidateHundredThousandFiles(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    auto directories =
        std::make_shared<DirectoryValidator>(DirectoryEnvironment{"/home/bench", "bench", ""}, nullptr);
    FileDataSource list;
    list.doReplaceAllFiles(makeFiles(static_cast<int>(state.range(0))), FileAction::replace, false);
    FileValidator validator(&list, nullptr, nullptr, directories);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<File> files = list.files();
        const double before = processCpuSeconds();
        state.ResumeTiming();
        auto result = validator.validateFiles(std::move(files), false);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        cpu += processCpuSeconds() - before;
        state.ResumeTiming();
    }
    state.counters["process_cpu_ms"] = benchmark::Counter(cpu * 1000.0 / static_cast<double>(state.iterations()));
}

BENCHMARK(ValidateHundredThousandFiles)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
