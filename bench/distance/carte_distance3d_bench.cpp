// The 3D distance map of 128^3 and 256^3 volumes held in memory: smooth
// structure plus noise from a fixed seed (generators.hpp), the voxels
// below level 128 as sources (about half) and the others at the largest
// value that the largest weight cannot wrap, with cubic voxels. Only
// carte_distance3d_calc (both scans, in place) is timed; the volume is
// prepared again, untimed, before each run. The throughput counts the
// voxels scanned. The module uses nothing but the standard library, so the
// volume is laid out here as the volume functions lay it out: one
// allocation per trace, one table of trace pointers per plane.

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "carte_distance3d.h"
#include "generators.hpp"

namespace {

void BM_CarteDistance3d(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    gen::Lcg rng(12345);
    const gen::Bytes levels = gen::smooth_noisy_volume(rng, n, 32, 20);
    carte_distance3d_t des{};
    carte_distance3d_lect(&des, nullptr);
    carte_distance3d_init(&des);
    std::vector<std::vector<unsigned>> traces(static_cast<std::size_t>(n) * n, std::vector<unsigned>(static_cast<std::size_t>(n)));
    std::vector<std::vector<unsigned*>> rows(static_cast<std::size_t>(n));
    std::vector<unsigned**> planes;
    for (int z = 0; z < n; ++z) {
        for (int y = 0; y < n; ++y) rows[static_cast<std::size_t>(z)].push_back(traces[static_cast<std::size_t>(z) * n + y].data());
        planes.push_back(rows[static_cast<std::size_t>(z)].data());
    }
    ima3Du4 vol{};
    vol.dimx = vol.dimy = vol.dimz = n;
    vol.data = planes.data();
    for (auto _ : state) {
        state.PauseTiming();
        std::size_t k = 0;
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x, ++k) vol.data[z][y][x] = levels[k] < 128 ? 0u : UINT_MAX - 226u;
        state.ResumeTiming();
        carte_distance3d_calc(&des, &vol);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n - 5) * (n - 5) * (n - 5));
}

}  // namespace

BENCHMARK(BM_CarteDistance3d)->ArgName("size")->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
