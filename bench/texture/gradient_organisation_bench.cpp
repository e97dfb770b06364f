// The steps of the gradient organisation on 256 x 256 planes held in
// memory, cut from a smooth noisy 256^3 volume of a fixed seed: the
// gradient of one plane (T = 3 and 5), the tensor and its eigenvalues over
// a ring of gradient planes (boxes 3^3, 5^3, 9^3), and the Deriche
// smoothing of one eigenvalue plane. The throughput counts the pixels of
// one plane; the tensor's time per pixel grows with the box's depth only.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "generators.hpp"
#include "gradient_organisation.h"

namespace {

constexpr int kSize = 256;
constexpr std::size_t kArea = static_cast<std::size_t>(kSize) * kSize;

// The first planes of the volume, each as a table of trace pointers.
struct Planes {
    gen::Bytes samples;
    std::vector<unsigned char*> traces;
    std::vector<unsigned char**> planes;
};

const Planes& volume_planes() {
    static const Planes p = [] {
        Planes v;
        gen::Lcg rng(12345);
        v.samples = gen::smooth_noisy_volume(rng, kSize, 32, 20);
        for (std::size_t t = 0; t < 16 * static_cast<std::size_t>(kSize); ++t)
            v.traces.push_back(&v.samples[t * kSize]);
        for (int z = 0; z < 16; ++z) v.planes.push_back(&v.traces[static_cast<std::size_t>(z) * kSize]);
        return v;
    }();
    return p;
}

void BM_Gradient3D(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)) / 2;
    std::vector<short> g(3 * kArea);
    const float alpha = CalculAlpha(static_cast<int>(state.range(0)), 50, 0.02f);
    auto planes = volume_planes().planes;
    for (auto _ : state) {
        gradient3D(planes.data(), g.data(), g.data() + kArea, g.data() + 2 * kArea, kSize, kSize, alpha, n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kArea));
}

void BM_Acp3D(benchmark::State& state) {
    const int box = static_cast<int>(state.range(0));
    std::vector<std::vector<short>> g(3 * static_cast<std::size_t>(box), std::vector<short>(kArea));
    std::vector<short*> rings[3];
    auto planes = volume_planes().planes;
    for (int p = 0; p < box; ++p) {
        gradient3D(planes.data() + p, g[3 * p].data(), g[3 * p + 1].data(), g[3 * p + 2].data(), kSize, kSize,
                   CalculAlpha(3, 50, 0.02f), 1);
        for (int k = 0; k < 3; ++k) rings[k].push_back(g[3 * p + k].data());
    }
    std::vector<float> out(6 * kArea);
    for (auto _ : state) {
        Acp3D_NS(rings[0].data(), rings[1].data(), rings[2].data(), kSize, kSize, &out[0], &out[kArea], &out[2 * kArea],
                 &out[3 * kArea], &out[4 * kArea], &out[5 * kArea], box, box, box, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kArea));
}

void BM_LissageDeriche(benchmark::State& state) {
    std::vector<float> plane(kArea);
    const auto& samples = volume_planes().samples;
    for (auto _ : state) {
        std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(kArea), plane.begin());
        LissageDeriche(1.0f, plane.data(), kSize, kSize);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kArea));
}

}  // namespace

BENCHMARK(BM_Gradient3D)->ArgName("T")->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Acp3D)->ArgName("box")->Arg(3)->Arg(5)->Arg(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LissageDeriche)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
