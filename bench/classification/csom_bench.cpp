// The ring map's training on three 512 x 512 images of smooth blobs held in
// memory (fixed seeds), for 4, 16 and 64 neurons: five epochs from ramp
// weights with max_neigh a quarter of the ring (radii shrinking to 1), the
// images rescaled or not. Only csom_calc is timed, the weights put back
// before each run; the throughput counts one item per sample and epoch.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "csom.h"
#include "generators.hpp"

namespace {

constexpr int kSize = 512, kDims = 3, kEpochs = 5;

void BM_CsomTraining(benchmark::State& state) {
    csom_t map{};
    map.input_neurons = kDims;
    map.output_neurons = static_cast<unsigned>(state.range(0));
    map.max_neigh = map.output_neurons / 4;
    map.max_learn_rate = 0.5f;
    map.max_epoch = kEpochs;
    map.rescale = static_cast<unsigned char>(state.range(1));
    map.samples = kSize * kSize;
    csom_init(&map);
    std::vector<gen::Bytes> images;
    for (int d = 0; d < kDims; ++d) {
        gen::Lcg rng(static_cast<std::uint32_t>(17 + d));
        images.push_back(gen::blobs_image(rng, kSize, 64));
    }
    std::vector<float> weights(map.weights[0], map.weights[0] + kDims * map.output_neurons);
    for (auto _ : state) {
        for (int d = 0; d < kDims; ++d) std::copy(images[d].begin(), images[d].end(), map.inputs[d]);
        std::copy(weights.begin(), weights.end(), map.weights[0]);
        csom_calc(&map);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(map.samples) * kEpochs);
    csom_destruct(&map);
}

}  // namespace

BENCHMARK(BM_CsomTraining)
    ->ArgNames({"neurons", "rescale"})
    ->ArgsProduct({{4, 16, 64}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
