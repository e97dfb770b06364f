// The square median filter on 4096 x 4096 images held in memory: uniform
// noise (the median's coarse bin steady, its catch-up short) and smooth blobs
// (every level in turn), from fixed seeds, with windows of 3, 11, 31 and 61.
// Only medhist_calc is timed; the throughput counts every pixel of the image.
// The time per pixel should barely grow with the window.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "generators.hpp"
#include "medhist.h"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

// Image 0 uniform noise, 1 smooth blobs.
imau1 make_image(int kind) {
    gen::Lcg rng(kind == 0 ? 12345 : 7);
    const gen::Bytes p =
        kind == 0 ? gen::noise_bytes(rng, static_cast<std::size_t>(kSize) * kSize) : gen::blobs_image(rng, kSize, 160);
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    std::copy(p.begin(), p.end(), ima.pixels[0]);
    return ima;
}

void BM_Medhist(benchmark::State& state) {
    imau1 in = make_image(static_cast<int>(state.range(0)));
    medhist_t desc{static_cast<int>(state.range(1))};
    imau1 out{};
    medhist_init(&desc, in, &out);
    for (auto _ : state) {
        medhist_calc(&desc, in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imau1(&in);
    free_imau1(&out);
}

}  // namespace

BENCHMARK(BM_Medhist)
    ->ArgNames({"image", "window"})
    ->ArgsProduct({{0, 1}, {3, 11, 31, 61}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
