// Defuzzification of 4 classes over 2048 x 2048 points held in memory: the
// memberships of a clustering of three correlated attribute images (few
// ties), and memberships drawn from {0, 0.25, 0.5} (ties everywhere, most
// points settled by their 3 x 3 sums). Only the computation is timed; the
// throughput counts every point.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>

#include "defuzzyfication.h"
#include "generators.hpp"

namespace {

constexpr int kSize = 2048, kClasses = 4;

data_output memberships(int kind) {
    data_output m{};
    m.type = DATA_OUTPUT_FUZZY;
    m.nb_classes = kClasses;
    m.nb_pts = kSize * kSize;
    m.equ_nb_rows = m.equ_nb_cols = kSize;
    alloc_classifier_data_output(&m);
    gen::Lcg rng(77);
    if (kind == 0) {
        // Inverse squared distances to four centres, normalised.
        const auto images = gen::cluster_attributes(rng, kSize, kClasses);
        const float centres[kClasses][3] = {{40, 60, 80}, {100, 90, 120}, {170, 160, 150}, {220, 230, 200}};
        for (int p = 0; p < m.nb_pts; ++p) {
            float inverse[kClasses], total = 0;
            for (int k = 0; k < kClasses; ++k) {
                float d = 0.001f;
                for (int a = 0; a < 3; ++a) d += (images[a][p] - centres[k][a]) * (images[a][p] - centres[k][a]);
                total += inverse[k] = 1.0f / d;
            }
            for (int k = 0; k < kClasses; ++k) m.data.fuzzy[k][p] = inverse[k] / total;
        }
    } else {
        const float levels[] = {0.0f, 0.25f, 0.5f, 0.5f};
        for (int k = 0; k < kClasses; ++k)
            for (int p = 0; p < m.nb_pts; ++p) m.data.fuzzy[k][p] = levels[rng.next() >> 30];
    }
    return m;
}

void BM_Defuzzyfication(benchmark::State& state) {
    const data_output in = memberships(static_cast<int>(state.range(0)));
    data_output out{};
    defuzzyfication_voisinage_3x3_t desc{};
    std::FILE* saved = stdout;
    stdout = std::fopen("/dev/null", "w");
    defuzzyfication_voisinage_3x3_init(&desc, in, &out);
    for (auto _ : state) {
        defuzzyfication_voisinage_3x3_calc(&desc, in, &out);
        benchmark::ClobberMemory();
    }
    std::fclose(stdout);
    stdout = saved;
    state.counters["uncertain"] = desc.nb_incertains;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(in.nb_pts));
}

}  // namespace

BENCHMARK(BM_Defuzzyfication)->ArgName("ties")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
