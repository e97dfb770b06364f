// Haar coefficients: the whole-volume decomposition against the band
// definitions applied level by level (sign of each voxel, approximations
// written back after the level), a single bright voxel by eye; the sliding
// features against decomposing every window with the whole-volume operator
// and reading its approximation octant; the refused sizes. The dialogues
// and the programs: tests/programs/haar_tool_test.cpp and
// haar_window_tool_test.cpp.

#include "haar_wavelet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "sweep.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

struct Vol {
    int nx, ny, nz;
    gen::Bytes v;
    unsigned char& at(int x, int y, int z) { return v[(static_cast<std::size_t>(z) * ny + y) * nx + x]; }
    std::string describe() const { return std::to_string(nx) + "x" + std::to_string(ny) + "x" + std::to_string(nz); }
    std::string where(std::size_t i) const {
        const std::size_t n = v.size(), s = i % n;
        return std::string(i < n ? "output" : "input") + " voxel (" + std::to_string(s % nx) + ", " +
               std::to_string(s / nx % ny) + ", " + std::to_string(s / nx / ny) + ")";
    }
};

ima3Du1 record(Vol& c) {
    return make_volume(c.nx, c.ny, c.nz, [&](int x, int y, int z) { return c.at(x, y, z); });
}

gen::Bytes bytes(const ima3Du1& r) {
    const std::string s = samples_of(r);
    return {s.begin(), s.end()};
}

struct WholeCase : Vol {
    int S;
    std::string describe() const { return Vol::describe() + ", S " + std::to_string(S); }
};

// The output, then the input as the operator leaves it.
gen::Bytes decompose(const WholeCase& c) {
    WholeCase copy = c;
    ima3Du1 in = record(copy), out{};
    hw_coef_entire_image_t desc{static_cast<unsigned char>(c.S)};
    quietly([&] {
        hw_coef_entire_image_init(&desc, in, &out);
        hw_coef_entire_image_calc(&desc, &in, &out);
    });
    gen::Bytes result = bytes(out), after = bytes(in);
    result.insert(result.end(), after.begin(), after.end());
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
    return result;
}

// Level by level, each band from its signs: along an axis where the band is
// high, + at offset 0 and - at offset 1; the approximations of a level are
// written after the whole level is computed.
gen::Bytes reference_decomposition(const WholeCase& c) {
    Vol in = c, out{c.nx, c.ny, c.nz, gen::Bytes(c.v.size(), 0)};
    const int v = 1 << c.S;
    int X = c.nx / v * v, Y = c.ny / v * v, Z = c.nz / v * v;
    if (c.S == 0)
        for (int z = 0; z < Z; ++z)
            for (int y = 0; y < Y; ++y)
                for (int x = 0; x < X; ++x) out.at(x, y, z) = in.at(x, y, z);
    for (int l = 1; l <= c.S; ++l, X /= 2, Y /= 2, Z /= 2) {
        Vol approx{X / 2, Y / 2, Z / 2, gen::Bytes(static_cast<std::size_t>(X / 2) * (Y / 2) * (Z / 2))};
        for (int z = 0; z < Z; z += 2)
            for (int y = 0; y < Y; y += 2)
                for (int x = 0; x < X; x += 2)
                    for (int band = 0; band < 8; ++band) {
                        const int bz = band >> 2, by = band >> 1 & 1, bx = band & 1;
                        int total = 0;
                        for (int o = 0; o < 8; ++o) {
                            const int dz = o >> 2, dy = o >> 1 & 1, dx = o & 1;
                            const int sign = ((bz && dz) + (by && dy) + (bx && dx)) % 2 ? -1 : 1;
                            total += sign * in.at(x + dx, y + dy, z + dz);
                        }
                        if (band == 0)
                            approx.at(x / 2, y / 2, z / 2) = static_cast<unsigned char>(total / 8);
                        else
                            out.at(x / 2 + bx * X / 2, y / 2 + by * Y / 2, z / 2 + bz * Z / 2) =
                                static_cast<unsigned char>(total / 8 + 128);
                    }
        Vol& target = l == c.S ? out : in;
        for (int z = 0; z < Z / 2; ++z)
            for (int y = 0; y < Y / 2; ++y)
                for (int x = 0; x < X / 2; ++x) target.at(x, y, z) = approx.at(x, y, z);
    }
    out.v.insert(out.v.end(), in.v.begin(), in.v.end());
    return out.v;
}

struct WindowCase : Vol {
    hw_coef_on_window_t desc;
    std::string describe() const {
        return Vol::describe() + ", S " + std::to_string(desc.S) + ", window " + std::to_string(desc.winx) + "x" +
               std::to_string(desc.winy) + "x" + std::to_string(desc.winz) + ", feature " +
               std::to_string(desc.feature);
    }
};

// The output, then the input (which must not change).
gen::Bytes slide(const WindowCase& c) {
    WindowCase copy = c;
    ima3Du1 in = record(copy), out{};
    hw_coef_on_window_t desc = c.desc;
    int returned = 0;
    quietly([&] {
        hw_coef_on_window_init(&desc, in, &out);
        returned = hw_coef_on_window_calc(&desc, in, &out);
        hw_coef_on_window_ferm(&desc);
    });
    EXPECT_EQ(returned, c.nz - desc.wz - 1);
    gen::Bytes result = bytes(out), after = bytes(in);
    result.insert(result.end(), after.begin(), after.end());
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&out);
    return result;
}

// The feature of a list of coefficients, as defined: the truncated mean;
// the entropy over 256 single-precision bins; 255 for other features.
unsigned char feature_of(const std::vector<int>& values, int feature) {
    if (feature == 1) {
        long sum = 0;
        for (int value : values) sum += value;
        return static_cast<unsigned char>(sum / static_cast<long>(values.size()));
    }
    if (feature != 2) return 255;
    float bins[256] = {};
    for (int value : values) bins[value] += 1;
    for (float& b : bins) b /= static_cast<float>(values.size());
    float H = 0;
    for (float p : bins)
        if (p != 0) H -= p * std::log10(p);
    return static_cast<unsigned char>(static_cast<int>(H / std::log10(256.0) * 255));
}

// Every window copied and decomposed with the whole-volume operator, its
// feature taken over the approximation octant of the result.
gen::Bytes reference_slide(const WindowCase& c) {
    WindowCase in = c;
    Vol out{c.nx, c.ny, c.nz, gen::Bytes(c.v.size(), 0)};
    const int v = 1 << c.desc.S;
    const int wx = c.desc.winx / v * v, wy = c.desc.winy / v * v, wz = c.desc.winz / v * v;
    quietly([&] {
        for (int i = 0; i < c.nz - wz - 1; ++i)
            for (int j = 0; j < c.ny - wy - 1; ++j)
                for (int k = 0; k < c.nx - wx - 1; ++k) {
                    ima3Du1 window =
                        make_volume(wx, wy, wz, [&](int x, int y, int z) { return in.at(k + x, j + y, i + z); });
                    ima3Du1 coefficients{};
                    hw_coef_entire_image_t whole{c.desc.S};
                    hw_coef_entire_image_init(&whole, window, &coefficients);
                    hw_coef_entire_image_calc(&whole, &window, &coefficients);
                    std::vector<int> octant;
                    for (int z = 0; z < wz / v; ++z)
                        for (int y = 0; y < wy / v; ++y)
                            for (int x = 0; x < wx / v; ++x) octant.push_back(coefficients.data[z][y][x]);
                    out.at(k + wx / 2, j + wy / 2, i + wz / 2) = feature_of(octant, c.desc.feature);
                    liberer_ima3Du1(&window);
                    liberer_ima3Du1(&coefficients);
                }
    });
    out.v.insert(out.v.end(), c.v.begin(), c.v.end());
    return out.v;
}

hw_coef_on_window_t window_desc(int S, int wx, int wy, int wz, int feature) {
    hw_coef_on_window_t d{};
    d.S = static_cast<unsigned char>(S);
    d.winx = static_cast<unsigned char>(wx);
    d.winy = static_cast<unsigned char>(wy);
    d.winz = static_cast<unsigned char>(wz);
    d.direction = 3;
    d.feature = static_cast<unsigned char>(feature);
    return d;
}

}  // namespace

TEST(HaarWavelet, WholeVolumeMatchesTheBandsLevelByLevel) {
    auto make = [](std::mt19937& random, int trial) {
        WholeCase c{};
        c.S = trial % 4;
        const int least = 1 << c.S;
        auto side = [&] { return least + static_cast<int>(random() % static_cast<unsigned>(21 - least)); };
        c.nx = side(), c.ny = side(), c.nz = side();
        c.v = gen::random_volume(random, c.nx, c.ny, c.nz, gen::kContents[trial / 4 % 7]);
        return c;
    };
    reference_sweep(17, 280, make, decompose, reference_decomposition);
}

TEST(HaarWavelet, SingleBrightVoxel) {
    // One voxel of 200 at (0, 0, 0) of a dark 4 x 4 x 2 volume, S 1: its
    // block's seven details are trunc(200 / 8) + 128 = 153, its
    // approximation 25; the other block's details 128 and approximation 0.
    WholeCase one{{4, 4, 2, gen::Bytes(32, 0)}, 1};
    one.v[0] = 200;
    const gen::Bytes expected = {25,  0,   153, 128, 0,   0,   128, 128, 153, 128, 153, 128, 128, 128, 128, 128,
                                 153, 128, 153, 128, 128, 128, 128, 128, 153, 128, 153, 128, 128, 128, 128, 128};
    const gen::Bytes got = decompose(one);
    EXPECT_EQ(gen::Bytes(got.begin(), got.begin() + 32), expected);
}

TEST(HaarWavelet, SlidingFeaturesMatchTheDecompositionOfEveryWindow) {
    // Small random cases, then windows of 64 x 60 x 6 at S 1 (2880
    // coefficients of up to 255: long sums, most levels present).
    const int features[] = {1, 2, 1, 2, 0, 9};
    auto make = [&](std::mt19937& random, int trial) {
        WindowCase c{};
        if (trial >= 210) {
            c.nx = 70, c.ny = 63, c.nz = 9;
            c.desc = window_desc(1, 65, 60, 6, trial - 209);
            c.v = gen::random_volume(random, c.nx, c.ny, c.nz, gen::Content::uniform);
            return c;
        }
        const int S = trial % 4, v = 1 << S;
        auto side = [&] { return v + 2 + static_cast<int>(random() % 9); };
        c.nx = side(), c.ny = side(), c.nz = side();
        auto window = [&](int n) { return v + static_cast<int>(random() % static_cast<unsigned>(n - 2 - v + 1)); };
        c.desc = window_desc(S, window(c.nx), window(c.ny), window(c.nz), features[trial % 6]);
        c.v = gen::random_volume(random, c.nx, c.ny, c.nz, gen::kContents[trial / 6 % 7]);
        return c;
    };
    reference_sweep(23, 212, make, slide, reference_slide);

    // S 0: a window of two levels in equal numbers has H = log10 2, stored
    // as trunc(255 / 8) = 31; a uniform window 0. Origins k 0 ... 1,
    // j 0 ... 1, i 0: samples (k + 1, j, 0) of plane 0.
    WindowCase halves{{5, 4, 3, gen::Bytes(60, 9)}, window_desc(0, 2, 1, 1, 2)};
    halves.at(1, 0, 0) = 10;  // in the windows at origins (0, 0, 0) and (1, 0, 0)
    const gen::Bytes got = slide(halves);
    EXPECT_EQ(gen::Bytes(got.begin(), got.begin() + 10), gen::Bytes({0, 31, 31, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(HaarWavelet, SizesThatDoNotFitAreRefused) {
    // The least window and the largest one, and a scale whose 2^S is
    // beyond int; the programs show the other refusals.
    struct Row {
        int S, w, nx, ny, nz;  // a cubic window of w
        const char* whole;     // refusal of the whole-volume operator, "" if accepted
        const char* window;    // the same for the sliding operator
    };
    const Row rows[] = {
        {2, 4, 6, 6, 8, "", ""},
        {200, 255, 2000, 2000, 2000,
         "\n>> ERREUR hw_coef_entire_image : echelle 200 trop grande pour le volume 2000x2000x2000 (2^S au plus egal a "
         "chaque dimension)\n",
         "\n>> ERREUR hw_coef_on_window : fenetre 255x255x255 plus petite que 2^S (echelle 200)\n"},
    };
    for (const Row& r : rows) {
        const hw_coef_entire_image_t whole{static_cast<unsigned char>(r.S)};
        const hw_coef_on_window_t window = window_desc(r.S, r.w, r.w, r.w, 1);
        EXPECT_TRUE(ended(run_captured([&] { hw_coef_entire_image_check(&whole, r.nx, r.ny, r.nz); }), *r.whole ? 1 : 0,
                          r.whole));
        EXPECT_TRUE(ended(run_captured([&] { hw_coef_on_window_check(&window, r.nx, r.ny, r.nz); }), *r.window ? 1 : 0,
                          r.window));
    }
}
