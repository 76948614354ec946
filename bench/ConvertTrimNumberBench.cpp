// SPDX-License-Identifier: GPL-3.0-or-later
// Per-file cost of the Trim, Convert and Number actions, the parts of a quick pass over many files that
// compile expressions or draw numbers.
#include "actions/ConversionTransformer.h"
#include "actions/NumberingTransformer.h"
#include "actions/TrimTransformer.h"

#include <benchmark/benchmark.h>

using namespace quillory;

namespace {

class NoTokens final : public TokenResolver {
public:
    TransformResult<std::string> rawText(const TokenItem&, File&, std::stop_token) override { return std::string(); }
};

File sampleFile(int i) {
    File file = File::fromPath("/home/me/Photos/Caf\u00e9 trip " + std::to_string(i) + " IMG_" + std::to_string(i) +
                               ".jpg");
    file.resetTransform();
    return file;
}

void runAction(benchmark::State& state, Transformable& action, const TransformerProperties& properties) {
    NoTokens resolver;
    int i = 0;
    for (auto _ : state) {
        File file = sampleFile(i);
        benchmark::DoNotOptimize(action.transformWith(properties, TransformScope::filename, file, i, resolver, {}));
        ++i;
    }
}

void trimEachComponent(benchmark::State& state) {
    TransformerProperties properties;
    properties.trimPosition = "aroundeach";
    properties.trimCount = "2";
    TrimTransformer action;
    runAction(state, action, properties);
}
BENCHMARK(trimEachComponent);

void convertUppercase(benchmark::State& state) {
    TransformerProperties properties;
    properties.conversionType = "uppercase";
    ConversionTransformer action;
    runAction(state, action, properties);
}
BENCHMARK(convertUppercase);

void convertLookupRows(benchmark::State& state) {
    TransformerProperties properties;
    properties.conversionType = "lookup";
    TransformerProperties::LookupTable rows;
    for (int r = 0; r < state.range(0); ++r)
        rows.push_back({"x" + std::to_string(r) + "[0-9]+", "y"});
    properties.conversionLookup = rows;
    ConversionTransformer action;
    runAction(state, action, properties);
}
BENCHMARK(convertLookupRows)->Arg(1)->Arg(20);

void numberRandomFullPass(benchmark::State& state) {
    TransformerProperties properties;
    properties.numberRandom = true;
    properties.numberDigitText = "6";
    for (auto _ : state) {
        NumberingTransformer action;
        for (int i = 0; i < state.range(0); ++i) {
            File file = sampleFile(i);
            benchmark::DoNotOptimize(action.transform(properties, TransformScope::filename, file, i, {}));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(numberRandomFullPass)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
