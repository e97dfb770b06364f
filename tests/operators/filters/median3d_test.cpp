// The 3D median filter against a plain sort-based reference on random
// volumes of many shapes, value distributions and windows, plus the
// behaviours users rely on: what is written and what stays 0, the
// refusals of calc, init and the dialogue.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "median3d.h"
#include "proto2D.h"
#include "support.hpp"
#include "volume.h"

using testing_support::run_captured;

namespace {

// A volume held as one flat array, x fastest, then y, then z.
struct Volume {
    int dimx = 0, dimy = 0, dimz = 0;
    std::vector<std::uint8_t> v;

    Volume(int x, int y, int z, std::uint8_t fill = 0)
        : dimx(x), dimy(y), dimz(z), v(static_cast<std::size_t>(x) * y * z, fill) {}
    std::uint8_t& at(int x, int y, int z) { return v[(static_cast<std::size_t>(z) * dimy + y) * dimx + x]; }
    std::uint8_t at(int x, int y, int z) const { return v[(static_cast<std::size_t>(z) * dimy + y) * dimx + x]; }
};

std::string shape(int x, int y, int z) { return std::to_string(x) + "x" + std::to_string(y) + "x" + std::to_string(z); }

// The definition itself: gather each interior box, take its ((n+1)/2)-th
// smallest value; every other voxel is 0.
Volume reference_median(const Volume& in, int wx, int wy, int wz) {
    Volume out(in.dimx, in.dimy, in.dimz);
    const int hx = (wx - 1) / 2, hy = (wy - 1) / 2, hz = (wz - 1) / 2;
    std::vector<std::uint8_t> box;
    for (int z = hz; z < in.dimz - hz; ++z)
        for (int y = hy; y < in.dimy - hy; ++y)
            for (int x = hx; x < in.dimx - hx; ++x) {
                box.clear();
                for (int dz = -hz; dz <= hz; ++dz)
                    for (int dy = -hy; dy <= hy; ++dy)
                        for (int dx = -hx; dx <= hx; ++dx) box.push_back(in.at(x + dx, y + dy, z + dz));
                const auto middle = box.begin() + static_cast<std::ptrdiff_t>((box.size() + 1) / 2 - 1);
                std::nth_element(box.begin(), middle, box.end());
                out.at(x, y, z) = *middle;
            }
    return out;
}

ima3Du1 to_record(const Volume& vol) {
    ima3Du1 r{};
    r.dimx = vol.dimx;
    r.dimy = vol.dimy;
    r.dimz = vol.dimz;
    allouer_ima3Du1(&r);
    for (int z = 0; z < vol.dimz; ++z)
        for (int y = 0; y < vol.dimy; ++y)
            for (int x = 0; x < vol.dimx; ++x) r.data[z][y][x] = vol.at(x, y, z);
    return r;
}

Volume from_record(const ima3Du1& r) {
    Volume vol(r.dimx, r.dimy, r.dimz);
    for (int z = 0; z < r.dimz; ++z)
        for (int y = 0; y < r.dimy; ++y)
            for (int x = 0; x < r.dimx; ++x) vol.at(x, y, z) = r.data[z][y][x];
    return vol;
}

// init then calc, as a program runs them.
Volume median(const Volume& vol, int wx, int wy, int wz) {
    ima3Du1 in = to_record(vol);
    ima3Du1 out{};
    median3d_init(&out, in);
    median3d_t desc{wx, wy, wz};
    EXPECT_EQ(median3d_calc(&desc, &out, in), 0);
    Volume result = from_record(out);
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
    return result;
}

void expect_same_as_reference(const Volume& vol, int wx, int wy, int wz) {
    SCOPED_TRACE("volume " + shape(vol.dimx, vol.dimy, vol.dimz) + ", window " + shape(wx, wy, wz));
    const Volume fast = median(vol, wx, wy, wz);
    const Volume ref = reference_median(vol, wx, wy, wz);
    // Report the first differing voxel rather than two long arrays.
    for (int z = 0; z < vol.dimz; ++z)
        for (int y = 0; y < vol.dimy; ++y)
            for (int x = 0; x < vol.dimx; ++x)
                ASSERT_EQ(int{fast.at(x, y, z)}, int{ref.at(x, y, z)}) << "at (" << x << ", " << y << ", " << z << ")";
}

// Random volumes of several kinds of content.
enum class Content { Uniform, FewValues, NarrowRange, TwoExtremes, CoarseEdges, SmoothNoisy, Sparse };
constexpr Content kContents[] = {Content::Uniform,     Content::FewValues,   Content::NarrowRange, Content::TwoExtremes,
                                 Content::CoarseEdges, Content::SmoothNoisy, Content::Sparse};

Volume random_volume(std::mt19937& random, int dx, int dy, int dz, Content content) {
    Volume vol(dx, dy, dz);
    std::uniform_int_distribution<int> level(0, 255);
    const int few[] = {level(random), level(random), level(random)};
    const int base = level(random);
    const int fx = 1 + static_cast<int>(random() % 5), fy = 1 + static_cast<int>(random() % 5);
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x) {
                int value = 0;
                switch (content) {
                    case Content::Uniform: value = level(random); break;
                    case Content::FewValues: value = few[random() % 3]; break;  // many ties
                    case Content::NarrowRange: value = std::min(255, base + static_cast<int>(random() % 4)); break;
                    case Content::TwoExtremes: value = random() % 2 ? 255 : 0; break;
                    // Levels on both sides of coarse-bin boundaries (15/16, 31/32, ...).
                    case Content::CoarseEdges: value = 16 * static_cast<int>(1 + random() % 15) - static_cast<int>(random() % 2); break;
                    case Content::SmoothNoisy:
                        value = std::clamp((x * fx * 9 + y * fy * 7 + z * 11) % 256 + static_cast<int>(random() % 21) - 10, 0, 255);
                        break;
                    case Content::Sparse: value = random() % 10 == 0 ? level(random) : 0; break;
                }
                vol.at(x, y, z) = static_cast<std::uint8_t>(value);
            }
    return vol;
}

}  // namespace

TEST(Median3d, MatchesTheReferenceOnRandomVolumesAndWindows) {
    std::mt19937 random(31);
    const int windows[][3] = {{1, 1, 1}, {3, 3, 3}, {5, 5, 5}, {7, 7, 7}, {3, 1, 5}, {1, 7, 3},
                              {5, 3, 1}, {7, 1, 1}, {1, 1, 7}, {1, 5, 1}, {3, 5, 7}, {7, 5, 3}};
    for (int trial = 0; trial < 420; ++trial) {
        // Sizes 1 ... 14, a third of the trials with one thin axis (1 or 2).
        int dims[3];
        for (int& d : dims) d = 1 + static_cast<int>(random() % 14);
        if (trial % 3 == 0) dims[random() % 3] = 1 + static_cast<int>(random() % 2);
        const Volume vol = random_volume(random, dims[0], dims[1], dims[2], kContents[trial % 7]);
        const int* w = windows[trial % 12];
        SCOPED_TRACE("trial " + std::to_string(trial));
        expect_same_as_reference(vol, w[0], w[1], w[2]);
        // A random odd window, often longer than the volume along some axis.
        expect_same_as_reference(vol, 1 + 2 * static_cast<int>(random() % 8), 1 + 2 * static_cast<int>(random() % 8),
                                 1 + 2 * static_cast<int>(random() % 8));
    }
}

TEST(Median3d, MatchesTheReferenceOnLongRowsAndWideWindows) {
    // Long rows with wide windows along x: the median wanders across coarse
    // bins and the fine bins are caught up both step by step and afresh.
    std::mt19937 random(5);
    const int windows[][3] = {{9, 3, 3}, {15, 1, 3}, {21, 3, 1}, {31, 1, 1}, {3, 9, 3}, {3, 3, 9}, {11, 5, 7}};
    for (int trial = 0; trial < 42; ++trial) {
        const int dx = 40 + static_cast<int>(random() % 80), dy = 3 + static_cast<int>(random() % 12),
                  dz = 3 + static_cast<int>(random() % 12);
        const Volume vol = random_volume(random, dx, dy, dz, kContents[trial % 7]);
        const int* w = windows[trial % 7];
        SCOPED_TRACE("trial " + std::to_string(trial));
        expect_same_as_reference(vol, w[0], w[1], w[2]);
    }
}

TEST(Median3d, MatchesTheReferenceWhenBoxesHoldMoreThan65535Voxels) {
    // 65 x 33 x 33 = 70 785 voxels per box: counts wider than 16 bits.
    std::mt19937 random(11);
    for (Content content : {Content::Uniform, Content::TwoExtremes, Content::FewValues}) {
        const Volume vol = random_volume(random, 68, 35, 34, content);
        expect_same_as_reference(vol, 65, 33, 33);
    }
    // Every voxel equal: one bin holds the whole box.
    expect_same_as_reference(Volume(66, 34, 33, 200), 65, 33, 33);
}

TEST(Median3d, WindowOfOneCopiesTheVolume) {
    std::mt19937 random(3);
    const Volume vol = random_volume(random, 7, 5, 4, Content::Uniform);
    EXPECT_EQ(median(vol, 1, 1, 1).v, vol.v);
}

TEST(Median3d, ThreePlanesWithAWindowOfThreeWriteOnlyTheMiddlePlane) {
    std::mt19937 random(4);
    Volume vol = random_volume(random, 6, 5, 3, Content::Uniform);
    for (auto& v : vol.v) v = static_cast<std::uint8_t>(std::max<int>(v, 1));  // no 0 in the input
    const Volume out = median(vol, 3, 3, 3);
    const Volume ref = reference_median(vol, 3, 3, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(out.at(x, y, 0), 0);
            EXPECT_EQ(out.at(x, y, 2), 0);
            const bool interior = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            if (interior) {
                EXPECT_NE(out.at(x, y, 1), 0);
                EXPECT_EQ(out.at(x, y, 1), ref.at(x, y, 1));
            } else {
                EXPECT_EQ(out.at(x, y, 1), 0);
            }
        }
}

TEST(Median3d, ASingleBrightVoxelDisappears) {
    const int windows[][3] = {{3, 1, 1}, {1, 3, 1}, {1, 1, 3}, {3, 3, 3}, {5, 1, 3}, {7, 7, 7}};
    for (const auto& w : windows) {
        Volume vol(9, 9, 9, 40);
        vol.at(4, 4, 4) = 250;
        const Volume out = median(vol, w[0], w[1], w[2]);
        SCOPED_TRACE("window " + shape(w[0], w[1], w[2]));
        const int hx = (w[0] - 1) / 2, hy = (w[1] - 1) / 2, hz = (w[2] - 1) / 2;
        for (int z = 0; z < 9; ++z)
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 9; ++x) {
                    const bool interior = x >= hx && x < 9 - hx && y >= hy && y < 9 - hy && z >= hz && z < 9 - hz;
                    ASSERT_EQ(out.at(x, y, z), interior ? 40 : 0) << "at (" << x << ", " << y << ", " << z << ")";
                }
    }
}

TEST(Median3d, VoxelsNearAFaceAreNotWritten) {
    // The output is filled with 77 before calc: only the interior changes.
    std::mt19937 random(8);
    const Volume vol = random_volume(random, 8, 7, 6, Content::Uniform);
    ima3Du1 in = to_record(vol);
    ima3Du1 out{};
    median3d_init(&out, in);
    for (int z = 0; z < 6; ++z)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 8; ++x) out.data[z][y][x] = 77;
    median3d_t desc{5, 3, 3};
    median3d_calc(&desc, &out, in);
    const Volume ref = reference_median(vol, 5, 3, 3);
    for (int z = 0; z < 6; ++z)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool interior = x >= 2 && x <= 5 && y >= 1 && y <= 5 && z >= 1 && z <= 4;
                ASSERT_EQ(out.data[z][y][x], interior ? ref.at(x, y, z) : 77) << x << " " << y << " " << z;
            }
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
}

TEST(Median3d, WindowsLongerThanTheVolumeWriteNothing) {
    std::mt19937 random(9);
    const Volume vol = random_volume(random, 5, 4, 3, Content::Uniform);
    const Volume zero(5, 4, 3);
    const int windows[][3] = {{7, 1, 1}, {1, 5, 1}, {1, 1, 5}, {9, 9, 9}, {INT_MAX, 3, 3}, {3, INT_MAX, INT_MAX}};
    for (const auto& w : windows) EXPECT_EQ(median(vol, w[0], w[1], w[2]).v, zero.v) << shape(w[0], w[1], w[2]);
    // Exactly the volume's size: one voxel, the median of everything.
    const Volume whole = median(Volume(5, 3, 3, 9), 5, 3, 3);
    EXPECT_EQ(whole.at(2, 1, 1), 9);
    EXPECT_EQ(std::count(whole.v.begin(), whole.v.end(), 0), 44);
}

TEST(Median3d, InitSizesAndClearsTheOutput) {
    ima3Du1 in{};
    in.dimx = 4;
    in.dimy = 3;
    in.dimz = 2;
    allouer_ima3Du1(&in);
    in.entete = 96;
    in.nb_bits = 8;
    ima3Du1 out{};
    out.entete = -1;
    out.nb_bits = -1;
    EXPECT_EQ(median3d_init(&out, in), 0);
    EXPECT_EQ(out.dimx, 4);
    EXPECT_EQ(out.dimy, 3);
    EXPECT_EQ(out.dimz, 2);
    EXPECT_EQ(out.entete, 96);
    EXPECT_EQ(out.nb_bits, 8);
    ASSERT_NE(out.data, nullptr);
    ASSERT_NE(out.data, in.data);
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(out.data[z][y][x], 0);
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
}

TEST(Median3d, CalcRefusesWindowsThatAreNotPositiveAndOdd) {
    const int windows[][3] = {{2, 3, 3}, {3, 4, 3}, {3, 3, 0}, {-1, 3, 3}, {3, -3, 3}, {INT_MIN, 1, 1}};
    for (const auto& w : windows) {
        auto run = run_captured([&] {
            ima3Du1 in{};
            in.dimx = in.dimy = in.dimz = 5;
            allouer_ima3Du1(&in);
            ima3Du1 out{};
            median3d_init(&out, in);
            median3d_t desc{w[0], w[1], w[2]};
            median3d_calc(&desc, &out, in);
        });
        EXPECT_EQ(run.status, 1) << shape(w[0], w[1], w[2]);
        EXPECT_EQ(run.out, "\n>> ERREUR median3d_calc : fenetre " + shape(w[0], w[1], w[2]) +
                               " incorrecte (entiers impairs positifs)\n");
    }

    auto mismatch = run_captured([] {
        ima3Du1 in{};
        in.dimx = 5;
        in.dimy = 4;
        in.dimz = 3;
        allouer_ima3Du1(&in);
        ima3Du1 out{};
        out.dimx = 5;
        out.dimy = 4;
        out.dimz = 2;
        allouer_ima3Du1(&out);
        median3d_t desc{3, 3, 3};
        median3d_calc(&desc, &out, in);
    });
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_NE(mismatch.out.find("volume resultat 5x4x2 different du volume source 5x4x3"), std::string::npos);
}

TEST(Median3d, DialogueAsksThreeSizesWithoutCheckingThem) {
    // Command-line replies, among them values a program would refuse.
    auto run = run_captured([] {
        char prog[] = "prog", a[] = "5", b[] = "-4", c[] = "0", d[] = "next";
        char* argv[] = {prog, a, b, c, d, nullptr};
        param head;
        param_debut(5, argv, &head);
        median3d_t desc{};
        param* next = median3d_lect(&desc, &head, ">>median3d question :");
        std::fprintf(stderr, "%d %d %d %d %s", desc.winX, desc.winY, desc.winZ, next == head.suiv->suiv->suiv,
                     next->rep);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "5 -4 0 1 next");
    EXPECT_NE(run.out.find("\n>>median3d question : winX (entier impair positif) = 5\n"
                           "\n>>median3d question : winY (entier impair positif) = -4\n"
                           "\n>>median3d question : winZ (entier impair positif) = 0\n"),
              std::string::npos);

    // Typed replies read with strtol: trailing text is ignored, text that is
    // no number gives 0, a number beyond int keeps its sign at the limit.
    auto typed = run_captured(
        [] {
            char prog[] = "prog";
            char* argv[] = {prog, nullptr};
            param head;
            param_debut(1, argv, &head);
            median3d_t desc{};
            median3d_lect(&desc, &head, "q:");
            std::fprintf(stderr, "%d %d %d|%s|%s|%s", desc.winX, desc.winY, desc.winZ, head.qst, head.suiv->qst,
                         head.suiv->suiv->qst);
        },
        "7 voxels\nabc\n-99999999999\n");
    ASSERT_EQ(typed.status, 0);
    EXPECT_EQ(typed.err, "7 0 " + std::to_string(INT_MIN) +
                             "|q: winX (entier impair positif)|q: winY (entier impair positif)|q: winZ (entier impair positif)");
    EXPECT_NE(typed.out.find("\nq: winX (entier impair positif)? : "), std::string::npos);
    EXPECT_NE(typed.out.find("\nq: winZ (entier impair positif)? : "), std::string::npos);
}
