// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the EXIF properties of 10,000 JPEG copies of the corpus photos and reports files per second:
// with the image reader alone, then as attribute maps are read, in this process and through the pool of
// worker processes from one and two threads.
#include "app/Logger.h"
#include "tokens/FileAttributeUtil.h"
#include "model/TokenDetailsList.h"
#include "tokens/metadata/ImageReader.h"
#include "tokens/metadata/MetadataReader.h"
#include "tokens/metadata/MetadataWorkerPool.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
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

// Attribute maps of all files from `threads` threads, each taking every threads-th file.
void readAll(const quillory::FileAttributeUtil& reader, int threads, std::atomic<std::size_t>& withDate) {
    auto& files = corpus().files;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (std::size_t i = static_cast<std::size_t>(t); i < files.size(); i += static_cast<std::size_t>(threads))
                if (reader.readAttributes(files[i]).count("{Exif}.DateTimeOriginal"))
                    ++withDate;
        });
    }
    for (auto& worker : workers)
        worker.join();
}

void runAttributeMaps(benchmark::State& state, const quillory::FileAttributeUtil& reader) {
    auto& files = corpus().files;
    std::atomic<std::size_t> withDate{0};
    for (auto _ : state) {
        withDate = 0;
        readAll(reader, static_cast<int>(state.range(0)), withDate);
    }
    state.counters["files/s"] =
        benchmark::Counter(double(files.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["withDate"] = double(withDate.load());
}

std::shared_ptr<const quillory::TokenDetailsList> catalogue() {
    static auto shared = std::make_shared<const quillory::TokenDetailsList>(quillory::TokenDetailsList::loadEmbedded());
    return shared;
}

void BM_AttributeMapsInProcess(benchmark::State& state) {
    quillory::FileAttributeUtil reader(catalogue(), [](const quillory::MetadataRequest& request) {
        return std::optional<quillory::MetadataReport>(quillory::readMetadata(request));
    });
    runAttributeMaps(state, reader);
}
BENCHMARK(BM_AttributeMapsInProcess)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Starts the workers before timing: their start-up is paid once per session, not per file.
void readAttributesOnce(const quillory::FileAttributeUtil& reader) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] { reader.readAttributes(corpus().files.front()); });
    for (auto& thread : threads)
        thread.join();
}

void BM_AttributeMapsThroughWorkers(benchmark::State& state) {
    quillory::FileAttributeUtil reader(catalogue()); // two workers on two cores
    readAttributesOnce(reader);
    runAttributeMaps(state, reader);
}
BENCHMARK(BM_AttributeMapsThroughWorkers)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // The worker of this build, unless one is named.
    setenv(quillory::MetadataWorkerPool::workerVariable, QUILLORY_METADATA_WORKER_BINARY, 0);
    quillory::Logger::setSink(quillory::LogSink::off);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
