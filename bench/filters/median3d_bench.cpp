// The 3D median filter on a 256 x 256 x 256 volume held in memory: smooth
// structure (trilinear interpolation of a coarse random grid) plus noise,
// from a fixed seed, filtered with cubic windows of 3, 5 and 7. Only
// median3d_calc is timed; the throughput counts the voxels written.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "generators.hpp"
#include "images.hpp"
#include "median3d.h"
#include "volume.h"

namespace {

constexpr int kSize = 256;

ima3Du1 make_volume() {
    gen::Lcg rng(12345);
    return testing_support::volume_of(kSize, kSize, kSize, gen::smooth_noisy_volume(rng, kSize, 32, 20));
}

void BM_Median3d(benchmark::State& state) {
    static const ima3Du1 in = make_volume();
    const int w = static_cast<int>(state.range(0));
    ima3Du1 out{};
    median3d_init(&out, in);
    median3d_t desc{w, w, w};
    for (auto _ : state) {
        median3d_calc(&desc, &out, in);
        benchmark::ClobberMemory();
    }
    const std::int64_t interior = static_cast<std::int64_t>(kSize - w + 1) * (kSize - w + 1) * (kSize - w + 1);
    state.SetItemsProcessed(state.iterations() * interior);
    liberer_ima3Du1(&out);
}

}  // namespace

BENCHMARK(BM_Median3d)->ArgName("window")->Arg(3)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
