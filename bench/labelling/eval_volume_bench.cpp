// Object statistics on 256 x 256 x 256 volumes held in memory: the objects
// of the ball's grey level (210) in the phantom of the samples, one large
// object riddled with noise voxels, and of the noise level 255, some half
// a million isolated voxels. The labelling alone, and with the attributes
// written to /dev/null.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "eval_volume.h"
#include "generators.hpp"
#include "quiet.hpp"
#include "images.hpp"
#include "volume.h"

namespace {

constexpr int kSize = 256;

const ima3Du1& phantom() {
    static const ima3Du1 v = testing_support::volume_of(kSize, kSize, kSize, gen::phantom_volume(kSize, kSize, kSize, 11, 60));
    return v;
}

void BM_EvalVolume(benchmark::State& state) {
    ima3Du1 in = phantom();
    eval_volume_t desc{static_cast<unsigned char>(state.range(0)), nullptr};
    const bool attributes = state.range(1) != 0;
    Quiet quiet;
    eval_volume_init(&desc, &in);
    int nb_etiq = 0, objects = 0;
    for (auto _ : state) {
        eval_etiquetage_strict(&in, desc.etiquettes, desc.classe, &nb_etiq, &objects);
        if (attributes) calcul_attributs_objets(&desc, "/dev/null", objects);
        benchmark::ClobberMemory();
    }
    eval_volume_ferm(&desc);
    state.counters["objects"] = objects;
    state.SetItemsProcessed(state.iterations() * kSize * kSize * kSize);
}

}  // namespace

BENCHMARK(BM_EvalVolume)
    ->ArgNames({"classe", "attributs"})
    ->Args({210, 0})
    ->Args({210, 1})
    ->Args({255, 0})
    ->Args({255, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
