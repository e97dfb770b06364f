// Fuzzy c-means on three correlated 2048 x 2048 attribute images held in
// memory (4 clusters), 4 classes: five iterations per timed step (each one
// pass over the points: new memberships, and the sums of the next centres),
// for m = 2 (no power in the memberships) and m = 2.5. The throughput
// counts every point of the set once per iteration, so its inverse is the
// time per iteration per pixel.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "fuzzy_c_means.h"
#include "generators.hpp"

namespace {

constexpr int kSize = 2048, kIterations = 5;

// Standard output sent to /dev/null while the object lives: the iterations
// print their centres.
class Silence {
public:
    Silence() : saved_(dup(1)) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~Silence() {
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
    }

private:
    int saved_;
};

void BM_FuzzyCMeansIteration(benchmark::State& state) {
    gen::Lcg rng(4242);
    const auto images = gen::cluster_attributes(rng, kSize, 4);
    data_input in{};
    in.nb_pts = kSize * kSize;
    in.equ_nb_rows = in.equ_nb_cols = kSize;
    in.nb_attributs = 3;
    alloc_classifier_data_input_completely(&in);
    for (int a = 0; a < 3; ++a)
        for (int p = 0; p < in.nb_pts; ++p) in.data[a][p] = images[a][p];

    fuzzy_c_means_t desc{};
    desc.nb_class = 4;
    desc.fuzzy_coeff = static_cast<float>(state.range(0)) / 10.0f;
    desc.threshold = -1.0f;  // never converges: every step runs its iteration
    desc.nb_it = kIterations;
    desc.initialisation[0] = '1';
    data_output out{};
    {
        Silence quiet;
        fuzzy_c_means_init(&desc, in, &out);
        for (auto _ : state) {
            fuzzy_c_means_calc(&desc, in, &out);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * kIterations * static_cast<std::int64_t>(in.nb_pts));
    free_data_output(&out);
    free_data_input(&in);
}

}  // namespace

BENCHMARK(BM_FuzzyCMeansIteration)->ArgName("m_x10")->Arg(20)->Arg(25)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
