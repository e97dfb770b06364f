// The 3D median filter on a 256 x 256 x 256 volume held in memory: smooth
// structure (trilinear interpolation of a coarse random grid) plus noise,
// from a fixed seed, filtered with cubic windows of 3, 5 and 7. Only
// median3d_calc is timed; the throughput counts the voxels written.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "median3d.h"
#include "volume.h"

namespace {

constexpr int kSize = 256;

ima3Du1 make_volume() {
    ima3Du1 v{};
    v.dimx = v.dimy = v.dimz = kSize;
    allouer_ima3Du1(&v);
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>(state >> 24);
    };
    constexpr int cell = 32, grid = kSize / cell + 2;
    std::vector<int> coarse(static_cast<std::size_t>(grid) * grid * grid);
    for (int& c : coarse) c = next();
    auto at = [&](int i, int j, int k) { return coarse[(static_cast<std::size_t>(k) * grid + j) * grid + i]; };
    for (int z = 0; z < kSize; ++z)
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const int gx = x / cell, gy = y / cell, gz = z / cell;
                const int fx = x % cell, fy = y % cell, fz = z % cell;
                long sum = 0;
                for (int k = 0; k < 2; ++k)
                    for (int j = 0; j < 2; ++j)
                        for (int i = 0; i < 2; ++i)
                            sum += static_cast<long>(at(gx + i, gy + j, gz + k)) * (i ? fx : cell - fx) *
                                   (j ? fy : cell - fy) * (k ? fz : cell - fz);
                const int smooth = static_cast<int>(sum / (cell * cell * cell));
                const int noise = next() % 41 - 20;
                v.data[z][y][x] = static_cast<unsigned char>(std::clamp(smooth + noise, 0, 255));
            }
    return v;
}

void BM_Median3d(benchmark::State& state) {
    static const ima3Du1 in = make_volume();
    const int w = static_cast<int>(state.range(0));
    ima3Du1 out{};
    median3d_init(&out, in);
    median3d_t desc{w, w, w};
    for (auto _ : state) {
        median3d_calc(&desc, &out, in);
        benchmark::ClobberMemory();
    }
    const std::int64_t interior = static_cast<std::int64_t>(kSize - w + 1) * (kSize - w + 1) * (kSize - w + 1);
    state.SetItemsProcessed(state.iterations() * interior);
    liberer_ima3Du1(&out);
}

}  // namespace

BENCHMARK(BM_Median3d)->ArgName("window")->Arg(3)->Arg(5)->Arg(7)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
