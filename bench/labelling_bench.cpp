// The labelling core on 4096 x 4096 images held in memory: smooth blobs,
// bridged combs (long link chains for a labeller that never shortens them)
// and one-pixel vertical stripes (the most runs a labellable image can have).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "labelcc.h"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

imau1 make_image(int kind) {
    imau1 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau1(&ima);
    unsigned char* p = ima.pixels[0];
    std::uint32_t state = 7;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    if (kind == 0) {  // blobs: bilinear interpolation of a coarse random grid
        const int cell = 160, grid = kSize / cell + 2;
        std::vector<int> coarse(static_cast<std::size_t>(grid) * grid);
        for (auto& v : coarse) v = static_cast<int>(next());
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                auto at = [&](int i, int j) { return coarse[static_cast<std::size_t>(j) * grid + i]; };
                const int gx = x / cell, fx = x % cell, gy = y / cell, fy = y % cell;
                const int top = at(gx, gy) * (cell - fx) + at(gx + 1, gy) * fx;
                const int bottom = at(gx, gy + 1) * (cell - fx) + at(gx + 1, gy + 1) * fx;
                p[static_cast<std::size_t>(y) * kSize + x] =
                    static_cast<unsigned char>((top * (cell - fy) + bottom * fy) / (cell * cell));
            }
    } else if (kind == 1) {  // combs bridged right to left, one row lower each time
        for (std::size_t i = 0; i < static_cast<std::size_t>(kSize) * kSize; ++i) p[i] = 0;
        const int teeth = kSize / 8;
        for (int t = 0; t < teeth; ++t)
            for (int y = 0; y < kSize; ++y) p[static_cast<std::size_t>(y) * kSize + 8 * t] = 255;
        for (int t = teeth - 1; t >= 1; --t)
            for (int x = 8 * (t - 1); x <= 8 * t; ++x) p[static_cast<std::size_t>(1 + 2 * (teeth - 1 - t)) * kSize + x] = 255;
    } else {  // vertical stripes one pixel wide, one apart, joined at the bottom
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) p[static_cast<std::size_t>(y) * kSize + x] = (x % 2 == 0 || y == kSize - 1) ? 255 : 0;
    }
    return ima;
}

void BM_Etiq(benchmark::State& state) {
    imau1 in = make_image(static_cast<int>(state.range(0)));
    imau2 out{};
    out.nc = out.nr = kSize;
    alloc_imau2(&out);
    int connexite = static_cast<int>(state.range(1)), seuil = 128, contraste = 0, plage = 2;
    // ETIQ reports its count on standard output; keep the benchmark table clean.
    std::fflush(stdout);
    const int saved = ::dup(1);
    std::FILE* sink = std::fopen("/dev/null", "w");
    ::dup2(::fileno(sink), 1);
    for (auto _ : state) benchmark::DoNotOptimize(ETIQ(in, out, &connexite, &seuil, &contraste, &plage));
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    std::fclose(sink);
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
