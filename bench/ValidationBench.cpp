// SPDX-License-Identifier: GPL-3.0-or-later
// Validation of 100,000 files, written back into the list: the target is under 0.5 s.
#include "app/Logger.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "rename/FileValidator.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace quillory;

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
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<File> files = list.files();
        state.ResumeTiming();
        auto result = validator.validateFiles(std::move(files), false);
        benchmark::DoNotOptimize(result);
    }
}

BENCHMARK(ValidateHundredThousandFiles)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
