// Region growing in 2D on 4096 x 4096 images of smooth blobs held in
// memory (noise would need more labels than the table holds): blobs of 160
// pixels, one region at low thresholds, and of 64 pixels, steeper, about
// 24 000 regions at threshold 3. One labelling pass alone, and the whole
// process of three passes with their painting.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "generators.hpp"
#include "quiet.hpp"
#include "proto2D.h"
#include "reggrow.h"

namespace {

constexpr int kSize = 4096;

imau1 make_image(int cell) {
    gen::Lcg rng(7);
    const gen::Bytes p = gen::blobs_image(rng, kSize, cell);
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    std::copy(p.begin(), p.end(), ima.pixels[0]);
    return ima;
}

void BM_Etiq(benchmark::State& state) {
    imau1 in = make_image(static_cast<int>(state.range(0)));
    std::vector<int> labels(static_cast<std::size_t>(kSize) * kSize);
    const int seuil = static_cast<int>(state.range(1));
    int used = 0, effective = 0;
    {
        Quiet quiet;
        for (auto _ : state) {
            etiq1(in.pixels[0], labels.data(), kSize, kSize, seuil, &used, &effective);
            benchmark::DoNotOptimize(labels.data());
        }
    }
    state.counters["regions"] = effective;
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
    free_imau1(&in);
}

void BM_Reggrow(benchmark::State& state) {
    imau1 in = make_image(static_cast<int>(state.range(0)));
    imau1 out{};
    reggrow_t desc{2, static_cast<int>(state.range(1)), 2, 10};
    {
        Quiet quiet;
        reggrow_init(&desc, &in, &out);
        for (auto _ : state) {
            reggrow_calc(&desc, &in, &out);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
    free_imau1(&in);
    free_imau1(&out);
}

}  // namespace

BENCHMARK(BM_Etiq)
    ->ArgNames({"cell", "seuil"})
    ->Args({160, 5})
    ->Args({64, 3})
    ->Args({64, 5})
    ->Unit(benchmark::kMillisecond);
// Thresholds seuil, seuil + 2 and seuil + 4; regions of 10 pixels or fewer
// painted 0.
BENCHMARK(BM_Reggrow)->ArgNames({"cell", "seuil"})->Args({160, 5})->Args({64, 3})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
