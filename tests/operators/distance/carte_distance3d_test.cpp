// The 3D distance map: the lines and whole mask of cubic voxels, the two
// scans as stated on random volumes (voxel sizes that give each axis its
// own weights, values that wrap when a weight is added, sizes of 5 and
// less), and the refused voxel sizes. The reading phase and one source by
// eye: tests/programs/distance3d_tool_test.cpp.

#include "carte_distance3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int nx, ny, nz;
    std::vector<std::uint32_t> v;  // plane after plane, trace after trace
    carte_distance3d_t des;        // voxel size
    std::string describe() const { return std::to_string(nx) + "x" + std::to_string(ny) + "x" + std::to_string(nz); }
    std::string where(std::size_t i) const { return "sample " + std::to_string(i); }
    std::uint32_t& at(int x, int y, int z) { return v[(static_cast<std::size_t>(z) * ny + y) * nx + x]; }
};

std::string init(carte_distance3d_t* des) {
    return quietly([&] { carte_distance3d_init(des); });
}

std::vector<std::uint32_t> distance(Case c) {
    init(&c.des);
    ima3Du4 vol = make_volume<ima3Du4>(c.nx, c.ny, c.nz, [&](int x, int y, int z) { return c.at(x, y, z); });
    quietly([&] { carte_distance3d_calc(&c.des, &vol); });
    const std::vector<std::uint32_t> out = values_of(vol);
    liberer_ima3Du4(&vol);
    return out;
}

// The scans as stated: the window positions (plane and row offsets -2 ...
// 2, column offsets -2 ... 1) before the voxel in raster order, then those
// after it, each value plus its weight in unsigned 32-bit arithmetic.
std::vector<std::uint32_t> reference(Case c) {
    init(&c.des);
    auto visit = [&](int x, int y, int z, int side) {
        std::uint32_t m = c.at(x, y, z);
        for (int dz = -2; dz <= 2; ++dz)
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 1; ++dx)
                    if ((dz != 0 ? dz : dy != 0 ? dy : dx) * side > 0)
                        m = std::min(m, c.at(x + dx, y + dy, z + dz) + std::uint32_t(c.des.mask_av[dz + 2][dy + 2][dx + 2]));
        c.at(x, y, z) = m;
    };
    for (int z = 2; z <= c.nz - 4; ++z)
        for (int y = 2; y <= c.ny - 4; ++y)
            for (int x = 2; x <= c.nx - 4; ++x) visit(x, y, z, -1);
    for (int z = c.nz - 4; z >= 2; --z)
        for (int y = c.ny - 4; y >= 2; --y)
            for (int x = c.nx - 4; x >= 2; --x) visit(x, y, z, 1);
    return c.v;
}

}  // namespace

TEST(CarteDistance3d, CubicVoxelsGiveTheKnownWeightsAndMask) {
    carte_distance3d_t des{{}, 1, 1, 1};
    EXPECT_EQ(init(&des), "L=1.000000,H=1.000000,P=1.000000\nd100=0.975887,d110=1.380113,d111=1.690286\n"
                          "d210=2.182150,d211=2.390426,d221=2.927662\nN=67\nD100=65,D110=92,D111=113\n"
                          "D210=146,D211=160,D221=196\nL=1.000000,H=1.000000,P=1.000000\ndes->mask_av[0][0][0]=226\n");
    // By the sorted absolute offsets; those of 0 and 2 only weigh twice their half.
    const std::map<int, int> weight = {{0, 0},     {1, 65},    {11, 92}, {111, 113}, {12, 146},
                                       {112, 160}, {122, 196}, {2, 130}, {22, 184},  {222, 226}};
    for (int k = 0; k < 125; ++k) {
        int a[3] = {std::abs(k / 25 - 2), std::abs(k / 5 % 5 - 2), std::abs(k % 5 - 2)};
        std::sort(a, a + 3);
        EXPECT_EQ((&des.mask_av[0][0][0])[k], weight.at(a[0] * 100 + a[1] * 10 + a[2])) << "entry " << k;
    }
}

TEST(CarteDistance3d, MatchesTheTwoScans) {
    // Cubic voxels, then sizes with P >= L and P < L; sources at random
    // densities, the other voxels far, or random (one in three near the top
    // of the range, where adding a weight wraps).
    const float sizes[][3] = {{1, 1, 1}, {1, 2, 3}, {1.5f, 1, 2}, {3, 1, 2}, {2, 3, 1}};
    auto make = [&](std::mt19937& random, int trial) {
        const float* s = sizes[trial % 5];
        auto side = [&] { return 1 + static_cast<int>(random() % 11); };
        Case c{side(), side(), side(), {}, {{}, s[0], s[1], s[2]}};
        const unsigned zeros = 1 + random() % 300;
        for (int k = 0; k < c.nx * c.ny * c.nz; ++k)
            c.v.push_back(random() % 1000 < zeros ? 0u
                          : trial % 3 != 2        ? UINT32_MAX - 226
                          : random() % 3 == 0     ? static_cast<std::uint32_t>(UINT32_MAX - random() % 500)
                                                  : static_cast<std::uint32_t>(random()));
        return c;
    };
    reference_sweep(51, 400, make, distance, reference);
}

TEST(CarteDistance3d, RefusesVoxelSizesWithoutUsableWeights) {
    // Not positive, not a number, integer weights below 1 or above 2^24.
    for (const auto& s : {std::vector<float>{0, 1, 1}, {1, 1, NAN}, {1e-9f, 1, 1}, {1, 1e-9f, 1e9f}}) {
        char message[200];
        std::snprintf(message, sizeof message, "\n>> ERREUR calculer_masque : taille de voxel L=%f,H=%f,P=%f refusee (reels "
                      "positifs donnant des poids entiers de 1 a 16777216)\n", s[0], s[1], s[2]);
        carte_distance3d_t des{{}, s[0], s[1], s[2]};
        EXPECT_TRUE(ended(run_captured([&] { carte_distance3d_init(&des); }), 1, message)) << s[0] << " " << s[1] << " " << s[2];
    }
}
