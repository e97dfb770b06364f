// The chamfer distance map of 4096 x 4096 binary images held in memory:
// smooth blobs from a fixed seed, thresholded so that 50% (level 128) or
// about 2% (level 16) of the pixels are sources. Only chanfrein_imafl_calc
// is timed (both scans, the frame and the initial plane); the throughput
// counts every pixel. The time per pixel does not depend on the image.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "chanfrein_imafl.h"
#include "generators.hpp"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

// Blobs, 0 below the threshold (the sources), 1 elsewhere.
imau1 binary_image(int threshold) {
    gen::Lcg rng(7);
    const gen::Bytes blobs = gen::blobs_image(rng, kSize, 160);
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    for (std::size_t k = 0; k < blobs.size(); ++k) ima.pixels[0][k] = blobs[k] >= threshold ? 1 : 0;
    return ima;
}

void BM_Chanfrein(benchmark::State& state) {
    imau1 in = binary_image(static_cast<int>(state.range(0)));
    imafl out{};
    chanfrein_imafl_init(in, &out);
    for (auto _ : state) {
        chanfrein_imafl_calc(in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imau1(&in);
    free_imafl(&out);
}

}  // namespace

BENCHMARK(BM_Chanfrein)->ArgName("threshold")->Arg(128)->Arg(16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
