// The indexed colour image of a 4096 x 4096 colour image held in memory:
// image 0 uniform noise (10.6 million distinct colours, the worst case of
// the per-colour search), image 1 smooth blobs in each plane (the planes of
// the conversion benchmark, 5.1 million colours); 16 or 256 neurons, 3
// epochs. The training visits about one pixel in 75 per epoch.
// Each iteration runs indexed_img_init and indexed_img_calc (which writes
// WEIGHTS.TXT in the working folder).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "generators.hpp"
#include "indexed_img.h"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

imarvb make_image(int kind) {
    imarvb image{};
    image.nc = image.nr = kSize;
    alloc_imarvb(&image);
    const std::size_t n = static_cast<std::size_t>(kSize) * kSize;
    unsigned char* planes[3] = {image.r[0], image.v[0], image.b[0]};
    if (kind == 0) {
        // Three consecutive draws a pixel (the planes of whole runs of
        // draws of one generator would be nearly the same bytes shifted).
        gen::Lcg rng(12345);
        const gen::Bytes p = gen::noise_bytes(rng, 3 * n);
        for (std::size_t i = 0; i < n; ++i)
            for (int k = 0; k < 3; ++k) planes[k][i] = p[3 * i + static_cast<std::size_t>(k)];
    } else {
        std::uint32_t seed = 31;
        for (unsigned char* plane : planes) {
            gen::Lcg rng(seed++);
            const gen::Bytes p = gen::blobs_image(rng, kSize, 160);
            std::copy(p.begin(), p.end(), plane);
        }
    }
    return image;
}

void BM_IndexedImg(benchmark::State& state) {
    imarvb in = make_image(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        indexed_img_t indexing{};
        indexing.nb_couches = static_cast<int>(state.range(1));
        indexing.nb_epoques = 3;
        imau1 out{};
        indexed_img_init(&indexing, in, &out);
        indexed_img_calc(&indexing, in, &out);
        benchmark::ClobberMemory();
        state.PauseTiming();
        free_imadb(&indexing.poids);
        free_lut_u12(&out);
        free_imau1(&out);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imarvb(&in);
}

}  // namespace

BENCHMARK(BM_IndexedImg)
    ->ArgNames({"image", "neurons"})
    ->ArgsProduct({{0, 1}, {16, 256}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
