// Co-occurrence features of a 64 x 64 x 64 volume held in memory (smooth
// structure plus noise from a fixed seed), window 9 x 9 x 9, displacement
// (1, 1, 1), all nine features: Mcoocur_calc, which moves one slab of pairs
// per step, beside recomputing every window's matrix from its 729 pairs and
// the features from its non-zero cells. The throughput counts the windows.
// Mcoocur_calc creates nonZeros.dump in the working folder.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Mcoocur.h"
#include "generators.hpp"
#include "images.hpp"
#include "volume.h"

namespace {

constexpr int kSize = 64, kWindow = 9, kShift = 1;
constexpr int kOrigins = kSize - kWindow - kShift;

ima3Du1 make_input() {
    gen::Lcg rng(2024);
    return testing_support::volume_of(kSize, kSize, kSize, gen::smooth_noisy_volume(rng, kSize, 16, 20));
}

const Mcoocur_t kDesc = {kWindow, kWindow, kWindow, kShift, kShift, kShift, {1, 1, 1, 1, 1, 1, 1, 1, 1}};

void BM_Incremental(benchmark::State& state) {
    static ima3Du1 in = make_input();
    Mcoocur_t desc = kDesc;
    ima3Dd* out[MCOOCUR_NB_ATTRIBUTES];
    Mcoocur_init(&desc, in, out);
    for (auto _ : state) {
        Mcoocur_calc(&desc, in, out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kOrigins * kOrigins * kOrigins);
}

// Every window's matrix filled afresh, its features from the cells it
// touched (then cleared), stored at the window's centre.
void BM_FromScratch(benchmark::State& state) {
    static ima3Du1 in = make_input();
    Mcoocur_t desc = kDesc;
    ima3Dd* out[MCOOCUR_NB_ATTRIBUTES];
    Mcoocur_init(&desc, in, out);
    std::vector<std::uint32_t> M(65536, 0), h(511, 0);
    std::vector<int> cells;
    cells.reserve(kWindow * kWindow * kWindow);
    const int half = (kWindow + kShift) / 2;
    for (auto _ : state) {
        for (int z0 = 0; z0 < kOrigins; ++z0)
            for (int y0 = 0; y0 < kOrigins; ++y0)
                for (int x0 = 0; x0 < kOrigins; ++x0) {
                    for (int z = z0; z < z0 + kWindow; ++z)
                        for (int y = y0; y < y0 + kWindow; ++y) {
                            const unsigned char* first = in.data[z][y];
                            const unsigned char* second = in.data[z + kShift][y + kShift] + kShift;
                            for (int x = x0; x < x0 + kWindow; ++x) {
                                const int cell = first[x] * 256 + second[x];
                                if (M[cell]++ == 0) cells.push_back(cell);
                            }
                        }
                    long double con = 0, dir = 0, s = 0, t = 0, hom = 0, lho = 0, sav = 0, uni = 0, sen = 0;
                    for (int cell : cells) {
                        const int a = cell >> 8, b = cell & 255;
                        const long double m = M[cell];
                        con += (a - b) * (a - b) * m;
                        s += m * std::log10(static_cast<double>(M[cell]));
                        t += m;
                        hom += m * m;
                        lho += m / ((a - b) * (a - b) + 1);
                        sav += (a + b) * m;
                        if (a == b) dir += m, uni += m * m;
                        h[a + b] += M[cell];
                        M[cell] = 0;
                    }
                    for (int cell : cells) {
                        const int k = (cell >> 8) + (cell & 255);
                        if (h[k] != 0) sen += h[k] * std::log10(static_cast<double>(h[k]));
                        h[k] = 0;
                    }
                    const long double n = static_cast<long double>(cells.size());
                    const long double ent = n == 1 ? 0 : 1 - (s - t * std::log10(n)) / (n * std::log10(n));
                    const long double values[] = {con / n, NAN,     dir / n, ent,          hom / n,
                                                  lho / n, sav / n, sen / n, uni / (n * n)};
                    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i)
                        out[i]->data[z0 + half][y0 + half][x0 + half] = static_cast<double>(values[i]);
                    cells.clear();
                }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kOrigins * kOrigins * kOrigins);
}

}  // namespace

BENCHMARK(BM_Incremental)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromScratch)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
