// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Characters.h"
#include "text/Regex.h"
#include "text/Utf.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace quillory::text;

namespace {

// Typical names: mostly ASCII, some accented, some with emoji or decomposed marks, a few invalid.
std::vector<std::string> typicalNames(std::size_t count) {
    const char *stems[] = {
        "IMG_20210503_142211.jpg",
        "Holiday Photo 12.JPG",
        "caf\xC3\xA9 cr\xC3\xA8me.png",
        "Track 07 - Na\xC3\xAFve Song.mp3",
        "e\xCC\x81te\xCC\x81 report (final).pdf",
        "party \xF0\x9F\x8E\x89\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD.mov",
        "old-latin1-\xE9t\xE9.txt",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB.doc"};
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(std::to_string(i) + "_" + stems[i % std::size(stems)]);
    return names;
}

void BM_Utf8RoundTrip(benchmark::State &state) {
    const auto names = typicalNames(100000);
    for (auto _ : state) {
        for (const auto &name : names)
            benchmark::DoNotOptimize(toUtf8(toUtf16(name)));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_Utf8RoundTrip)->Unit(benchmark::kMillisecond);

void BM_CharacterCount(benchmark::State &state) {
    const auto names = typicalNames(100000);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const auto &name : names)
            total += characterCount(name);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_CharacterCount)->Unit(benchmark::kMillisecond);

void BM_RegexReplaceAll(benchmark::State &state) {
    std::vector<std::u16string> names;
    for (const auto &name : typicalNames(100000))
        names.push_back(toUtf16(name));
    const Regex regex = *Regex::compile(u"(\\d+)[ _-]*(\\w)");
    for (auto _ : state) {
        for (const auto &name : names)
            benchmark::DoNotOptimize(regex.replaceAll(name, u"$2<$1>"));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}
BENCHMARK(BM_RegexReplaceAll)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
