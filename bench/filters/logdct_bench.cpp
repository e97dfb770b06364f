// The log-DCT of a stack of 8 images of 2048 x 2048 held in memory: 16-bit
// values of uniform noise (two bytes of gen::noise_bytes per pixel, from a
// fixed seed). Only logdct_u2_calc is timed; the throughput counts the
// coefficients written (8 per pixel).

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "generators.hpp"
#include "logdct.h"
#include "proto2D.h"

namespace {

constexpr int kImages = 8;
constexpr int kSize = 2048;

// The stack of kImages 16-bit noise images.
std::vector<imau2> make_stack() {
    gen::Lcg rng(2024);
    const std::size_t pixels = static_cast<std::size_t>(kSize) * kSize;
    std::vector<imau2> stack(kImages);
    for (imau2& image : stack) {
        image.nc = image.nr = kSize;
        alloc_imau2(&image);
        const gen::Bytes bytes = gen::noise_bytes(rng, 2 * pixels);
        for (std::size_t i = 0; i < pixels; ++i)
            image.pixels[0][i] = static_cast<unsigned short>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    }
    return stack;
}

void BM_LogDct(benchmark::State& state) {
    std::vector<imau2> in = make_stack();
    std::vector<imafl> out(kImages);
    auto transform = std::make_unique<logdct_t>();
    transform->nb_images = kImages;
    logdct_u2_init(transform.get(), in.data(), out.data());
    for (auto _ : state) {
        logdct_u2_calc(transform.get(), in.data(), out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kImages * static_cast<std::int64_t>(kSize) * kSize);
    for (int k = 0; k < kImages; ++k) {
        free_imau2(&in[k]);
        free_imafl(&out[k]);
    }
}

}  // namespace

BENCHMARK(BM_LogDct)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
