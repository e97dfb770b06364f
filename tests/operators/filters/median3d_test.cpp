// The 3D median filter against a plain sort-based reference on random
// volumes of many shapes, value distributions and windows, plus the
// behaviours users rely on: what is written and what stays 0, the
// refusals of calc, init and the dialogue.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "median3d.h"
#include "sweep.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

std::string shape(int x, int y, int z) { return std::to_string(x) + "x" + std::to_string(y) + "x" + std::to_string(z); }

// A volume and a window to filter it with; the volume is held flat, x
// fastest, then y, then z.
struct Case {
    int dimx, dimy, dimz;
    gen::Bytes v;
    int wx, wy, wz;

    std::uint8_t at(int x, int y, int z) const { return v[(static_cast<std::size_t>(z) * dimy + y) * dimx + x]; }
    std::string describe() const { return "volume " + shape(dimx, dimy, dimz) + ", window " + shape(wx, wy, wz); }
    std::string where(std::size_t i) const {
        const std::size_t x = i % dimx, y = i / dimx % dimy, z = i / dimx / dimy;
        return "voxel (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) + ")";
    }
};

// The definition itself: gather each interior box, take its ((n+1)/2)-th
// smallest value; every other voxel is 0.
gen::Bytes reference_median(const Case& c) {
    gen::Bytes out(c.v.size(), 0);
    const int hx = (c.wx - 1) / 2, hy = (c.wy - 1) / 2, hz = (c.wz - 1) / 2;
    std::vector<std::uint8_t> box;
    for (int z = hz; z < c.dimz - hz; ++z)
        for (int y = hy; y < c.dimy - hy; ++y)
            for (int x = hx; x < c.dimx - hx; ++x) {
                box.clear();
                for (int dz = -hz; dz <= hz; ++dz)
                    for (int dy = -hy; dy <= hy; ++dy)
                        for (int dx = -hx; dx <= hx; ++dx) box.push_back(c.at(x + dx, y + dy, z + dz));
                const auto middle = box.begin() + static_cast<std::ptrdiff_t>((box.size() + 1) / 2 - 1);
                std::nth_element(box.begin(), middle, box.end());
                out[(static_cast<std::size_t>(z) * c.dimy + y) * c.dimx + x] = *middle;
            }
    return out;
}

ima3Du1 to_record(const Case& c) {
    return make_volume(c.dimx, c.dimy, c.dimz, [&](int x, int y, int z) { return c.at(x, y, z); });
}

gen::Bytes flat(const ima3Du1& r) {
    const std::string s = samples_of(r);
    return {s.begin(), s.end()};
}

// init then calc, as a program runs them.
gen::Bytes median(const Case& c) {
    ima3Du1 in = to_record(c);
    ima3Du1 out{};
    median3d_init(&out, in);
    median3d_t desc{c.wx, c.wy, c.wz};
    EXPECT_EQ(median3d_calc(&desc, &out, in), 0);
    gen::Bytes result = flat(out);
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
    return result;
}

Case uniform(int dimx, int dimy, int dimz, std::uint8_t value, int wx, int wy, int wz) {
    return {dimx, dimy, dimz, gen::Bytes(static_cast<std::size_t>(dimx) * dimy * dimz, value), wx, wy, wz};
}

}  // namespace

TEST(Median3d, MatchesTheReferenceOnRandomVolumesAndWindows) {
    const int windows[][3] = {{1, 1, 1}, {3, 3, 3}, {5, 5, 5}, {7, 7, 7}, {3, 1, 5}, {1, 7, 3},
                              {5, 3, 1}, {7, 1, 1}, {1, 1, 7}, {1, 5, 1}, {3, 5, 7}, {7, 5, 3}};
    auto make = [&](std::mt19937& random, int trial) {
        // Sizes 1 ... 14, a third of the volumes with one thin axis (1 or 2);
        // every other case a random odd window, often longer than the volume.
        int d[3];
        for (int& size : d) size = 1 + static_cast<int>(random() % 14);
        if (trial % 6 < 2) d[random() % 3] = 1 + static_cast<int>(random() % 2);
        Case c{d[0], d[1], d[2], gen::random_volume(random, d[0], d[1], d[2], gen::kContents[trial / 2 % 7]), 0, 0, 0};
        const int* w = windows[trial / 2 % 12];
        c.wx = trial % 2 ? 1 + 2 * static_cast<int>(random() % 8) : w[0];
        c.wy = trial % 2 ? 1 + 2 * static_cast<int>(random() % 8) : w[1];
        c.wz = trial % 2 ? 1 + 2 * static_cast<int>(random() % 8) : w[2];
        return c;
    };
    reference_sweep(31, 840, make, median, reference_median);
}

TEST(Median3d, MatchesTheReferenceOnLongRowsAndWideWindows) {
    // Long rows with wide windows along x: the median wanders across coarse
    // bins and the fine bins are caught up both step by step and afresh.
    const int windows[][3] = {{9, 3, 3}, {15, 1, 3}, {21, 3, 1}, {31, 1, 1}, {3, 9, 3}, {3, 3, 9}, {11, 5, 7}};
    auto make = [&](std::mt19937& random, int trial) {
        const int dx = 40 + static_cast<int>(random() % 80), dy = 3 + static_cast<int>(random() % 12),
                  dz = 3 + static_cast<int>(random() % 12);
        const int* w = windows[trial % 7];
        return Case{dx, dy, dz, gen::random_volume(random, dx, dy, dz, gen::kContents[trial % 7]), w[0], w[1], w[2]};
    };
    reference_sweep(5, 42, make, median, reference_median);
}

TEST(Median3d, MatchesTheReferenceWhenBoxesHoldMoreThan65535Voxels) {
    // 65 x 33 x 33 = 70 785 voxels per box: counts wider than 16 bits; the
    // last case is uniform, one bin holding the whole box.
    const gen::Content contents[] = {gen::Content::uniform, gen::Content::two_extremes, gen::Content::few_values};
    auto make = [&](std::mt19937& random, int trial) {
        if (trial == 3) return uniform(66, 34, 33, 200, 65, 33, 33);
        return Case{68, 35, 34, gen::random_volume(random, 68, 35, 34, contents[trial]), 65, 33, 33};
    };
    reference_sweep(11, 4, make, median, reference_median);
}

TEST(Median3d, WhatIsWrittenAndWhatStaysZero) {
    std::mt19937 random(3);
    // A window of 1 copies the volume.
    const Case copy{7, 5, 4, gen::random_volume(random, 7, 5, 4, gen::Content::uniform), 1, 1, 1};
    EXPECT_EQ(median(copy), copy.v);

    // Three planes and a window of three: only the middle plane's interior.
    Case three{6, 5, 3, gen::random_volume(random, 6, 5, 3, gen::Content::uniform), 3, 3, 3};
    for (auto& v : three.v) v = std::max<std::uint8_t>(v, 1);
    const gen::Bytes out = median(three);
    EXPECT_EQ(out, reference_median(three));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t x = i % 6, y = i / 6 % 5, z = i / 30;
        EXPECT_EQ(out[i] != 0, z == 1 && x >= 1 && x <= 4 && y >= 1 && y <= 3) << three.where(i);
    }

    // A single bright voxel disappears under any window of 3 or more along an axis.
    const int windows[][3] = {{3, 1, 1}, {1, 3, 1}, {1, 1, 3}, {3, 3, 3}, {5, 1, 3}, {7, 7, 7}};
    for (const auto& w : windows) {
        Case spike = uniform(9, 9, 9, 40, w[0], w[1], w[2]);
        spike.v[4 * 81 + 4 * 9 + 4] = 250;
        const gen::Bytes filtered = median(spike);
        EXPECT_EQ(std::count(filtered.begin(), filtered.end(), 250), 0) << spike.describe();
        EXPECT_EQ(filtered, reference_median(spike)) << spike.describe();
    }

    // Windows longer than the volume along an axis write nothing; exactly
    // the volume's size writes one voxel, the median of everything.
    const int too_long[][3] = {{7, 1, 1}, {1, 5, 1}, {1, 1, 5}, {9, 9, 9}, {INT_MAX, 3, 3}, {3, INT_MAX, INT_MAX}};
    for (const auto& w : too_long) EXPECT_EQ(median(uniform(5, 4, 3, 9, w[0], w[1], w[2])), gen::Bytes(60, 0));
    const gen::Bytes whole = median(uniform(5, 3, 3, 9, 5, 3, 3));
    EXPECT_EQ(whole[1 * 15 + 1 * 5 + 2], 9);
    EXPECT_EQ(std::count(whole.begin(), whole.end(), 0), 44);
}

TEST(Median3d, VoxelsNearAFaceAreNotWritten) {
    // The output is filled with 77 before calc: only the interior changes.
    std::mt19937 random(8);
    const Case c{8, 7, 6, gen::random_volume(random, 8, 7, 6, gen::Content::uniform), 5, 3, 3};
    ima3Du1 in = to_record(c);
    ima3Du1 out{};
    median3d_init(&out, in);
    EXPECT_EQ(flat(out), gen::Bytes(c.v.size(), 0));
    for (int z = 0; z < 6; ++z)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 8; ++x) out.data[z][y][x] = 77;
    median3d_t desc{5, 3, 3};
    median3d_calc(&desc, &out, in);
    const gen::Bytes ref = reference_median(c), got = flat(out);
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::size_t x = i % 8, y = i / 8 % 7, z = i / 56;
        const bool interior = x >= 2 && x <= 5 && y >= 1 && y <= 5 && z >= 1 && z <= 4;
        ASSERT_EQ(got[i], interior ? ref[i] : 77) << c.where(i);
    }
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
}

TEST(Median3d, InitCopiesTheHeaderFields) {
    ima3Du1 in = make_volume(4, 3, 2, [](int, int, int) { return 1; });
    in.entete = 96;
    in.nb_bits = 8;
    ima3Du1 out{};
    out.entete = out.nb_bits = -1;
    EXPECT_EQ(median3d_init(&out, in), 0);
    EXPECT_EQ(shape(out.dimx, out.dimy, out.dimz), "4x3x2");
    EXPECT_EQ(out.entete, 96);
    EXPECT_EQ(out.nb_bits, 8);
    EXPECT_NE(out.data, in.data);
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
}

TEST(Median3d, CalcRefusesWindowsThatAreNotPositiveAndOddAndMismatchedVolumes) {
    const int windows[][3] = {{2, 3, 3}, {3, 4, 3}, {3, 3, 0}, {-1, 3, 3}, {3, -3, 3}, {INT_MIN, 1, 1}};
    for (const auto& w : windows) {
        const Outcome run = run_captured([&] {
            ima3Du1 in = make_volume(5, 5, 5, [](int, int, int) { return 0; });
            ima3Du1 out{};
            median3d_init(&out, in);
            median3d_t desc{w[0], w[1], w[2]};
            median3d_calc(&desc, &out, in);
        });
        EXPECT_EQ(run.status, 1) << shape(w[0], w[1], w[2]);
        EXPECT_EQ(run.out, "\n>> ERREUR median3d_calc : fenetre " + shape(w[0], w[1], w[2]) +
                               " incorrecte (entiers impairs positifs)\n");
    }
    const Outcome mismatch = run_captured([] {
        ima3Du1 in = make_volume(5, 4, 3, [](int, int, int) { return 0; });
        ima3Du1 out = make_volume(5, 4, 2, [](int, int, int) { return 0; });
        median3d_t desc{3, 3, 3};
        median3d_calc(&desc, &out, in);
    });
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_NE(mismatch.out.find("volume resultat 5x4x2 different du volume source 5x4x3"), std::string::npos);
}

TEST(Median3d, DialogueAsksThreeSizesWithoutCheckingThemButTheirRange) {
    // Values a program would refuse pass; trailing text is ignored and text
    // that is no number gives 0, as strtol reads them.
    const Outcome run = run_phase(
        {"5", "-4", "0", "next"}, [](param* head) {
            median3d_t desc{};
            param* next = median3d_lect(&desc, head, ">>median3d question :");
            std::fprintf(stderr, "%d %d %d ", desc.winX, desc.winY, desc.winZ);
            return next;
        },
        [](param* next, param* head) { std::fprintf(stderr, "%d %s", next == head->suiv->suiv->suiv, next->rep); });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "5 -4 0 1 next");
    EXPECT_NE(run.out.find("\n>>median3d question : winX (entier impair positif) = 5\n"
                           "\n>>median3d question : winY (entier impair positif) = -4\n"
                           "\n>>median3d question : winZ (entier impair positif) = 0\n"),
              std::string::npos);

    auto sizes = [](const std::vector<std::string>& replies) {
        return run_phase(replies, [](param* head) {
            median3d_t desc{};
            param* next = median3d_lect(&desc, head, "q:");
            std::fprintf(stderr, "%d %d %d", desc.winX, desc.winY, desc.winZ);
            return next;
        }, [](param*, param*) {});
    };
    EXPECT_EQ(sizes({"7 voxels", "abc", "-9"}).err, "7 0 -9");
    // A number beyond int is refused, not wrapped or clamped.
    const Outcome beyond = sizes({"3", "-99999999999", "3"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_EQ(beyond.out.substr(beyond.out.find("\n>> ERREUR")),
              "\n>> ERREUR median3d_lect : reponse \"-99999999999\" refusee a la question \"q: winY (entier impair "
              "positif)\" (entier de -2147483648 a 2147483647)\n");
}
