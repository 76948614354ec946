// SPDX-License-Identifier: GPL-3.0-or-later
// The quick pass runs every action over every file: these measure the per-file cost of the find helpers
// and of a few actions over 10,000 typical names.
#include "actions/FindHelpers.h"
#include "actions/InsertTransformer.h"
#include "actions/SimpleTransformer.h"
#include "model/File.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace quillory;

namespace {

std::vector<File> typicalFiles(std::size_t count) {
    const char *stems[] = {"IMG_20210503_142211.jpg",
                           "Holiday Photo 12.JPG",
                           "caf\xC3\xA9 cr\xC3\xA8me.png",
                           "Track 07 - Na\xC3\xAFve Song.mp3",
                           "e\xCC\x81te\xCC\x81 report (final).pdf",
                           "party \xF0\x9F\x8E\x89\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD.mov"};
    std::vector<File> files;
    files.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        files.push_back(File::fromPath("/home/me/Photos/" + std::to_string(i) + "_" + stems[i % std::size(stems)]));
    return files;
}

void runAction(benchmark::State &state, Transformable &action, const TransformerProperties &properties) {
    const auto files = typicalFiles(10000);
    LiteralTokenResolver resolver;
    for (auto _ : state) {
        for (File file : files)
            benchmark::DoNotOptimize(action.transformWith(properties, TransformScope::filename, file, 0, resolver, {}));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}

void BM_ReplaceLiteral(benchmark::State &state) {
    TransformerProperties p;
    p.simpleFindText = "e";
    p.simpleReplaceText = TokenString::fromPlainString("E");
    SimpleTransformer action;
    runAction(state, action, p);
}
BENCHMARK(BM_ReplaceLiteral)->Unit(benchmark::kMillisecond);

void BM_ReplaceWildcards(benchmark::State &state) {
    TransformerProperties p;
    p.simpleFindText = "*_*";
    p.simpleWildcards = true;
    p.simpleReplaceText = TokenString::fromPlainString("$2 ($1)");
    SimpleTransformer action;
    runAction(state, action, p);
}
BENCHMARK(BM_ReplaceWildcards)->Unit(benchmark::kMillisecond);

void BM_InsertAtEveryDigit(benchmark::State &state) {
    TransformerProperties p;
    p.insertFindText = "[0-9]";
    p.insertFindRegex = true;
    p.insertText = TokenString::fromPlainString("-");
    p.insertPosition = "start";
    InsertTransformer action;
    runAction(state, action, p);
}
BENCHMARK(BM_InsertAtEveryDigit)->Unit(benchmark::kMillisecond);

void BM_FindMatchesLiteral(benchmark::State &state) {
    const auto files = typicalFiles(10000);
    const FindOptions options{"o"};
    for (auto _ : state) {
        for (const File &file : files)
            benchmark::DoNotOptimize(findMatches(file.source.name, options));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}
BENCHMARK(BM_FindMatchesLiteral)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
