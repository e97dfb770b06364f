// The confusion matrix on a 256 x 256 x 256 classified volume held in
// memory (smooth blobs with noise, fixed seed), 8 classes: the grey levels
// turned into classes, the count against a ground-truth volume, and the
// count of one 4096 x 4096 plane against a ground-truth image read
// transposed (its rows along the plane's samples). One item per voxel
// compared.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "confusion_matrix.h"
#include "generators.hpp"
#include "proto2D.h"
#include "volume.h"

namespace {

ima3Du1 volume_of(const gen::Bytes& samples, int dx, int dy, int dz) {
    ima3Du1 v{};
    v.dimx = dx, v.dimy = dy, v.dimz = dz;
    allouer_ima3Du1(&v);
    auto from = samples.begin();
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y, from += dx) std::copy_n(from, dx, v.data[z][y]);
    return v;
}

// mode 1: 256^3 against a volume; mode 0: a 4096 x 4096 plane against an image.
confusion_matrix_t descriptor(int mode) {
    confusion_matrix_t d{};
    d.nb_regions = 7;
    d.mode = mode;
    gen::Lcg rng(23);
    if (mode == 1) {
        d.vol_eval = volume_of(gen::smooth_noisy_volume(rng, 256, 32, 20), 256, 256, 256);
        gen::Bytes truth = gen::smooth_noisy_volume(rng, 256, 32, 20);
        for (auto& t : truth) t = static_cast<unsigned char>(t / 32);
        d.vol_test = volume_of(truth, 256, 256, 256);
    } else {
        d.vol_eval = volume_of(gen::blobs_image(rng, 4096, 128), 4096, 4096, 1);
        const gen::Bytes truth = gen::blobs_image(rng, 4096, 128);
        d.ima_test.nc = d.ima_test.nr = 4096;
        alloc_imau1(&d.ima_test);
        std::transform(truth.begin(), truth.end(), d.ima_test.pixels[0], [](unsigned char t) { return t / 32; });
    }
    return d;
}

std::int64_t voxels(const confusion_matrix_t& d) {
    return static_cast<std::int64_t>(d.vol_eval.dimx) * d.vol_eval.dimy * d.vol_eval.dimz;
}

void BM_ConfusionInit(benchmark::State& state) {
    confusion_matrix_t d = descriptor(1);
    for (auto _ : state) {
        confusion_matrix_init(&d);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * voxels(d));
    confusion_matrix_ferm(&d);
}

void BM_ConfusionCount(benchmark::State& state) {
    confusion_matrix_t d = descriptor(static_cast<int>(state.range(0)));
    confusion_matrix_init(&d);
    std::vector<int> counts(64);
    std::vector<int*> rows;
    for (int t = 0; t < 8; ++t) rows.push_back(counts.data() + 8 * t);
    for (auto _ : state) {
        confusion_matrix_calc(&d, rows.data());
        benchmark::DoNotOptimize(counts.data());
    }
    state.SetItemsProcessed(state.iterations() * voxels(d));
    confusion_matrix_ferm(&d);
}

}  // namespace

BENCHMARK(BM_ConfusionInit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConfusionCount)->ArgNames({"mode"})->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
