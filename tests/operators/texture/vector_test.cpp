// The vector operator's pieces: round_perso and getDiff on chosen values,
// the digital segments drawn and averaged, by eye, the vector files it
// refuses. The whole computation and the dialogue: vector_tool_test.cpp.

#include "vector.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// A vector file: three host-order sizes, then `payload` (the floats).
std::string vector_header(std::int32_t nx, std::int32_t ny, std::int32_t nz) {
    const std::int32_t sizes[3] = {nx, ny, nz};
    return std::string(reinterpret_cast<const char*>(sizes), sizeof sizes);
}

std::string floats(const std::vector<float>& values) {
    return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(float));
}

}  // namespace

TEST(Vector, RoundPersoSendsHalvesDown) {
    const struct {
        double v;
        int rounded;
    } cases[] = {{2.5, 2}, {2.6, 3},   {2.4, 2},        {-2.5, -3},       {-2.4, -2},        {-2.6, -3},     {3, 3},
                 {0.5, 0}, {-0.5, -1}, {1e20, INT_MAX}, {-1e20, INT_MIN}, {std::nan(""), 0}, {2.5000001, 3}, {-0.0, 0}};
    for (const auto& c : cases) EXPECT_EQ(round_perso(c.v), c.rounded) << c.v;
}

TEST(Vector, GetDiffScalesTheDominantComponentToTheRadius) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float v[3];
        int r, axis, d[3];
    } cases[] = {
        {{1, 0, 0}, 2, 0, {2, 0, 0}},
        {{1, 1, 0}, 2, 0, {2, 2, 0}},
        {{0, 1, 1}, 3, 1, {0, 3, 3}},
        {{0, 0, -3}, 2, 2, {0, 0, -2}},
        {{1, 0.25f, 0}, 2, 0, {2, 0, 0}},
        {{1, -0.25f, 0}, 2, 0, {2, -1, 0}},
        {{0.5f, 0.3f, -0.2f}, 4, 0, {4, 2, -2}},
        {{-1, 3, 2}, 3, 1, {-1, 3, 2}},
        {{1e-45f, 0, 0}, 3, 0, {3, 0, 0}},
        {{2, -2, 2}, 1, 0, {1, -1, 1}},
        {{0, 0, 0}, 2, 99, {0, 0, 0}},
        {{nan, 1, 0}, 2, 99, {0, 0, 0}},
        {{1, inf, 0}, 2, 99, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        int d[3] = {7, 7, 7};
        EXPECT_EQ(getDiff(c.v, c.r, &d[0], &d[1], &d[2]), c.axis) << c.v[0] << " " << c.v[1] << " " << c.v[2];
        EXPECT_EQ(std::vector<int>(d, d + 3), std::vector<int>(c.d, c.d + 3))
            << c.v[0] << " " << c.v[1] << " " << c.v[2];
    }
}

TEST(Vector, SegmentsDrawnAndAveraged) {
    using Voxel = std::tuple<int, int, int>;
    const struct {
        int d[3], axis;
        std::set<Voxel> offsets;  // the segment, then the extra voxel beyond its forward end
        Voxel extra;
    } cases[] = {
        {{2, 0, 0}, 0, {{-2, 0, 0}, {-1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {4, 0, 0}},
        {{2, 2, 0}, 0, {{-2, -2, 0}, {-1, -1, 0}, {0, 0, 0}, {1, 1, 0}, {2, 2, 0}}, {4, 4, 0}},
        {{2, 1, 0}, 0, {{-2, -1, 0}, {-1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {2, 1, 0}}, {4, 2, 0}},
        {{3, 2, 1},
         0,
         {{-3, -2, -1}, {-2, -1, -1}, {-1, -1, 0}, {0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {3, 2, 1}},
         {6, 4, 2}},
        {{0, -2, 1}, 1, {{0, 2, -1}, {0, 1, 0}, {0, 0, 0}, {0, -1, 0}, {0, -2, 1}}, {0, -4, 2}},
        {{-1, 1, -2}, 2, {{1, -1, 2}, {0, 0, 1}, {0, 0, 0}, {0, 0, -1}, {-1, 1, -2}}, {-2, 2, -4}},
    };
    for (const auto& c : cases) {
        // Drawn at the centre (6, 6, 6) of a 13^3 volume of zeros, then in a
        // corner where the extra voxel falls outside.
        for (int centre : {6, 9, 3}) {
            ima3Ds2 v = make_volume<ima3Ds2>(13, 13, 13, [](int, int, int) { return 0; });
            operators2print(&v, centre, centre, centre, c.d[0], c.d[1], c.d[2], c.axis, -9);
            std::set<Voxel> drawn;
            for (int z = 0; z < 13; ++z)
                for (int y = 0; y < 13; ++y)
                    for (int x = 0; x < 13; ++x)
                        if (v.data[z][y][x] != 0) drawn.insert({x - centre, y - centre, z - centre});
            std::set<Voxel> expected = c.offsets;
            const auto [ex, ey, ez] = c.extra;
            if (std::max({ex, ey, ez}) + centre < 13 && std::min({ex, ey, ez}) + centre >= 0) expected.insert(c.extra);
            EXPECT_EQ(drawn, expected) << c.d[0] << " " << c.d[1] << " " << c.d[2] << " at " << centre;
            release(&v);
        }
        // The mean of the same voxels, truncated towards 0.
        ima3Ds2 ramp =
            make_volume<ima3Ds2>(13, 13, 13, [](int x, int y, int z) { return 1000 * x - 300 * y + 7 * z - 6000; });
        long long sum = 0;
        for (const auto& [x, y, z] : c.offsets) sum += ramp.data[6 + z][6 + y][6 + x];
        EXPECT_EQ(means2(&ramp, 6, 6, 6, c.d[0], c.d[1], c.d[2], c.axis),
                  sum / static_cast<long long>(c.offsets.size()));
        release(&ramp);
    }
}

TEST(Vector, VectorFilesAreReadWithCare) {
    TempDir dir;
    const std::string good = vector_header(2, 1, 2) + floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    write_file(dir.file("good.vec"), good);
    champ_vecteurs field{};
    getev(&field, dir.file("good.vec").c_str());
    EXPECT_EQ(shape(field), "2x1x2");
    EXPECT_EQ(std::vector<float>(field.data, field.data + 12),
              (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    std::free(field.data);

    const struct {
        std::string bytes;
        int status;
        std::string message;
    } refused[] = {
        {good.substr(0, 8), 1, "fichier de vecteurs @ plus court que son entete\n"},
        {"", 1, "fichier de vecteurs @ plus court que son entete\n"},
        {vector_header(0, 1, 2), 1, "dimensions 0 x 1 x 2 incorrectes dans @\n"},
        {vector_header(2, -1, 2) + good.substr(12), 1, "dimensions 2 x -1 x 2 incorrectes dans @\n"},
        {good.substr(0, good.size() - 1), 1,
         "fichier de vecteurs @ de 59 octets alors que 2 x 1 x 2 vecteurs en demandent 60\n"},
        {good + "x", 1, "fichier de vecteurs @ de 61 octets alors que 2 x 1 x 2 vecteurs en demandent 60\n"},
        {vector_header(INT_MAX, INT_MAX, INT_MAX) + good.substr(12), 1,
         "de 60 octets alors que 2147483647 x 2147483647 x 2147483647 vecteurs en demandent 9223372036854775807\n"},
    };
    for (const auto& r : refused) {
        const std::string name = dir.file("bad.vec");
        write_file(name, r.bytes);
        const Outcome run = run_captured([&] {
            champ_vecteurs f{};
            getev(&f, name.c_str());
        });
        EXPECT_TRUE(ended_saying(run, r.status, in_folder(r.message, name))) << r.bytes.size();
    }
    const std::string missing = dir.file("none.vec");
    EXPECT_TRUE(ended(run_captured([&] {
                          champ_vecteurs f{};
                          getev(&f, missing.c_str());
                      }),
                      3, "file " + missing + " not found\n"));
}
