// Haar coefficients of volumes held in memory (smooth structure plus noise
// from a fixed seed): the 3-level decomposition of a 256 x 256 x 256
// volume (the throughput counts its voxels; the volume keeps the
// approximations of the previous run, which costs the same), and the
// sliding features of a 64 x 64 x 64 volume, window 8 x 8 x 8 at S 2 (mean
// and entropy), beside decomposing every window afresh with the
// whole-volume operator and taking the mean of its approximation octant
// (the operator's messages go to /dev/null). The throughput counts the
// windows.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "generators.hpp"
#include "quiet.hpp"
#include "images.hpp"
#include "haar_wavelet.h"
#include "volume.h"

namespace {

ima3Du1 make_input(int n) {
    gen::Lcg rng(77);
    return testing_support::volume_of(n, n, n, gen::smooth_noisy_volume(rng, n, 16, 20));
}

constexpr int kSmall = 64, kWindow = 8, kScale = 2;
constexpr int kOrigins = kSmall - kWindow - 1;

void BM_WholeVolume(benchmark::State& state) {
    static ima3Du1 in = make_input(256);
    hw_coef_entire_image_t desc{3};
    ima3Du1 out{};
    Quiet quiet;
    hw_coef_entire_image_init(&desc, in, &out);
    for (auto _ : state) {
        hw_coef_entire_image_calc(&desc, &in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256 * 256);
    liberer_ima3Du1(&out);
}

void BM_Window(benchmark::State& state) {
    static const ima3Du1 in = make_input(kSmall);
    hw_coef_on_window_t desc{};
    desc.S = kScale;
    desc.winx = desc.winy = desc.winz = kWindow;
    desc.feature = static_cast<unsigned char>(state.range(0));
    ima3Du1 out{};
    Quiet quiet;
    hw_coef_on_window_init(&desc, in, &out);
    for (auto _ : state) {
        hw_coef_on_window_calc(&desc, in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kOrigins * kOrigins * kOrigins);
    hw_coef_on_window_ferm(&desc);
    liberer_ima3Du1(&out);
}

void BM_EveryWindowDecomposed(benchmark::State& state) {
    static const ima3Du1 in = make_input(kSmall);
    ima3Du1 window{}, coefficients{}, out{};
    window.dimx = window.dimy = window.dimz = kWindow;
    allouer_ima3Du1(&window);
    hw_coef_entire_image_t desc{kScale};
    Quiet quiet;
    hw_coef_entire_image_init(&desc, window, &coefficients);
    out.dimx = out.dimy = out.dimz = kSmall;
    allouer_ima3Du1(&out);
    constexpr int side = kWindow >> kScale, count = side * side * side;
    for (auto _ : state) {
        for (int i = 0; i < kOrigins; ++i)
            for (int j = 0; j < kOrigins; ++j)
                for (int k = 0; k < kOrigins; ++k) {
                    for (int z = 0; z < kWindow; ++z)
                        for (int y = 0; y < kWindow; ++y)
                            std::copy_n(in.data[i + z][j + y] + k, kWindow, window.data[z][y]);
                    hw_coef_entire_image_calc(&desc, &window, &coefficients);
                    unsigned sum = 0;
                    for (int z = 0; z < side; ++z)
                        for (int y = 0; y < side; ++y)
                            for (int x = 0; x < side; ++x) sum += coefficients.data[z][y][x];
                    out.data[i + kWindow / 2][j + kWindow / 2][k + kWindow / 2] =
                        static_cast<unsigned char>(sum / count);
                }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kOrigins * kOrigins * kOrigins);
}

}  // namespace

BENCHMARK(BM_WholeVolume)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Window)->ArgName("feature")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EveryWindowDecomposed)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
