// The 16-to-8-bit conversion of a 4096 x 4096 16-bit image held in memory
// (smooth blobs spread over the whole range, with noise in the low byte),
// from a fixed seed, by each of the three methods. Only conv16to8_calc is
// timed: the histogram (methods 1 and 2), the table and one lookup per pixel.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "conv16to8.h"
#include "generators.hpp"
#include "quiet.hpp"
#include "proto2D.h"

namespace {

constexpr int kSize = 4096;

imau2 make_image() {
    gen::Lcg rng(12345);
    const std::size_t n = static_cast<std::size_t>(kSize) * kSize;
    const gen::Bytes noise = gen::noise_bytes(rng, n);
    const gen::Bytes blobs = gen::blobs_image(rng, kSize, 160);
    imau2 ima{};
    ima.nc = ima.nr = kSize;
    alloc_imau2(&ima);
    for (std::size_t i = 0; i < n; ++i) ima.pixels[0][i] = static_cast<unsigned short>(blobs[i] << 8 | noise[i]);
    return ima;
}

void BM_Conv16to8(benchmark::State& state) {
    static const imau2 in = make_image();
    auto desc = std::make_unique<conv16to8_t>();
    desc->methode = static_cast<int>(state.range(0));
    desc->K = desc->methode == 1 ? 2.0f : desc->methode == 2 ? 1.0f : 40000.0f;
    imau1 out{};
    conv16to8_init(desc.get(), in, &out);
    // calc prints its interval on standard output; keep the table clean.
    Quiet quiet;
    for (auto _ : state) {
        conv16to8_calc(desc.get(), in, &out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    free_imau1(&out);
}

}  // namespace

BENCHMARK(BM_Conv16to8)->ArgName("methode")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
