// The labelling core on 4096 x 4096 images held in memory: smooth blobs,
// bridged combs (long link chains for a labeller that never shortens them)
// and one-pixel vertical stripes (the most runs a labellable image can have).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "generators.hpp"
#include "quiet.hpp"
#include "labelcc.h"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

// Image 0 blobs, 1 bridged combs, 2 one-pixel stripes.
gen::Bytes pixels_of(int kind) {
    if (kind == 0) {
        gen::Lcg rng(7);
        return gen::blobs_image(rng, kSize, 160);
    }
    if (kind == 1) return gen::bridged_combs_image(kSize, 8);
    return gen::stripes_image(kSize);
}

imau1 make_image(int kind) {
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    const gen::Bytes p = pixels_of(kind);
    for (int y = 0; y < kSize; ++y)
        std::copy_n(p.begin() + static_cast<std::ptrdiff_t>(y) * kSize, kSize, ima.pixels[y]);
    return ima;
}

void BM_Etiq(benchmark::State& state) {
    imau1 in = make_image(static_cast<int>(state.range(0)));
    imau2 out{};
    out.nc = out.nr = kSize;
    alloc_imau2(&out);
    int connexite = static_cast<int>(state.range(1)), seuil = 128, contraste = 0, plage = 2;
    // ETIQ reports its count on standard output; keep the benchmark table clean.
    Quiet quiet;
    for (auto _ : state) benchmark::DoNotOptimize(ETIQ(in, out, &connexite, &seuil, &contraste, &plage));
    state.SetItemsProcessed(state.iterations() * kSize * kSize);
    free_imau1(&in);
    free_imau2(&out);
}

}  // namespace

BENCHMARK(BM_Etiq)
    ->ArgNames({"image", "connexity"})
    ->Args({0, 8})
    ->Args({0, 4})
    ->Args({1, 8})
    ->Args({2, 8})
    ->Args({2, 4})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
