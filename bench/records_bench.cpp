// SPDX-License-Identifier: GPL-3.0-or-later
// Costs paid on every editor save (change hash) and every recipe load (decoding), and the literal part
// of rendering a token string, which the quick pass does for every file.
#include "model/Transformer.h"
#include "model/TokenDetailsList.h"
#include "tokens/TokenResolver.h"

#include <benchmark/benchmark.h>

using namespace quillory;

namespace {

Transformer sampleRecord() {
    Transformer record("numbering");
    auto& p = record.properties;
    p.numberFindText = "IMG_";
    p.numberPosition = "end";
    p.numberSeparatorText = "-";
    p.numberDigitText = "4";
    p.simpleReplaceText = TokenString({TokenItem::text("Photo "), TokenItem::attribute("date-created"),
                                       TokenItem::text(" "), TokenItem::attribute("{Exif}.DateTimeOriginal")});
    p.conversionLookup = TransformerProperties::LookupTable(50, {"ä", "ae"});
    return record;
}

void changeHash(benchmark::State& state) {
    auto record = sampleRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(record.changeHash());
}
BENCHMARK(changeHash);

void decodeRecipeOf100Records(benchmark::State& state) {
    auto catalogue = TokenDetailsList::loadEmbedded();
    auto text = nlohmann::ordered_json(sampleRecord().toJson(&catalogue)).dump();
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            benchmark::DoNotOptimize(Transformer::fromJson(nlohmann::ordered_json::parse(text)));
    }
}
BENCHMARK(decodeRecipeOf100Records);

void loadEmbeddedCatalogue(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(TokenDetailsList::loadEmbedded());
}
BENCHMARK(loadEmbeddedCatalogue);

void renderLiteralTokens100k(benchmark::State& state) {
    LiteralTokenResolver resolver;
    TokenString tokens({TokenItem::text("Photo "), TokenItem::attribute("date-created"), TokenItem::text(" x")});
    auto file = File::fromPath("/photos/a.jpg");
    for (auto _ : state)
        for (int i = 0; i < 100000; ++i)
            benchmark::DoNotOptimize(resolver.text(tokens, file, {}));
}
BENCHMARK(renderLiteralTokens100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
