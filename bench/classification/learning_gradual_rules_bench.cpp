// Rules learning on 100 000 learning points held in memory (3 attributes,
// 4 classes of 25 000): for each of the 3 attribute pairs and each class,
// the outline, its convex hull and the rules, written to /dev/null. The
// throughput counts every point once per pair.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "gradual_rules.hpp"
#include "generators.hpp"

namespace {

constexpr int kClasses = 4, kPerClass = 25000, kAttributes = 3;

void BM_RulesOfEveryPairAndClass(benchmark::State& state) {
    gen::Lcg rng(2026);
    const auto values = gen::learning_points(rng, kClasses, kPerClass, kAttributes);
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        for (int i = 0; i + 1 < kAttributes; ++i)
            for (int j = i + 1; j < kAttributes; ++j)
                for (int k = 0; k < kClasses; ++k) {
                    const auto hull = gradual_rules::conv_hull(gradual_rules::contour_extraction(
                        values[i].data(), values[j].data(), k * kPerClass, kPerClass));
                    gradual_rules::write_corners(sink, hull);
                    gradual_rules::rules_calc(sink, hull);
                }
    }
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * kClasses * kPerClass * 3);
}
BENCHMARK(BM_RulesOfEveryPairAndClass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
