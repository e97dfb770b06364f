// The inverse DCT and exponential of a stack of 8 coefficient images of
// 2048 x 2048 held in memory: the log-DCT coefficients of 16-bit values of
// uniform noise (two bytes of gen::noise_bytes per pixel, from a fixed
// seed), with a bias of 1. Only idctexp_u2_calc is timed; the throughput
// counts the values written (8 per pixel).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "generators.hpp"
#include "idctexp.h"
#include "proto2D.h"

namespace {

constexpr int kImages = 8;
constexpr int kSize = 2048;

// The orthonormal DCT-II of the logarithms of the noise stack, pixel by
// pixel (ln 0 and ln 1 taken as 0), in floats.
std::vector<imafl> make_coefficients() {
    gen::Lcg rng(2024);
    const std::size_t pixels = static_cast<std::size_t>(kSize) * kSize;
    std::vector<imafl> stack(kImages);
    for (imafl& image : stack) {
        image.nc = image.nr = kSize;
        alloc_imafl(&image);
    }
    std::vector<gen::Bytes> noise;
    for (int m = 0; m < kImages; ++m) noise.push_back(gen::noise_bytes(rng, 2 * pixels));
    const double pi = std::acos(-1.0);
    double weight[kImages][kImages];
    for (int k = 0; k < kImages; ++k)
        for (int m = 0; m < kImages; ++m)
            weight[k][m] = std::cos(k * (2 * m + 1) * pi / (2 * kImages)) * std::sqrt((k == 0 ? 1.0 : 2.0) / kImages);
    for (std::size_t i = 0; i < pixels; ++i) {
        double logs[kImages];
        for (int m = 0; m < kImages; ++m) {
            const int v = noise[m][2 * i] << 8 | noise[m][2 * i + 1];
            logs[m] = v < 2 ? 0.0 : std::log(v);
        }
        for (int k = 0; k < kImages; ++k) {
            double sum = 0;
            for (int m = 0; m < kImages; ++m) sum += weight[k][m] * logs[m];
            stack[k].pixels[0][i] = static_cast<float>(sum);
        }
    }
    return stack;
}

void BM_IdctExp(benchmark::State& state) {
    std::vector<imafl> in = make_coefficients();
    std::vector<imau2> out(kImages);
    idctexp_t transform{};
    transform.nb_images = kImages;
    transform.biais = 1.0f;
    idctexp_u2_init(&transform, in.data(), out.data());
    for (auto _ : state) {
        idctexp_u2_calc(&transform, in.data(), out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kImages * static_cast<std::int64_t>(kSize) * kSize);
    for (int k = 0; k < kImages; ++k) {
        free_imafl(&in[k]);
        free_imau2(&out[k]);
    }
}

}  // namespace

BENCHMARK(BM_IdctExp)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
