// Object statistics on 256 x 256 x 256 volumes held in memory: the objects
// of the ball's grey level (210) in the phantom of the samples, one large
// object riddled with noise voxels, and of the noise level 255, some half
// a million isolated voxels. The labelling alone, and with the attributes
// written to /dev/null.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "eval_volume.h"
#include "generators.hpp"
#include "volume.h"

namespace {

constexpr int kSize = 256;

const ima3Du1& phantom() {
    static const ima3Du1 v = [] {
        ima3Du1 in{};
        in.dimx = in.dimy = in.dimz = kSize;
        allouer_ima3Du1(&in);
        const gen::Bytes s = gen::phantom_volume(kSize, kSize, kSize, 11, 60);
        auto from = s.begin();
        for (int z = 0; z < kSize; ++z)
            for (int y = 0; y < kSize; ++y, from += kSize) std::copy_n(from, kSize, in.data[z][y]);
        return in;
    }();
    return v;
}

void BM_EvalVolume(benchmark::State& state) {
    ima3Du1 in = phantom();
    eval_volume_t desc{static_cast<unsigned char>(state.range(0)), nullptr};
    const bool attributes = state.range(1) != 0;
    std::fflush(stdout);
    const int saved = ::dup(1);
    std::FILE* sink = std::fopen("/dev/null", "w");
    ::dup2(::fileno(sink), 1);
    eval_volume_init(&desc, &in);
    int nb_etiq = 0, objects = 0;
    for (auto _ : state) {
        eval_etiquetage_strict(&in, desc.etiquettes, desc.classe, &nb_etiq, &objects);
        if (attributes) calcul_attributs_objets(&desc, "/dev/null", objects);
        benchmark::ClobberMemory();
    }
    eval_volume_ferm(&desc);
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    std::fclose(sink);
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
