// 3D region growing against a plain reference (union-find over the voxels
// that each code joins, means summed in single precision in the scan
// order), every code's label choice, the chain merges, the Part's cases
// checked by eye, label saturation, and the dialogue.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "reggr3d.h"
#include "region3d_reference.hpp"
#include "sweep.hpp"
#include "volume.h"

using namespace testing_support;
using reference::Volume;

namespace {

constexpr int kTable = 17000000;

struct Case {
    Volume vol;
    reggr3d_t d;

    std::string describe() const {
        return vol.describe() + ", nb_iter " + std::to_string(d.nb_iter) + ", seuil " + std::to_string(d.seuil) +
               ", increment " + std::to_string(d.increment);
    }
    std::string where(std::size_t i) const { return "character " + std::to_string(i); }
};

// What the passes print, the two counts, the repainted voxels and the
// partition of the label volume.
std::string grow(const Case& c) {
    ima3Du1 in = reference::to_record(c.vol);
    ima3Du4 lab{};
    reggr3d_t d = c.d;
    std::string text = quietly([&] {
        reggr3d_init(&d, &in, &lab);
        EXPECT_EQ(reggr3d_calc(&d, &in, &lab), 0);
    });
    text += "counts " + std::to_string(d.nb_etiq) + " " + std::to_string(d.nb_label_effectif) + "\n" + samples_of(in) +
            "\n" + reference::partition(values_of(lab));
    liberer_ima3Du1(&in);
    liberer_ima3Du4(&lab);
    return text;
}

std::string plain_grow(const Case& c) {
    Volume vol = c.vol;
    const std::size_t n = vol.v.size();
    std::string text;
    char line[128];
    int nb_etiq = 0, effective = 0;
    std::vector<std::size_t> roots(n, 0);
    for (int i = 0; i < c.d.nb_iter; ++i) {
        const int announced = c.d.seuil + i * c.d.increment;
        const int t = announced % 256;
        std::snprintf(line, sizeof line, "-------Etiquettage %d --- seuil %d -----\n", i, announced);
        text += line;
        reference::UnionFind uf(n);
        int made = 0;
        reference::in_scan_order(vol, [&](int x, int y, int z) {
            if (x == 0 && y == 0 && z == 0) return;
            auto similar = [&](std::size_t a, std::size_t b) { return std::abs(vol.v[a] - vol.v[b]) <= t; };
            const std::size_t p = vol.at(x, y, z);
            const std::size_t l = x > 0 ? vol.at(x - 1, y, z) : p, u = y > 0 ? vol.at(x, y - 1, z) : p,
                              zv = z > 0 ? vol.at(x, y, z - 1) : p;
            const unsigned code = (z > 0 && similar(p, zv) ? 1u : 0u) | (x > 0 && similar(p, l) ? 2u : 0u) |
                                  (y > 0 && similar(p, u) ? 4u : 0u) | (x > 0 && z > 0 && similar(l, zv) ? 8u : 0u) |
                                  (y > 0 && z > 0 && similar(u, zv) ? 16u : 0u) |
                                  (x > 0 && y > 0 && similar(u, l) ? 32u : 0u);
            const unsigned joined = reference::joined_neighbours(code);
            if (joined & 1) uf.unite(p, l);
            if (joined & 2) uf.unite(p, u);
            if (joined & 4) uf.unite(p, zv);
            if (joined == 0) ++made;
        });
        std::vector<long long> count(n, 0);
        std::vector<float> mean(n, 0.0f);
        for (std::size_t p = 0; p < n; ++p) ++count[roots[p] = uf.root(p)];
        reference::in_scan_order(vol, [&](int x, int y, int z) {
            const std::size_t p = vol.at(x, y, z);
            float& m = mean[roots[p]];
            m = static_cast<float>(m + static_cast<double>(vol.v[p]) / static_cast<double>(count[roots[p]]));
        });
        effective = static_cast<int>(std::count_if(count.begin(), count.end(), [](long long k) { return k != 0; }));
        nb_etiq = made + 1;
        std::snprintf(line, sizeof line, "nb_etiq = %d (max 17000000)\nnb_label_effectif: %d\n", nb_etiq, effective);
        text += line;
        for (std::size_t p = 0; p < n; ++p) vol.v[p] = static_cast<unsigned char>(std::min(255, static_cast<int>(mean[roots[p]])));
    }
    return text + "counts " + std::to_string(nb_etiq) + " " + std::to_string(effective) + "\n" +
           std::string(vol.v.begin(), vol.v.end()) + "\n" + reference::partition(roots);
}

Case random_case(std::mt19937& random, int trial) {
    const int dx = 1 + static_cast<int>(random() % 8), dy = 1 + static_cast<int>(random() % 8),
              dz = 1 + static_cast<int>(random() % 8);
    const auto byte = [&](int most) { return static_cast<unsigned char>(random() % static_cast<unsigned>(most + 1)); };
    const reggr3d_t d{byte(3), trial % 3 ? byte(30) : byte(255), byte(trial % 5 ? 12 : 255), 0, 0};
    return {{dx, dy, dz, gen::random_volume(random, dx, dy, dz, gen::kContents[trial % 7])}, d};
}

Case flat(int dx, int dy, int dz, gen::Bytes v, reggr3d_t d) { return {{dx, dy, dz, std::move(v)}, d}; }

}  // namespace

TEST(Reggr3d, MatchesTheReferenceOnRandomVolumes) {
    reference_sweep(31, 400, random_case, grow, plain_grow);
}

TEST(Reggr3d, CasesCheckedByEye) {
    struct Example {
        const char* what;
        Case c;
        gen::Bytes repainted;
        std::vector<unsigned> labels;  // memory order
        std::string printed;
    };
    const Example examples[] = {
        {"a uniform volume", flat(3, 4, 2, gen::Bytes(24, 77), {1, 0, 0, 0, 0}), gen::Bytes(24, 77),
         std::vector<unsigned>(24, 0),
         "-------Etiquettage 0 --- seuil 0 -----\nnb_etiq = 1 (max 17000000)\nnb_label_effectif: 1\n"},
        // 260 is announced, 4 is used: 0 and 255 stay apart.
        {"threshold 250 + 10", flat(2, 1, 1, {0, 255}, {2, 250, 10, 0, 0}), {0, 255}, {0, 1},
         "-------Etiquettage 0 --- seuil 250 -----\nnb_etiq = 2 (max 17000000)\nnb_label_effectif: 2\n"
         "-------Etiquettage 1 --- seuil 260 -----\nnb_etiq = 2 (max 17000000)\nnb_label_effectif: 2\n"},
        {"threshold 0 joins equal voxels only", flat(3, 1, 1, {5, 5, 6}, {1, 0, 0, 0, 0}), {5, 5, 6}, {0, 0, 1}, ""},
        // Eleven sums of 1/11 rounded to single precision give 0.99999988.
        {"11 voxels of 1 become 0, 3 of 100 stay", flat(14, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 100, 100, 100},
                                                          {1, 0, 0, 0, 0}),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 100}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}, ""},
        // x in the outer loop: (0, 1) makes label 1, (1, 0) label 2, (2, 0)
        // label 3; (1, 1) joins 1 and 2 into 1.
        {"scan order and merged labels", flat(3, 2, 1, {10, 90, 10, 90, 90, 90}, {1, 5, 0, 0, 0}),
         {10, 90, 10, 90, 90, 90}, {0, 1, 3, 1, 1, 1}, "nb_etiq = 4 (max 17000000)\nnb_label_effectif: 3\n"},
        {"no iteration", flat(2, 2, 1, {1, 2, 3, 4}, {0, 9, 9, 0, 0}), {1, 2, 3, 4}, {0, 0, 0, 0}, ""},
    };
    for (const Example& e : examples) {
        ima3Du1 in = reference::to_record(e.c.vol);
        ima3Du4 lab{};
        reggr3d_t d = e.c.d;
        const std::string printed = quietly([&] {
            reggr3d_init(&d, &in, &lab);
            reggr3d_calc(&d, &in, &lab);
        });
        EXPECT_EQ(grow(e.c), plain_grow(e.c)) << e.what;
        EXPECT_EQ(samples_of(in), std::string(e.repainted.begin(), e.repainted.end())) << e.what;
        EXPECT_EQ(values_of(lab), e.labels) << e.what;
        EXPECT_NE(printed.find(e.printed), std::string::npos) << e.what << ": " << printed;
        liberer_ima3Du1(&in);
        liberer_ima3Du4(&lab);
    }
}

TEST(Reggr3d, EveryCodeChoosesTheLabelOfTheNeighboursItJoins) {
    // Neighbour labels, distinct roots of an identity table, in three
    // orders; the counter stands at 10.
    const int orders[][3] = {{3, 5, 7}, {7, 3, 5}, {5, 7, 3}};
    for (unsigned code = 0; code < 64; ++code)
        for (const auto& lab : orders) {
            std::vector<int> table(12), expected(12);
            for (int i = 0; i < 12; ++i) table[i] = expected[i] = i;
            const unsigned joined = reference::joined_neighbours(code);
            std::vector<int> met;
            for (int k = 0; k < 3; ++k)
                if (joined & (1u << k)) met.push_back(lab[k]);
            int counter = 10, want = 11;
            if (met.empty()) expected[11] = 11;
            else want = *std::min_element(met.begin(), met.end());
            for (int m : met) expected[m] = want;
            unsigned cell = 99;
            label_management(static_cast<int>(code), lab[0], lab[1], lab[2], &cell, table.data(), &counter);
            EXPECT_EQ(cell, static_cast<unsigned>(want)) << "code " << code << ", labels " << lab[0] << lab[1] << lab[2];
            EXPECT_EQ(counter, met.empty() ? 11 : 10) << "code " << code;
            EXPECT_EQ(table, expected) << "code " << code << ", labels " << lab[0] << lab[1] << lab[2];
        }
    // The Part's examples: 9 joins L and Z; 24 joins nothing to the voxel.
    EXPECT_EQ(reference::joined_neighbours(9), 1u | 4u);
    EXPECT_EQ(reference::joined_neighbours(24), 0u);
}

TEST(Reggr3d, ChainMergesPointEveryEntryTheyWalkToTheChosenLabel) {
    struct Merge {
        const char* what;
        std::vector<int> table, labels, after;
        int r;
    };
    const Merge merges[] = {
        // 5 -> 4 and 3 -> 1: both chains, their roots included, end at 3.
        {"two chains", {0, 1, 2, 1, 4, 4, 6}, {5, 3}, {0, 3, 2, 3, 3, 3, 6}, 3},
        {"a label with itself becomes a root", {0, 1, 2, 3, 4, 5, 2}, {6, 6}, {0, 1, 6, 3, 4, 5, 6}, 6},
        {"three roots", {0, 1, 2, 3, 4, 5, 6, 7}, {4, 1, 7}, {0, 1, 2, 3, 1, 5, 6, 1}, 1},
        // a = b below c: neither a nor b is below both others, so c is chosen.
        {"a equal to b", {0, 1, 2, 3, 4, 5}, {2, 2, 5}, {0, 1, 5, 3, 4, 5}, 5},
        {"a equal to c", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {3, 8, 3}, {0, 1, 2, 3, 4, 5, 6, 7, 3}, 3},
    };
    for (const Merge& m : merges) {
        std::vector<int> table = m.table;
        const int r = m.labels.size() == 2 ? equivalence_2_label(table.data(), m.labels[0], m.labels[1])
                                           : equivalence_3_label(table.data(), m.labels[0], m.labels[1], m.labels[2]);
        EXPECT_EQ(r, m.r) << m.what;
        EXPECT_EQ(table, m.after) << m.what;
    }
}

TEST(Reggr3d, LabelsSaturateAtTheLastEntryWithAWarning) {
    // A 3D checkerboard at threshold 0: every voxel a region, 17 035 200 in
    // all. The voxel k-th in the scan order gets label k up to 16 999 999;
    // all later voxels share that label, and its mean.
    const int dx = 260, dy = 260, dz = 252;
    auto value = [](int x, int y, int z) { return (x + y + z) % 2 ? 200 : 0; };
    ima3Du1 in = make_volume(dx, dy, dz, value);
    ima3Du4 lab{};
    reggr3d_t d{1, 0, 0, 0, 0};
    const std::string printed = quietly([&] {
        reggr3d_init(&d, &in, &lab);
        reggr3d_calc(&d, &in, &lab);
    });
    EXPECT_EQ(printed, "-------Etiquettage 0 --- seuil 0 -----\nnb_etiq = 17000000 (max 17000000)\n"
                       "-----DANGER Pas assez d'etiquettes !!!----\nnb_label_effectif: 17000000\n");
    EXPECT_EQ(d.nb_etiq, kTable);
    EXPECT_EQ(d.nb_label_effectif, kTable);

    const long long shared = static_cast<long long>(dx) * dy * dz - (kTable - 1);
    float mean = 0;
    long long k = 0, wrong_labels = 0, wrong_values = 0;
    for (int z = 0; z < dz; ++z)
        for (int x = 0; x < dx; ++x)
            for (int y = 0; y < dy; ++y, ++k)
                if (k >= kTable - 1) mean = static_cast<float>(mean + static_cast<double>(value(x, y, z)) / shared);
    k = 0;
    for (int z = 0; z < dz; ++z)
        for (int x = 0; x < dx; ++x)
            for (int y = 0; y < dy; ++y, ++k) {
                wrong_labels += lab.data[z][y][x] != std::min<long long>(k, kTable - 1);
                wrong_values += in.data[z][y][x] != (k < kTable - 1 ? value(x, y, z) : static_cast<int>(mean));
            }
    EXPECT_EQ(wrong_labels, 0);
    EXPECT_EQ(wrong_values, 0);
    liberer_ima3Du1(&in);
    liberer_ima3Du4(&lab);

    // label_management itself: the counter stays, the last label is given
    // again and its entry is not reset.
    std::vector<int> table(kTable);
    table[kTable - 1] = 5;
    int counter = kTable - 1;
    unsigned cell = 0;
    label_management(0, 0, 0, 0, &cell, table.data(), &counter);
    EXPECT_EQ(cell, static_cast<unsigned>(kTable - 1));
    EXPECT_EQ(counter, kTable - 1);
    EXPECT_EQ(table[kTable - 1], 5);
}

TEST(Reggr3d, CalcRefusesALabelVolumeOfOtherSizes) {
    ima3Du1 in = make_volume(3, 2, 2, [](int, int, int) { return 1; });
    ima3Du4 lab = make_volume<ima3Du4>(2, 3, 2, [](int, int, int) { return 0; });
    reggr3d_t d{1, 0, 0, 0, 0};
    EXPECT_TRUE(ended(run_captured([&] { reggr3d_calc(&d, &in, &lab); }), 1,
                      "\n>> ERREUR reggr3d_calc : volume d'etiquettes 2x3x2 different du volume 3x2x2\n"));
    liberer_ima3Du1(&in);
    liberer_ima3Du4(&lab);
}
