// The Choquet integral of n criteria (n = 4, 16, 64) with a valid 2-additive
// measure (nu_i = 1/n, I_ij = 1/(2n) for the neighbours j = i + 1), read
// from a temporary coefficient file; only calc is timed, on 1024 criterion
// vectors per iteration (uniform noise scaled to 0 ... 1).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "choquet_interaction.h"
#include "generators.hpp"
#include "quiet.hpp"

namespace {

constexpr int kVectors = 1024;

void BM_Choquet(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    // Powers of two keep the weights' single-precision sum at exactly 1.
    std::string text = std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) {
        for (int j = i; j < n; ++j)
            text += j == i ? std::to_string(1.0 / n) + " " : j == i + 1 ? std::to_string(0.5 / n) + " " : "0 ";
        text += "\n";
    }
    char name[] = "/tmp/choquet_bench_XXXXXX";
    std::FILE* file = fdopen(mkstemp(name), "w");
    std::fputs(text.c_str(), file);
    std::fclose(file);
    choquet_interaction_t d{};
    d.fichier = name;
    {
        Quiet quiet;
        choquet_interaction_init(&d);
    }
    std::remove(name);
    if (d.etat != 0) state.SkipWithError("coefficient file refused");
    gen::Lcg rng(7);
    const gen::Bytes bytes = gen::noise_bytes(rng, static_cast<std::size_t>(kVectors) * n);
    std::vector<float> criteria(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) criteria[i] = bytes[i] / 255.0f;
    std::vector<float> scores(kVectors);
    for (auto _ : state) {
        for (int v = 0; v < kVectors; ++v)
            choquet_interaction_calc(&d, criteria.data() + static_cast<std::size_t>(v) * n, &scores[v]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVectors);
    choquet_interaction_ferm(&d);
}

}  // namespace

BENCHMARK(BM_Choquet)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
