// SPDX-License-Identifier: GPL-3.0-or-later
// Quick pass of the engine over 100,000 listed files with Replace (wildcards) + Number + Convert
// (lowercase): the target is at least 200,000 files per second.
#include "app/Logger.h"
#include "app/Preferences.h"
#include "filelist/FileDataSource.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "tokens/TokenResolver.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

using namespace quillory;

std::vector<File> makeFiles(int count) {
    std::vector<File> files;
    files.reserve(static_cast<std::size_t>(count));
    char path[96];
    for (int i = 0; i < count; ++i) {
        std::snprintf(path, sizeof path, "/home/bench/Photos/%03d/IMG %06d.JPG", i / 1000, i);
        files.push_back(File::fromPath(path));
    }
    return files;
}

Transformer record(const char* json) {
    return Transformer::fromJson(nlohmann::ordered_json::parse(json)).value();
}

void markAllDirty(FileDataSource& list) {
    std::vector<File> files = list.files();
    for (auto& file : files)
        file.transformed.isDirty = true;
    list.updateFiles(files, {}, {FileComponentMutation::transformed});
}

void QuickPassReplaceNumberConvert(benchmark::State& state) {
    Logger::setSink(LogSink::off);
    // Never written: only a set() would write, and the benchmark sets nothing.
    Preferences preferences(std::filesystem::temp_directory_path() / "quillory-engine-bench-unused.json");
    preferences.registerDefaults();
    FileDataSource list;
    list.doReplaceAllFiles(makeFiles(static_cast<int>(state.range(0))), FileAction::replace, false);
    Transformers transformers;
    transformers.addOrReplaceTransformer(record(
        R"({"type":"simple","properties":{"simpleFindText":"IMG *","simpleReplaceText":"Photo $1","simpleWildcards":true}})"));
    transformers.addOrReplaceTransformer(record(
        R"({"type":"numbering","properties":{"numberSeparatorText":"_","numberDigitText":"6","numberResetEveryDirectoryChange":true}})"));
    transformers.addOrReplaceTransformer(
        record(R"({"type":"conversion","properties":{"conversionType":"lowercase"}})"));
    TransformerEngine engine(list, transformers, preferences);
    const auto literal = std::make_shared<LiteralTokenResolver>();
    engine.setResolvers({literal, literal});

    for (auto _ : state) {
        state.PauseTiming();
        markAllDirty(list);
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine.transformAllFilesQuick());
    }
    const auto check = list.file(1);
    if (!check || check->transformed.transformedName != "photo 000001_000002")
        state.SkipWithError("unexpected name");
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(QuickPassReplaceNumberConvert)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
