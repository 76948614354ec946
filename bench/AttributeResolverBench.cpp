// SPDX-License-Identifier: GPL-3.0-or-later
// Quick resolution of a token string over 100,000 files whose maps are loaded, as the preview does on
// every keystroke; and the same files before their maps are loaded (every item asks for a late update).
// Also the reading of attribute maps, as the preloader does, over copies of the corpus files.
#include "tokens/AttributeResolver.h"
#include "tokens/FileAttributeUtil.h"
#include "model/TokenDetailsList.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include <string>
#include <vector>

namespace {

using namespace quillory;

constexpr int kFileCount = 100000;

std::vector<File> makeFiles(bool loaded) {
    std::vector<File> files;
    files.reserve(kFileCount);
    for (int i = 0; i < kFileCount; ++i) {
        File file = File::fromPath("/home/me/Music/Album " + std::to_string(i % 100) + "/track" + std::to_string(i) +
                                   ".mp3");
        if (loaded) {
            AttributeMap map;
            FileAttributeUtil::addAttribute(map, "id3-track", "id3-track", std::to_string(i % 20) + "/20");
            FileAttributeUtil::addAttribute(map, "id3-title", "id3-title", "Song " + std::to_string(i));
            FileAttributeUtil::addAttribute(map, "PixelWidth", "PixelWidth", i);
            FileAttributeUtil::addAttribute(map, "{Exif}.DateTimeOriginal", "DateTimeOriginal",
                                            "2021:05:03 14:22:11");
            file.attributes = FileAttributes::loaded(std::move(map));
        }
        files.push_back(std::move(file));
    }
    return files;
}

TokenString tokens(bool withDate) {
    std::vector<TokenItem> items = {TokenItem::attribute("id3-track"), TokenItem::text(" "),
                                    TokenItem::attribute("id3-title"), TokenItem::text(" - "),
                                    TokenItem::attribute("parent-directory-1"), TokenItem::attribute("PixelWidth"),
                                    TokenItem::attribute("original-filename")};
    if (withDate)
        items.push_back(TokenItem::attribute("{Exif}.DateTimeOriginal"));
    return TokenString(std::move(items));
}

void quickPass(benchmark::State& state, bool loaded, bool withDate) {
    std::vector<File> files = makeFiles(loaded);
    AttributeResolver resolver(AttributeResolver::Mode::quick, {});
    const TokenString text = tokens(withDate);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (File& file : files) {
            auto result = resolver.text(text, file, {});
            bytes += result.ok() ? result->size() : 1;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

void BM_QuickPassLoadedMaps(benchmark::State& state) { quickPass(state, true, false); }
void BM_QuickPassLoadedMapsWithImageDate(benchmark::State& state) { quickPass(state, true, true); }
void BM_QuickPassMapsNotLoaded(benchmark::State& state) { quickPass(state, false, false); }

void BM_ReadAttributeMaps(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("quillory-attrbench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const char* sources[] = {"img_gps_amsterdam.jpg", "song_id3v23.mp3", "song_vorbis.flac", "song_itunes.m4a",
                             "not_a_flac.flac", "img_exif.tif"};
    std::vector<File> files;
    for (int i = 0; i < 2400; ++i) {
        const std::string source = sources[i % 6];
        const fs::path target = folder / (std::to_string(i) + "-" + source);
        fs::copy_file(fs::path(QUILLORY_CORPUS_DIR) / source, target, fs::copy_options::overwrite_existing);
        files.push_back(File::fromPath(target.string()));
    }
    FileAttributeUtil reader(std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded()));
    for (auto _ : state)
        for (const File& file : files)
            benchmark::DoNotOptimize(reader.load(file));
    state.SetItemsProcessed(state.iterations() * static_cast<long>(files.size()));
    std::error_code error;
    fs::remove_all(folder, error);
}

BENCHMARK(BM_ReadAttributeMaps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPassLoadedMaps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPassLoadedMapsWithImageDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPassMapsNotLoaded)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
