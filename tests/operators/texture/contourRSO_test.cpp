// The contour detector: the masks by eye, the running sums against the
// masks' definition (appl_masque12) pixel by pixel with and without the
// local-maximum selection, valdirmax and maxlocgrad on chosen ratios, the
// steps of the edge cases, and the refusals.

#include "contourRSO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int nc, nr, w, maxima;
    std::vector<unsigned short> v;
    std::string describe() const {
        return std::to_string(nc) + "x" + std::to_string(nr) + " w " + std::to_string(w) + " maxima " +
               std::to_string(maxima);
    }
    std::string where(std::size_t i) const {
        return (i % 2 ? "code" : "strength") + std::string(" at ") + std::to_string(i / 2 % nc) + "," +
               std::to_string(i / 2 / nc);
    }
};

// Strength and code of every pixel, interleaved, as doubles.
std::vector<double> interleaved(const imafl& val, const imau1& dir) {
    std::vector<double> out;
    for (int i = 0; i < val.nr; ++i)
        for (int j = 0; j < val.nc; ++j)
            out.insert(out.end(), {val.pixels[i][j], static_cast<double>(dir.pixels[i][j])});
    return out;
}

void release(contourRSO_t& d, imafl& val, imau1& dir) {
    free_imafl(&val);
    free_imau1(&dir);
    for (int k = 0; k < 4; ++k) {
        free_imau1(&d.masques[k]);
        if (d.max_locaux) free_imafl(&d.rapports[k]);
    }
}

std::vector<double> detect(const Case& c) {
    imau2 in = make_image<imau2>(c.nc, c.nr, pixels_from(c.v, c.nc));
    contourRSO_t d{};
    d.taille = static_cast<signed char>(c.w);
    d.max_locaux = static_cast<unsigned char>(c.maxima);
    imafl val{};
    imau1 dir{};
    contourRSOu2_init(&d, in, &val, &dir);
    contourRSOu2_calc(&d, in, &val, &dir);
    const std::vector<double> out = interleaved(val, dir);
    free_imau2(&in);
    release(d, val, dir);
    return out;
}

// The definition: each mask's ratio by appl_masque12 on masks built here,
// the strongest by valdirmax, the local maxima across each mask's line.
std::vector<double> reference(const Case& c) {
    imau2 in = make_image<imau2>(c.nc, c.nr, pixels_from(c.v, c.nc));
    std::vector<float> squares(65536);
    for (int v = 0; v < 65536; ++v) squares[v] = static_cast<float>(v) * static_cast<float>(v);
    const int h = c.w / 2;
    auto cell = [&](int k, int i, int j) {
        const bool first[4] = {(j < h), (i < h), (j > i), (i + j < c.w - 1)};
        const bool second[4] = {(j > h), (i > h), (j < i), (i + j > c.w - 1)};
        return first[k] ? 1 : second[k] ? 2 : 0;
    };
    std::vector<float> r[4];
    for (int k = 0; k < 4; ++k) {
        imau1 m = make_image<imau1>(c.w, c.w, [&](int j, int i) { return cell(k, i, j); });
        r[k].assign(c.v.size(), 1.0f);
        for (int i = h; i < c.nr - h; ++i)
            for (int j = h; j < c.nc - h; ++j) r[k][i * c.nc + j] = appl_masque12(in, m, i, j, squares.data());
        free_imau1(&m);
    }
    const int across[4][4] = {{0, -1, 0, 1}, {-1, 0, 1, 0}, {-1, 1, 1, -1}, {-1, -1, 1, 1}};  // (di, dj) twice
    std::vector<double> out;
    for (int i = 0; i < c.nr; ++i)
        for (int j = 0; j < c.nc; ++j) {
            float value = 1;
            unsigned char code = 0;
            const std::size_t at = i * c.nc + j;
            if (i >= h && i < c.nr - h && j >= h && j < c.nc - h)
                valdirmax(r[0][at], r[1][at], r[2][at], r[3][at], &value, &code);
            if (c.maxima && code != 0) {
                const int k = code == 1 || code == 128    ? 0
                              : code == 64 || code == 192 ? 1
                              : code == 96 || code == 224 ? 2
                                                          : 3;
                for (int n = 0; n < 4; n += 2) {
                    const float q = r[k][(i + across[k][n]) * c.nc + j + across[k][n + 1]];
                    if (!(value <= (q > 1 ? 1 / q : q))) value = 1, code = 0;
                }
            }
            out.insert(out.end(), {value, static_cast<double>(code)});
        }
    free_imau2(&in);
    return out;
}

}  // namespace

TEST(ContourRSO, RunningSumsMatchTheMasksPixelByPixel) {
    auto make = [](std::mt19937& random, int trial) {
        Case c{0, 0, 1 + 2 * static_cast<int>(random() % 5), trial % 2, {}};
        if (trial % 10 == 9) c.w = 2 * static_cast<int>(random() % 16) + 11;  // up to 41
        c.nc = c.w + 1 + static_cast<int>(random() % 12);
        c.nr = c.w + 1 + static_cast<int>(random() % 12);
        const gen::Bytes bytes = gen::random_volume(random, c.nc, c.nr, 1, gen::kContents[trial / 2 % 7]);
        for (unsigned char b : bytes)
            c.v.push_back(static_cast<unsigned short>(trial % 3 == 0   ? b
                                                      : trial % 3 == 1 ? b * 257
                                                                       : b * 256 + random() % 256));
        return c;
    };
    reference_sweep(7, 700, make, detect, reference);
}

TEST(ContourRSO, EdgeCasesOfTheDefinition) {
    // One 16-bit row pattern repeated down 9 rows (or its transpose), w = 3.
    const struct {
        std::vector<unsigned short> row;
        bool transpose;
        int maxima;
        std::vector<int> codes;     // the codes of the middle row
        std::vector<float> values;  // its strengths
    } cases[] = {
        {{7, 7, 7, 7, 7, 7}, false, 0, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}},
        {{1, 1, 1, 2, 2, 2}, false, 0, {0, 0, 128, 128, 0, 0}, {1, 1, 0.25f, 0.25f, 1, 1}},  // dark left
        {{2, 2, 2, 1, 1, 1}, false, 0, {0, 0, 1, 1, 0, 0}, {1, 1, 0.25f, 0.25f, 1, 1}},      // mirrored
        {{1, 1, 1, 2, 2, 2}, true, 0, {0, 0, 192, 192, 0, 0}, {1, 1, 0.25f, 0.25f, 1, 1}},   // a horizontal step
        {{0, 0, 0, 5, 5, 5}, false, 0, {0, 0, 128, 128, 0, 0}, {1, 1, 0, 0, 1, 1}},          // one half 0
        {{1, 1, 1, 2, 2, 2}, false, 1, {0, 0, 128, 128, 0, 0}, {1, 1, 0.25f, 0.25f, 1, 1}},  // two equal maxima
        {{1, 1, 1, 2, 3, 3}, false, 1, {0, 0, 0, 128, 0, 0}, {1, 1, 1, 1.0f / 9, 1, 1}},     // the smaller kept
    };
    for (const auto& k : cases) {
        const int n = static_cast<int>(k.row.size());
        Case c{k.transpose ? 9 : n, k.transpose ? n : 9, 3, k.maxima, {}};
        for (int i = 0; i < c.nr; ++i)
            for (int j = 0; j < c.nc; ++j) c.v.push_back(k.row[k.transpose ? i : j]);
        const std::vector<double> got = detect(c);
        std::vector<int> codes;
        std::vector<float> values;
        const int i = k.transpose ? 3 : 4;  // a middle row (column 3 when transposed)
        for (int j = 0; j < n; ++j) {
            const std::size_t at = 2 * (k.transpose ? j * c.nc + i : i * c.nc + j);
            values.push_back(static_cast<float>(got[at]));
            codes.push_back(static_cast<int>(got[at + 1]));
        }
        EXPECT_EQ(codes, k.codes) << c.describe();
        for (int j = 0; j < n; ++j) EXPECT_NEAR(values[j], k.values[j], 1e-37f) << c.describe() << " " << j;
        EXPECT_EQ(got, reference(c)) << c.describe();
    }
    // A window half that is all 0: the largest float, or 1 when both are.
    imau2 in = make_image<imau2>(3, 3, [](int x, int) { return x == 0 ? 9 : 0; });
    imau1 v = make_image<imau1>(3, 3, [](int x, int) { return x == 0 ? 1 : x == 2 ? 2 : 0; });
    std::vector<float> squares(65536);
    for (int k = 0; k < 65536; ++k) squares[k] = static_cast<float>(k) * k;
    EXPECT_EQ(appl_masque12(in, v, 1, 1, squares.data()), FLT_MAX);
    v.pixels[0][0] = v.pixels[1][0] = v.pixels[2][0] = 0;
    EXPECT_EQ(appl_masque12(in, v, 1, 1, squares.data()), 1.0f);
    free_imau2(&in);
    free_imau1(&v);
}

TEST(ContourRSO, ValdirmaxAndMaxlocgrad) {
    // r1, r2, r3, r4, strength, code; ties keep the earlier ratio.
    const float cases[][6] = {{1, 1, 1, 1, 1, 0},
                              {0.5f, 1, 1, 1, 0.5f, 128},
                              {2, 1, 1, 1, 0.5f, 1},
                              {1, 0.4f, 1, 1, 0.4f, 192},
                              {1, 4, 1, 1, 0.25f, 64},
                              {1, 1, 0.3f, 1, 0.3f, 224},
                              {1, 1, 5, 1, 0.2f, 96},
                              {1, 1, 1, 0.1f, 0.1f, 160},
                              {1, 1, 1, 20, 0.05f, 32},
                              {0.5f, 2, 0.5f, 2, 0.5f, 128},
                              {4, 0.5f, 0.25f, 2, 0.25f, 1},
                              {FLT_MAX, 1, 1, 1, 1 / FLT_MAX, 1}};
    for (const auto& c : cases) {
        float value;
        unsigned char code;
        valdirmax(c[0], c[1], c[2], c[3], &value, &code);
        EXPECT_EQ(std::make_pair(value, static_cast<float>(code)), std::make_pair(c[4], c[5])) << c[0] << " " << c[1];
    }
    // Ratio rows 0, 1, 2 of three columns, all 1 but an above-right
    // neighbour of normalised ratio 0.4 for the main diagonal and a
    // below-right one of 0.5 for the anti-diagonal. Code, strength, kept.
    contourRSO_t d{};
    for (auto& r : d.rapports) r = make_image<imafl>(3, 3, [](int, int) { return 1.0f; });
    d.rapports[2].pixels[0][2] = 2.5f;
    d.rapports[3].pixels[2][2] = 0.5f;
    const float maxima[][3] = {{0, 0.5f, 0},   {1, 0.5f, 1},  {192, 0.5f, 1}, {96, 0.5f, 0},
                               {224, 0.3f, 1}, {32, 0.5f, 1}, {160, 0.6f, 0}};
    for (const auto& m : maxima) EXPECT_EQ(maxlocgrad(m[1], static_cast<unsigned char>(m[0]), 1, &d), m[2]) << m[0];
    EXPECT_TRUE(ended(run_captured([&] { maxlocgrad(0.5f, 7, 1, &d); }), 1,
                      "\n\n>> ERREUR maxlocgrad : direction 7 inconnue\n\n"));
    for (auto& r : d.rapports) free_imafl(&r);
}

TEST(ContourRSO, InitBuildsNamedMasksAndRefusesWhatCannotBeComputed) {
    // Rows 0 and 1 of each mask, w = 5. (The dialogue's refusals run end to
    // end in the program's tests.)
    const char* masks[4] = {"1102211022", "1111111111", "0111120111", "1111011102"};
    imau2 in = make_image<imau2>(6, 7, [](int, int) { return 0; });
    snprintf(in.nom, sizeof in.nom, "%s", "in.imw");
    contourRSO_t d{5, 0, 1, {}, {}};
    imafl val{};
    imau1 dir{};
    contourRSOu2_init(&d, in, &val, &dir);
    EXPECT_EQ(std::string(val.nom) + " " + dir.nom + " " + shape(val) + shape(dir) + shape(d.rapports[3]),
              "in.imw_ctr_val5x5 in.imw_ctr_dir5x5 6x76x76x3");
    for (int k = 0; k < 4; ++k) {
        std::string cells;  // the block holds the rows one after the other
        for (int i = 0; i < 10; ++i) cells += static_cast<char>('0' + d.masques[k].pixels[0][i]);
        EXPECT_EQ(cells, masks[k]) << k;
    }
    release(d, val, dir);
    free_imau2(&in);
    const struct {
        signed char w;
        unsigned char save;
        int nc, nr;
        const char* message;
    } refused[] = {{7, 0, 9, 7, "fenetre 7x7 trop grande pour l'image 9x7\n"},
                   {4, 0, 9, 9, "fenetre 4 incorrecte (entier impair de 1 a 127)\n"},
                   {-3, 0, 9, 9, "fenetre -3 incorrecte (entier impair de 1 a 127)\n"},
                   {3, 2, 9, 9, "choix 2 et 0 incorrects (0 ou 1)\n"}};
    for (const auto& r : refused) {
        const Outcome run = run_captured([&] {
            contourRSO_t bad{r.w, r.save, 0, {}, {}};
            contourRSOu2_init(&bad, make_image<imau2>(r.nc, r.nr, [](int, int) { return 0; }), &val, &dir);
        });
        EXPECT_TRUE(ended(run, 1, std::string("\n>> ERREUR contourRSOu2_init : ") + r.message));
    }
}

TEST(ContourRSO, RatiosNearAFloatMidpointFollowTheExtendedDivision) {
    // s1 / s2 lies 2^-24 / s2 (less than half a unit of a double) below the
    // float midpoint m = (2^24 + 3) 2^-24: the double quotient is m itself,
    // which rounds up to even, while the extended one rounds down.
    const std::uint64_t m = (1u << 24) + 3;
    std::uint64_t inverse = m;  // of m modulo 2^24, by Newton's iteration
    for (int i = 0; i < 5; ++i) inverse = inverse * (2 - m * inverse) & 0xFFFFFF;
    const std::uint64_t s2 = inverse + (32ull << 24), s1 = (m * s2 - 1) >> 24;
    ASSERT_EQ(m * s2 - (s1 << 24), 1u);
    ASSERT_NE(static_cast<float>(static_cast<double>(s1) / static_cast<double>(s2)),
              static_cast<float>(static_cast<long double>(s1) / static_cast<long double>(s2)));
    // Column 50 of a 102 x 102 image holds s1 as squares of values up to
    // 4096 (exact in single precision) above row 50 and s2 below: at pixel
    // (50, 50) the horizontal and both diagonal splits give s1 / s2, the
    // vertical one 0 / 0.
    Case c{102, 102, 101, 0, std::vector<unsigned short>(102 * 102, 0)};
    for (const auto& [sum, top] : {std::pair{s1, true}, std::pair{s2, false}}) {
        std::uint64_t rest = sum;
        for (int row = top ? 0 : 51; rest != 0; ++row) {
            ASSERT_LT(row, top ? 50 : 101);
            std::uint64_t v =
                std::min<std::uint64_t>(4096, static_cast<std::uint64_t>(std::sqrt(static_cast<double>(rest))));
            while (v * v > rest) --v;
            c.v[row * 102 + 50] = static_cast<unsigned short>(v);
            rest -= v * v;
        }
    }
    const std::vector<double> got = detect(c);
    EXPECT_EQ(got, reference(c));
    const float r2 = static_cast<float>(static_cast<long double>(s1) / static_cast<long double>(s2));
    EXPECT_EQ(got[2 * (50 * 102 + 50)], 1 / r2);
    EXPECT_EQ(got[2 * (50 * 102 + 50) + 1], 64);
}
