// The contour detector on a 4096 x 4096 16-bit image held in memory: one
// look of speckle over the smooth pattern (the ratio detector's usual
// input), from a fixed seed, with windows of 3, 7 and 31, with and without
// the local-maximum selection. Only contourRSOu2_calc is timed; the
// throughput counts every pixel. The time per pixel should not grow with
// the window.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "contourRSO.h"
#include "generators.hpp"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

imau2 make_image() {
    const auto stack = gen::speckle_stack(kSize, kSize, 1, 1, 2024);
    imau2 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau2(&ima);
    std::copy(stack[0].begin(), stack[0].end(), ima.pixels[0]);
    return ima;
}

void BM_ContourRSO(benchmark::State& state) {
    static const imau2 in = make_image();
    contourRSO_t desc{};
    desc.taille = static_cast<signed char>(state.range(0));
    desc.max_locaux = static_cast<unsigned char>(state.range(1));
    imafl val{};
    imau1 dir{};
    contourRSOu2_init(&desc, in, &val, &dir);
    for (auto _ : state) {
        contourRSOu2_calc(&desc, in, &val, &dir);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imafl(&val);
    free_imau1(&dir);
}

}  // namespace

BENCHMARK(BM_ContourRSO)
    ->ArgNames({"window", "maxima"})
    ->ArgsProduct({{3, 7, 31}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
