// SPDX-License-Identifier: GPL-3.0-or-later
// Quick resolution of a token string over 100,000 files whose maps are loaded, as the preview does on
// every keystroke; and the same files before their maps are loaded (every item asks for a late update).
#include "tokens/AttributeResolver.h"
#include "tokens/FileAttributeUtil.h"

#include <benchmark/benchmark.h>

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
            auto result = resolver.text(text, file);
            bytes += result.ok() ? result->size() : 1;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

void BM_QuickPassLoadedMaps(benchmark::State& state) { quickPass(state, true, false); }
void BM_QuickPassLoadedMapsWithImageDate(benchmark::State& state) { quickPass(state, true, true); }
void BM_QuickPassMapsNotLoaded(benchmark::State& state) { quickPass(state, false, false); }

BENCHMARK(BM_QuickPassLoadedMaps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPassLoadedMapsWithImageDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPassMapsNotLoaded)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
