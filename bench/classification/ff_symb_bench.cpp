// Both fuzzy rule classifiers on 3 attribute images of 2048 x 2048 held in
// memory (smooth blobs, gen::blobs_image with seeds 1, 2, 3 and cells of
// 64), with a base of 27 rules: 3 inputs of 3 terms (low, mid, high), every
// combination of terms concluding one of 3 output terms (the sum of the
// term indices, modulo 3). Only the u1 calc is timed (the membership tables
// of the 256 levels are built inside it); the throughput counts pixels.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ff_symb.h"
#include "generators.hpp"
#include "grClassif.h"
#include "proto2D.h"
#include "quiet.hpp"

namespace {

constexpr int kSize = 2048;

// The base written to a temporary file, removed with the object.
struct BaseFile {
    explicit BaseFile(bool gradual) {
        char name[] = "/tmp/fuzzy_bench_XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        const std::string text = gen::rule_base27(gradual);
        if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::perror(name);
        close(fd);
    }
    ~BaseFile() { std::remove(path.c_str()); }
    std::string path;
};

std::vector<imau1> attributes() {
    std::vector<imau1> images(3);
    for (int i = 0; i < 3; ++i) {
        gen::Lcg rng(static_cast<std::uint32_t>(i + 1));
        const gen::Bytes bytes = gen::blobs_image(rng, kSize, 64);
        images[i].nc = images[i].nr = kSize;
        alloc_imau1(&images[i]);
        std::copy(bytes.begin(), bytes.end(), images[i].pixels[0]);
    }
    return images;
}

// state.range(0): defuzzification type.
template <bool gradual>
void BM_Classify(benchmark::State& state) {
    std::vector<imau1> in = attributes();
    const BaseFile base(gradual);
    imau1 classes{};
    imafl values{};
    const int defuzzification = static_cast<int>(state.range(0));
    const auto run = [&](auto& d, auto init, auto u1_init, auto calc) {
        d.fichier = base.path.c_str();
        d.type_defuzzification = defuzzification;
        {
            Quiet quiet;
            init(&d);
        }
        u1_init(&d, 3, in.data(), &classes, &values);
        for (auto _ : state) {
            calc(&d, in.data(), &classes, &values);
            benchmark::ClobberMemory();
        }
    };
    if constexpr (gradual) {
        grClassif_t d{};
        d.type_premisse = 0;     // min
        d.type_combinaison = 1;  // product
        d.type_projection = 4;   // max
        run(d, grClassif_init, grClassif_u1_init, grClassif_u1_calc);
    } else {
        ff_symb_t d{};
        d.type_tnorme = 1;    // product
        d.type_tconorme = 0;  // max
        run(d, ff_symb_init, ff_symb_u1_init, ff_symb_u1_calc);
        ff_symb_ferm(&d);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
    for (imau1& image : in) free_imau1(&image);
    if (defuzzification == 0) free_imau1(&classes);
    else free_imafl(&values);
}

}  // namespace

BENCHMARK(BM_Classify<false>)->Name("BM_Symbolic")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Classify<true>)->Name("BM_Gradual")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
