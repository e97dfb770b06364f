// The 3D distance map: the weights and lines of cubic voxels, the whole
// mask, the two scans against their plain statement on random volumes (with
// voxel sizes that tell the three axes apart, and values that wrap when a
// weight is added), a single source by eye, the reading phase and the
// refused voxel sizes.

#include "carte_distance3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using Samples = std::vector<std::uint32_t>;

struct Case {
    int nx, ny, nz;
    Samples v;
    float L, H, P;
    std::string describe() const {
        return std::to_string(nx) + "x" + std::to_string(ny) + "x" + std::to_string(nz) + " voxel " +
               std::to_string(L) + "," + std::to_string(H) + "," + std::to_string(P);
    }
    std::string where(std::size_t i) const {
        return "voxel (" + std::to_string(i % nx) + ", " + std::to_string(i / nx % ny) + ", " +
               std::to_string(i / nx / ny) + ")";
    }
};

carte_distance3d_t mask_of(float L, float H, float P, std::string* printed = nullptr) {
    carte_distance3d_t des{};
    des.L = L, des.H = H, des.P = P;
    const std::string said = quietly([&] { EXPECT_EQ(carte_distance3d_init(&des), 0); });
    if (printed != nullptr) *printed = said;
    return des;
}

Samples distance(const Case& c) {
    carte_distance3d_t des = mask_of(c.L, c.H, c.P);
    ima3Du4 vol = make_volume<ima3Du4>(c.nx, c.ny, c.nz,
                                       [&](int x, int y, int z) { return c.v[(static_cast<std::size_t>(z) * c.ny + y) * c.nx + x]; });
    quietly([&] { EXPECT_EQ(carte_distance3d_calc(&des, &vol), 0); });
    Samples out = values_of(vol);
    liberer_ima3Du4(&vol);
    return out;
}

// The scans as stated: every window position (plane and row offsets -2 ...
// 2, column offsets -2 ... 1) before the voxel, then after it, in raster
// order, its value plus its weight in unsigned 32-bit arithmetic.
Samples reference(const Case& c) {
    const carte_distance3d_t des = mask_of(c.L, c.H, c.P);
    Samples v = c.v;
    auto at = [&](int x, int y, int z) -> std::uint32_t& { return v[(static_cast<std::size_t>(z) * c.ny + y) * c.nx + x]; };
    auto visit = [&](int x, int y, int z, int side) {
        std::uint32_t m = at(x, y, z);
        for (int dz = -2; dz <= 2; ++dz)
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 1; ++dx) {
                    const int order = dz != 0 ? dz : dy != 0 ? dy : dx;
                    if (order * side > 0)
                        m = std::min(m, at(x + dx, y + dy, z + dz) + static_cast<std::uint32_t>(des.mask_av[dz + 2][dy + 2][dx + 2]));
                }
        at(x, y, z) = m;
    };
    for (int z = 2; z <= c.nz - 4; ++z)
        for (int y = 2; y <= c.ny - 4; ++y)
            for (int x = 2; x <= c.nx - 4; ++x) visit(x, y, z, -1);
    for (int z = c.nz - 4; z >= 2; --z)
        for (int y = c.ny - 4; y >= 2; --y)
            for (int x = c.nx - 4; x >= 2; --x) visit(x, y, z, 1);
    return v;
}

constexpr std::uint32_t kFar = UINT32_MAX - 226;

}  // namespace

TEST(CarteDistance3d, CubicVoxelsGiveTheKnownWeightsAndMask) {
    std::string printed;
    const carte_distance3d_t des = mask_of(1.0f, 1.0f, 1.0f, &printed);
    EXPECT_EQ(printed,
              "L=1.000000,H=1.000000,P=1.000000\n"
              "d100=0.975887,d110=1.380113,d111=1.690286\n"
              "d210=2.182150,d211=2.390426,d221=2.927662\n"
              "N=67\n"
              "D100=65,D110=92,D111=113\n"
              "D210=146,D211=160,D221=196\n"
              "L=1.000000,H=1.000000,P=1.000000\n"
              "des->mask_av[0][0][0]=226\n");
    // By the sorted absolute offsets: 0 at the centre, the doubled 130, 184
    // and 226 for the offsets of 0 and 2 only.
    std::vector<int> mask, expected;
    for (int dz = -2; dz <= 2; ++dz)
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                int a[3] = {std::abs(dz), std::abs(dy), std::abs(dx)};
                std::sort(a, a + 3);
                const int key = a[0] * 100 + a[1] * 10 + a[2];
                const std::map<int, int> weight = {{0, 0},     {1, 65},    {11, 92},   {111, 113}, {12, 146},
                                                   {112, 160}, {122, 196}, {2, 130},   {22, 184},  {222, 226}};
                expected.push_back(weight.at(key));
                mask.push_back(des.mask_av[dz + 2][dy + 2][dx + 2]);
            }
    EXPECT_EQ(mask, expected);
}

TEST(CarteDistance3d, MatchesTheTwoScans) {
    // Sizes 1 ... 11 (5 and less: nothing scanned); sources at several
    // densities, the other voxels far, or random (one in three near the top
    // of the range, where adding a weight wraps); cubic voxels, then sizes
    // that give every axis its own weights, with P >= L and P < L.
    const float sizes[][3] = {{1, 1, 1}, {1, 2, 3}, {1.5f, 1, 2}, {3, 1, 2}, {2, 3, 1}};
    auto make = [&](std::mt19937& random, int trial) {
        const float* s = sizes[trial % 5];
        Case c{1 + static_cast<int>(random() % 11), 1 + static_cast<int>(random() % 11), 1 + static_cast<int>(random() % 11),
               {}, s[0], s[1], s[2]};
        const unsigned zeros = 1 + random() % 300;
        for (int k = 0; k < c.nx * c.ny * c.nz; ++k) {
            const bool source = random() % 1000 < zeros;
            c.v.push_back(source ? 0 : trial % 3 != 2 ? kFar : random() % 3 == 0 ? UINT32_MAX - random() % 500 : random());
        }
        return c;
    };
    reference_sweep(51, 400, make, distance, reference);
}

TEST(CarteDistance3d, ASingleSourceDeepInside) {
    // 11^3, source at (5, 5, 5): offsets with components 0 ... 1 after
    // it, or any permutation of (2, 1, 0), are one mask step away.
    Case c{11, 11, 11, Samples(1331, kFar), 1, 1, 1};
    c.v[(5 * 11 + 5) * 11 + 5] = 0;
    const Samples d = distance(c);
    auto at = [&](int dx, int dy, int dz) { return d[((5 + dz) * 11 + 5 + dy) * 11 + 5 + dx]; };
    EXPECT_EQ((Samples{at(0, 0, 0), at(1, 0, 0), at(0, -1, 0), at(0, 0, 1), at(1, 1, 0), at(-1, 0, 1), at(1, 1, 1),
                       at(-1, -1, 1), at(2, 1, 0), at(0, 1, 2), at(1, 2, 0), at(2, 0, 1), at(2, 2, 1)}),
              (Samples{0, 65, 65, 65, 92, 92, 113, 113, 146, 146, 146, 146, 196}));
    // The faces keep what they held.
    EXPECT_EQ((Samples{d[0], d[1330], at(0, 0, -4), at(-4, 0, 0)}), (Samples{kFar, kFar, kFar, kFar}));
}

TEST(CarteDistance3d, ReadingAsksNothingAndChoosesCubicVoxels) {
    carte_distance3d_t des{};
    param head{};
    EXPECT_EQ(carte_distance3d_lect(&des, &head), &head);
    EXPECT_EQ((std::vector<float>{des.L, des.H, des.P}), (std::vector<float>{1.0f, 1.0f, 1.0f}));
}

TEST(CarteDistance3d, RefusesVoxelSizesWithoutUsableWeights) {
    const float refused[][3] = {{0, 1, 1}, {1, -1, 1}, {1, 1, NAN}, {1, 1, INFINITY}, {1e-9f, 1, 1}, {1, 1e-9f, 1e9f}};
    for (const auto& s : refused) {
        char message[200];
        std::snprintf(message, sizeof message,
                      "\n>> ERREUR calculer_masque : taille de voxel L=%f,H=%f,P=%f refusee (reels positifs donnant des "
                      "poids entiers de 1 a 16777216)\n",
                      s[0], s[1], s[2]);
        const Outcome run = run_captured([&] {
            carte_distance3d_t des{};
            des.L = s[0], des.H = s[1], des.P = s[2];
            carte_distance3d_init(&des);
        });
        EXPECT_TRUE(ended(run, 1, message)) << s[0] << " " << s[1] << " " << s[2];
    }
}
