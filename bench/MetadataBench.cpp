// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the EXIF properties of 10,000 JPEG copies of the corpus photos and reports files per second.
#include "app/Logger.h"
#include "tokens/metadata/ImageReader.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFileCount = 10000;

struct Corpus {
    fs::path folder;
    std::vector<fs::path> files;

    Corpus() {
        folder = fs::temp_directory_path() / ("quillory-bench-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        const char* sources[] = {"img_gps_amsterdam.jpg", "img_gps_newyork.jpg", "img_gps_sydney.jpg",
                                 "img_dates_only.jpg"};
        fs::path corpus = fs::path(QUILLORY_CORPUS_DIR);
        for (int i = 0; i < kFileCount; ++i) {
            fs::path target = folder / ("photo" + std::to_string(i) + ".jpg");
            fs::copy_file(corpus / sources[i % 4], target, fs::copy_options::overwrite_existing);
            files.push_back(target);
        }
    }
    ~Corpus() {
        std::error_code error;
        fs::remove_all(folder, error);
    }
};

Corpus& corpus() {
    static Corpus instance;
    return instance;
}

void BM_ReadExifProperties(benchmark::State& state) {
    auto& files = corpus().files;
    std::size_t withDate = 0;
    for (auto _ : state) {
        withDate = 0;
        for (const auto& file : files) {
            auto properties = quillory::readImageProperties(file);
            if (properties && properties->value("{Exif}", "DateTimeOriginal"))
                ++withDate;
        }
        benchmark::DoNotOptimize(withDate);
    }
    state.counters["files/s"] =
        benchmark::Counter(double(files.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["withDate"] = double(withDate);
}
BENCHMARK(BM_ReadExifProperties)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    quillory::Logger::setSink(quillory::LogSink::off);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
