// The vector operator on a 128^3 16-bit volume file and a field of smooth
// random directions (a fixed seed), both written once to a temporary
// folder: vector_calc filtering along the vectors with radii 1, 2 and 4,
// and drawing them, files read and written included. The throughput counts
// the voxels; filtering costs a segment of 2r + 1 voxels per voxel.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "generators.hpp"
#include "vector.h"
#include "volume.h"

namespace {

constexpr int kSize = 128;

// The folder of the input files, made on first use and removed at exit.
struct Folder {
    std::string path;
    ~Folder() {
        for (const char* name : {"/in.vol", "/field.vec", "/out.vol"}) std::remove((path + name).c_str());
        std::remove(path.c_str());
    }
};

const std::string& folder() {
    static const Folder made{[] {
        char name[] = "/tmp/vector_benchXXXXXX";
        const std::string dir = mkdtemp(name);
        gen::Lcg rng(99);
        const gen::Bytes samples = gen::smooth_noisy_volume(rng, kSize, 16, 20);
        ima3Ds2 v{};
        v.dimx = v.dimy = v.dimz = kSize;
        allouer_ima3Ds2(&v);
        std::size_t i = 0;
        for (int z = 0; z < kSize; ++z)
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) v.data[z][y][x] = static_cast<short>(samples[i++] * 100);
        ecr_ima3Ds2((dir + "/in.vol").c_str(), &v);
        liberer_ima3Ds2(&v);
        // Directions turning slowly with the position.
        std::vector<float> field;
        for (int z = 0; z < kSize; ++z)
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                    for (float c : {std::cos(x * 0.05f + z * 0.02f), std::sin(y * 0.07f), std::cos(z * 0.03f) * 0.5f})
                        field.push_back(c);
        std::FILE* f = std::fopen((dir + "/field.vec").c_str(), "wb");
        const std::int32_t sizes[3] = {kSize, kSize, kSize};
        std::fwrite(sizes, sizeof sizes, 1, f);
        std::fwrite(field.data(), sizeof(float), field.size(), f);
        std::fclose(f);
        return dir;
    }()};
    return made.path;
}

void BM_VectorCalc(benchmark::State& state) {
    vector_t desc{};
    std::snprintf(desc.entree, sizeof desc.entree, "%s/in.vol", folder().c_str());
    std::snprintf(desc.vecteurs, sizeof desc.vecteurs, "%s/field.vec", folder().c_str());
    std::snprintf(desc.sortie, sizeof desc.sortie, "%s/out.vol", folder().c_str());
    desc.rayon = static_cast<int>(state.range(0));
    desc.mode = static_cast<int>(state.range(1));
    desc.intensite = 30000;
    for (auto _ : state) vector_calc(&desc);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize * kSize);
}

}  // namespace

BENCHMARK(BM_VectorCalc)
    ->ArgNames({"radius", "mode"})
    ->ArgsProduct({{1, 2, 4}, {0}})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
