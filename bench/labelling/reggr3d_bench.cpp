// 3D region growing on 256 x 256 x 256 volumes held in memory: the phantom
// of the samples (a ball and a tube over a gradient, 6% of the voxels
// noise) and smooth structure with noise of +-20. One pass (labelling,
// resolution and repainting) at a given threshold; the volume is restored
// between runs, outside the timing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "generators.hpp"
#include "quiet.hpp"
#include "images.hpp"
#include "reggr3d.h"
#include "volume.h"

namespace {

constexpr int kSize = 256;

// Volume 0 phantom, 1 smooth with noise.
gen::Bytes samples(int kind) {
    if (kind == 0) return gen::phantom_volume(kSize, kSize, kSize, 11, 60);
    gen::Lcg rng(12345);
    return gen::smooth_noisy_volume(rng, kSize, 32, 20);
}

void BM_Reggr3dPass(benchmark::State& state) {
    const gen::Bytes s = samples(static_cast<int>(state.range(0)));
    ima3Du1 in{};
    in.dimx = in.dimy = in.dimz = kSize;
    allouer_ima3Du1(&in);
    ima3Du4 lab{};
    reggr3d_t desc{1, static_cast<unsigned char>(state.range(1)), 0, 0, 0};
    reggr3d_init(&desc, &in, &lab);
    Quiet quiet;
    for (auto _ : state) {
        state.PauseTiming();
        testing_support::fill_volume(in, s);
        state.ResumeTiming();
        reggr3d_calc(&desc, &in, &lab);
        benchmark::ClobberMemory();
    }
    state.counters["labels"] = desc.nb_etiq;
    state.counters["regions"] = desc.nb_label_effectif;
    state.SetItemsProcessed(state.iterations() * kSize * kSize * kSize);
    liberer_ima3Du1(&in);
    liberer_ima3Du4(&lab);
}

}  // namespace

BENCHMARK(BM_Reggr3dPass)
    ->ArgNames({"volume", "seuil"})
    ->Args({0, 5})
    ->Args({0, 30})
    ->Args({1, 0})
    ->Args({1, 5})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
