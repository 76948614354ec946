// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the EXIF properties of 10,000 JPEG copies of the corpus photos and reports files per second.
// When exiftool is installed, the same files are read by it once in the same run for comparison.
#include "app/Logger.h"
#include "tokens/metadata/ImageReader.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// One pass with exiftool over the same folder, timed by the wall clock.
void BM_ExiftoolPeer(benchmark::State& state) {
    if (std::system("command -v exiftool > /dev/null 2>&1") != 0) {
        state.SkipWithError("exiftool is not installed");
        return;
    }
    std::string command =
        "exiftool -fast2 -j -DateTimeOriginal -ext jpg '" + corpus().folder.string() + "' > /dev/null 2>&1";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int status = std::system(command.c_str());
        auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (status != 0)
            state.SkipWithError("exiftool failed");
    }
    state.counters["files/s"] =
        benchmark::Counter(double(kFileCount) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExiftoolPeer)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Collects both rates and prints the ratio after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred)
                continue;
            double seconds = run.real_accumulated_time / double(run.iterations);
            double rate = double(kFileCount) / seconds;
            if (run.run_name.function_name == "BM_ReadExifProperties")
                ours_ = rate;
            else if (run.run_name.function_name == "BM_ExiftoolPeer")
                peer_ = rate;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (ours_ > 0)
            std::printf("Quillory image reader: %.0f files/s\n", ours_);
        if (ours_ > 0 && peer_ > 0)
            std::printf("exiftool -fast2: %.0f files/s; Quillory is %.1fx as fast\n", peer_, ours_ / peer_);
    }

private:
    double ours_ = 0;
    double peer_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    quillory::Logger::setSink(quillory::LogSink::off);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
