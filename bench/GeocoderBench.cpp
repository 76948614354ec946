// SPDX-License-Identifier: GPL-3.0-or-later
// Offline reverse geocoding: 100,000 lookups of random land-and-sea points per iteration.
#include "tokens/gps/OfflineGeocoder.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kLookups = 100000;

std::vector<std::pair<double, double>> randomPoints() {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> lat(-60, 75), lon(-180, 180);
    std::vector<std::pair<double, double>> points(kLookups);
    for (auto& point : points)
        point = {lat(random), lon(random)};
    return points;
}

// Nearest place only (the k-d tree).
// Times `lookup(geocoder, latitude, longitude)` over the random points.
template <typename Lookup> void timeLookups(benchmark::State& state, const Lookup& lookup) {
    auto geocoder = quillory::OfflineGeocoder::embedded();
    if (!geocoder->hasData()) {
        state.SkipWithError("no place data in this build");
        return;
    }
    const auto points = randomPoints();
    for (auto _ : state) {
        for (const auto& [lat, lon] : points)
            benchmark::DoNotOptimize(lookup(*geocoder, lat, lon));
    }
    state.SetItemsProcessed(state.iterations() * kLookups);
    state.counters["memory_bytes"] = double(geocoder->memoryBytes());
    state.counters["places"] = double(geocoder->placeCount());
}

void BM_OfflineNearest(benchmark::State& state) {
    timeLookups(state, [](quillory::OfflineGeocoder& geocoder, double lat, double lon) {
        return geocoder.nearest(lat, lon);
    });
}
BENCHMARK(BM_OfflineNearest)->Unit(benchmark::kMillisecond);

// The whole answer, placemark with country name included.
void BM_OfflineReverseGeocode(benchmark::State& state) {
    timeLookups(state, [](quillory::OfflineGeocoder& geocoder, double lat, double lon) {
        return geocoder.reverseGeocode(lat, lon, {});
    });
}
BENCHMARK(BM_OfflineReverseGeocode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
