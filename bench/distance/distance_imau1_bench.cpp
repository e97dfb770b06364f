// The distance image of 4096 x 4096 binary images held in memory: smooth
// blobs from a fixed seed, 0 below level 128 (half the pixels are sources),
// with L = 1 and n = 10 (distances saturate at 20000 far from the sources
// only beyond 2000 pixels) and L = 2, n = 100. Only distance_imau1_calc is
// timed: the working plane, both scans and the rescaling.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "distance_imau1.h"
#include "generators.hpp"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

imau1 binary_image() {
    gen::Lcg rng(7);
    const gen::Bytes blobs = gen::blobs_image(rng, kSize, 160);
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    for (std::size_t k = 0; k < blobs.size(); ++k) ima.pixels[0][k] = blobs[k] >= 128 ? 1 : 0;
    return ima;
}

void BM_DistanceImau1(benchmark::State& state) {
    static const imau1 in = binary_image();
    distance_imau1_t desc{static_cast<float>(state.range(0)), static_cast<int>(state.range(1))};
    imau1 out{};
    distance_imau1_init(&desc, in, &out);
    for (auto _ : state) {
        distance_imau1_calc(&desc, in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imau1(&out);
}

}  // namespace

BENCHMARK(BM_DistanceImau1)->ArgNames({"L", "n"})->Args({1, 10})->Args({2, 100})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
