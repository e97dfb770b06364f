// Learning-set preprocessing on 100 000 learning points held in memory
// (3 attributes, 4 classes of 25 000 whole levels): the chain of one
// attribute pair (cleaning, sparse cells, agglomeration, verification),
// traces to /dev/null. The throughput counts every point of the pair once.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "generators.hpp"
#include "preprocessing.hpp"

namespace {

constexpr int kClasses = 4, kPerClass = 25000, kAttributes = 3;

void BM_ChainOfOnePair(benchmark::State& state) {
    gen::Lcg rng(2026);
    const auto values = gen::learning_points(rng, kClasses, kPerClass, kAttributes);
    std::FILE* sink = std::fopen("/dev/null", "w");
    const preprocessing::Traces traces{sink, sink, sink};
    const std::vector<int> sizes(kClasses, kPerClass);
    for (auto _ : state) preprocessing::process_chain(values[0], values[1], sizes, traces);
    std::fclose(sink);
    state.SetItemsProcessed(state.iterations() * kClasses * kPerClass);
}
BENCHMARK(BM_ChainOfOnePair)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
