// The gradient organisation: the eigen-decomposition on tensors of known
// eigenvalues and vectors, CalculAlpha, the gradient filters and the Deriche
// smoothing against their formulas evaluated pixel by pixel, the sliding
// tensor box against direct box sums, the attributes and stored values by
// hand, and the streamed computation against the same steps run on the
// whole volume held in memory.

#include "gradient_organisation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "lvf_volume.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using Vec = std::array<double, 3>;

// R diag(l) R^T for the orthonormal columns a, b, a x b.
void tensor(const Vec& a, const Vec& b, const Vec& l, double m[3][3]) {
    const Vec c = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const Vec* axes[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            m[i][j] = 0;
            for (int k = 0; k < 3; ++k) m[i][j] += l[k] * (*axes[k])[i] * (*axes[k])[j];
        }
}

Vec unit(Vec v) {
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / n, v[1] / n, v[2] / n};
}

// Small random 8-bit planes (nc x nr) for the plane functions.
std::vector<float> random_plane(std::mt19937& random, int nc, int nr, int top) {
    std::vector<float> p(static_cast<std::size_t>(nc) * nr);
    for (float& v : p) v = static_cast<float>(random() % (top + 1));
    return p;
}

}  // namespace

TEST(GradientOrganisation, Equation3DOnKnownTensors) {
    const double s = 1 / std::sqrt(2.0);
    const struct {
        Vec a, b, values;  // eigenvectors of values[0] and values[1]
        double tolerance;
    } cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {9, 4, 1}, 1e-3},
        {{0, 0, 1}, {1, 0, 0}, {-7, 3, 0.5}, 1e-3},  // a negative eigenvalue leads
        {unit({1, 2, 2}), unit({2, 1, -2}), {12, 5, 2}, 1e-3},
        {{s, s, 0}, {-s, s, 0}, {20, -10, 2}, 1e-3},  // the middle vector lies in the x-y plane
        {{0, 0, 1}, {0, 1, 0}, {6, 3, -1}, 1e-3},     // the vector of 3 is y, its minors <= 0
    };
    for (const auto& c : cases) {
        double m[3][3], values[3], vectors[3][3];
        tensor(c.a, c.b, c.values, m);
        Equation3D(m, values, vectors, 0);
        const Vec* expected[2] = {&c.a, &c.b};
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(values[k], c.values[k], c.tolerance) << c.values[0] << " value " << k;
        for (int k = 0; k < 2; ++k) {
            if (c.values[k] == 0) continue;
            const Vec& e = *expected[k];
            const double dot = vectors[k][0] * e[0] + vectors[k][1] * e[1] + vectors[k][2] * e[2];
            EXPECT_NEAR(std::fabs(dot), 1, 1e-4) << c.values[0] << " vector " << k;
        }
    }
    // Planar edges u u^T / N (one gradient direction), whose discriminant
    // rounds to a positive value: v1 = |u|^2 / N along u, v2 = v3 = 0.
    const struct {
        Vec u;
        double count;
    } edges[] = {{{6, 6, 2}, 1}, {{3, 4, 5}, 27}, {{10, 20, 30}, 125}, {{-1, 2, 2}, 9}};
    for (const auto& e : edges) {
        double m[3][3], values[3], vectors[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) m[i][j] = e.u[i] * e.u[j] / e.count;
        Equation3D(m, values, vectors, 0);
        const double norm = e.u[0] * e.u[0] + e.u[1] * e.u[1] + e.u[2] * e.u[2];
        EXPECT_NEAR(values[0], norm / e.count, 1e-9 * norm) << e.u[0];
        EXPECT_NEAR(values[1], 0, 1e-5 * norm) << e.u[0];
        EXPECT_NEAR(values[2], 0, 1e-5 * norm) << e.u[0];
        const Vec a = unit(e.u);
        EXPECT_NEAR(std::fabs(vectors[0][0] * a[0] + vectors[0][1] * a[1] + vectors[0][2] * a[2]), 1, 1e-9) << e.u[0];
    }
    // The zero matrix and a multiple of the identity: one value, no
    // vector found, (1, 0, 0). Mode 1: |trace|, |minors|, |determinant|.
    for (double d : {0.0, 3.0}) {
        const double m[3][3] = {{d, 0, 0}, {0, d, 0}, {0, 0, d}};
        double values[3], vectors[3][3];
        Equation3D(m, values, vectors, 0);
        EXPECT_EQ(std::vector<double>(values, values + 3), std::vector<double>(3, d));
        EXPECT_EQ(std::vector<double>(vectors[0], vectors[0] + 3), (std::vector<double>{1, 0, 0}));
    }
    const double m[3][3] = {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}};
    double values[3], vectors[3][3];
    Equation3D(m, values, vectors, 1);
    EXPECT_EQ(std::vector<double>(values, values + 3), (std::vector<double>{9, 24, 18}));
    EXPECT_TRUE(ended(run_captured([&] { Equation3D(m, values, vectors, 2); }), 1,
                      "\n>> ERREUR Equation3D : mode 2 inconnu (0 ou 1)\n"));
}

TEST(GradientOrganisation, CalculAlphaSolvesTheKernelEquation) {
    const double e5 = std::exp(-5.0), k5 = (1 - e5) * (1 - e5) / (1 + 10 * e5 - std::exp(-10.0));
    for (int T : {2, 3, 5, 8, 20}) {
        const double a = CalculAlpha(T, 50, 0.02f);
        EXPECT_NEAR(k5 * (T * a + 1) * std::exp(-T * a), 0.02, 1e-7) << T;
    }
    // Each iteration halves the interval from 5: one step up, one step down.
    EXPECT_EQ(CalculAlpha(3, 1, 1e-7f), 7.5f);
    EXPECT_EQ(CalculAlpha(3, 1, 0.02f), 2.5f);
    EXPECT_EQ(CalculAlpha(3, 0, 0.02f), 5.0f);
}

TEST(GradientOrganisation, Gradient3DFollowsItsFormulasPixelByPixel) {
    struct Case {
        int nc, nr, n;
        float alpha;
        std::vector<gen::Bytes> planes;
        std::string describe() const {
            return std::to_string(nc) + "x" + std::to_string(nr) + " n " + std::to_string(n);
        }
        std::string where(std::size_t i) const { return "value " + std::to_string(i); }
    };
    auto make = [](std::mt19937& random, int trial) {
        Case c{3 + static_cast<int>(random() % 9),
               3 + static_cast<int>(random() % 9),
               1 + trial % 3,
               0.3f + trial % 5,
               {}};
        c.n = std::min({c.n, (c.nc - 1) / 2, (c.nr - 1) / 2});
        for (int k = 0; k <= 2 * c.n; ++k)
            c.planes.push_back(gen::random_volume(random, c.nc, c.nr, 1, gen::kContents[trial % 7]));
        return c;
    };
    // gx, gy, gz one after the other, 16-bit, 7777 where nothing is written.
    auto fast = [](const Case& c) {
        ima3Du1 v =
            make_volume(c.nc, c.nr, 2 * c.n + 1, [&](int x, int y, int z) { return c.planes[z][y * c.nc + x]; });
        std::vector<short> g(3 * c.nc * c.nr, 7777);
        const std::size_t a = c.planes[0].size();
        gradient3D(v.data, g.data(), g.data() + a, g.data() + 2 * a, c.nc, c.nr, c.alpha, c.n);
        release(&v);
        return g;
    };
    auto reference = [](const Case& c) {
        std::vector<double> f(c.n + 1), g(c.n + 1);
        double sf = 0, sg = 0;
        for (int i = 0; i <= c.n; ++i) {
            f[i] = (static_cast<double>(c.alpha) * i + 1) * std::exp(-static_cast<double>(c.alpha) * i);
            g[i] = i * std::exp(-static_cast<double>(c.alpha) * i);
            sf += (i ? 2 : 1) * f[i];
            sg += (i ? 2 : 1) * g[i];
        }
        auto smooth = [&](auto v) {  // v(i), i = -n ... n
            float s = static_cast<float>(f[0] / sf) * v(0);
            for (int i = 1; i <= c.n; ++i) s += static_cast<float>(f[i] / sf) * (v(-i) + v(i));
            return s;
        };
        auto derive = [&](auto v) {
            float s = 0;
            for (int i = 1; i <= c.n; ++i) s += static_cast<float>(g[i] / sg) * (v(i) - v(-i));
            return s;
        };
        auto at = [&](int x, int y, int z) { return static_cast<float>(c.planes[c.n + z][y * c.nc + x]); };
        std::vector<short> out(3 * c.nc * c.nr, 7777);
        const std::size_t a = c.planes[0].size();
        for (int y = c.n; y < c.nr - c.n; ++y)
            for (int x = c.n; x < c.nc - c.n; ++x) {
                auto sz = [&](int x1, int y1) { return smooth([&](int i) { return at(x1, y1, i); }); };
                auto dz = [&](int x1, int y1) { return derive([&](int i) { return at(x1, y1, i); }); };
                out[y * c.nc + x] =
                    static_cast<short>(smooth([&](int j) { return derive([&](int i) { return sz(x + i, y + j); }); }));
                out[a + y * c.nc + x] =
                    static_cast<short>(smooth([&](int i) { return derive([&](int j) { return sz(x + i, y + j); }); }));
                out[2 * a + y * c.nc + x] =
                    static_cast<short>(smooth([&](int j) { return smooth([&](int i) { return dz(x + i, y + j); }); }));
            }
        return out;
    };
    reference_sweep(17, 60, make, fast, reference);
}

TEST(GradientOrganisation, Acp3DMatchesDirectBoxSums) {
    struct Case {
        int nc, nr, bx, by, bz, mode;
        std::vector<std::vector<short>> g[3];
        std::string describe() const {
            return "box " + std::to_string(bx) + "x" + std::to_string(by) + "x" + std::to_string(bz);
        }
        std::string where(std::size_t i) const {
            return "plane " + std::to_string(i / (nc * nr)) + " pixel " + std::to_string(i % (nc * nr));
        }
    };
    auto make = [](std::mt19937& random, int trial) {
        Case c{2 + static_cast<int>(random() % 10),
               2 + static_cast<int>(random() % 10),
               1 + 2 * static_cast<int>(random() % 3),
               1 + 2 * static_cast<int>(random() % 3),
               1 + 2 * static_cast<int>(random() % 3),
               trial % 4 == 3,
               {}};
        const int top = trial % 2 ? 128 : 3;
        for (auto& ring : c.g)
            for (int p = 0; p < c.bz; ++p) {
                ring.emplace_back(c.nc * c.nr);
                for (short& v : ring.back()) v = static_cast<short>(static_cast<int>(random() % (2 * top + 1)) - top);
            }
        return c;
    };
    auto fast = [](Case c) {  // six planes, filled with junk first
        std::vector<float> out(6 * c.nc * c.nr, -5.0f);
        std::vector<short*> rings[3];
        for (int k = 0; k < 3; ++k)
            for (auto& plane : c.g[k]) rings[k].push_back(plane.data());
        const std::size_t a = c.nc * c.nr;
        Acp3D_NS(rings[0].data(), rings[1].data(), rings[2].data(), c.nc, c.nr, &out[0], &out[a], &out[2 * a],
                 &out[3 * a], &out[4 * a], &out[5 * a], c.bx, c.by, c.bz, c.mode);
        return out;
    };
    auto reference = [](const Case& c) {
        std::vector<float> out(6 * c.nc * c.nr, 0.0f);
        const std::size_t a = c.nc * c.nr;
        for (int y = c.by / 2; y < c.nr - c.by / 2; ++y)
            for (int x = c.bx / 2; x < c.nc - c.bx / 2; ++x) {
                long long s[3][3] = {};
                for (int p = 0; p < c.bz; ++p)
                    for (int j = y - c.by / 2; j <= y + c.by / 2; ++j)
                        for (int i = x - c.bx / 2; i <= x + c.bx / 2; ++i)
                            for (int u = 0; u < 3; ++u)
                                for (int v = 0; v < 3; ++v)
                                    s[u][v] += c.g[u][p][j * c.nc + i] * c.g[v][p][j * c.nc + i];
                double m[3][3], values[3], vectors[3][3];
                for (int u = 0; u < 3; ++u)
                    for (int v = 0; v < 3; ++v) m[u][v] = static_cast<double>(s[u][v]) / (c.bx * c.by * c.bz);
                Equation3D(m, values, vectors, c.mode);
                const double turn = vectors[0][0] < 0 ? -1 : 1;
                for (int k = 0; k < 3; ++k) {
                    out[k * a + y * c.nc + x] = static_cast<float>(turn * vectors[0][k]);
                    out[(3 + k) * a + y * c.nc + x] = static_cast<float>(values[k]);
                }
            }
        return out;
    };
    reference_sweep(23, 80, make, fast, reference);
}

TEST(GradientOrganisation, LissageDericheFollowsItsRecursions) {
    struct Case {
        int nc, nr;
        float alpha;
        std::vector<float> v;
        std::string describe() const {
            return std::to_string(nc) + "x" + std::to_string(nr) + " alpha " + std::to_string(alpha);
        }
        std::string where(std::size_t i) const { return "pixel " + std::to_string(i); }
    };
    auto make = [](std::mt19937& random, int trial) {
        Case c{1 + static_cast<int>(random() % 12), 1 + static_cast<int>(random() % 12), 0.2f * (1 + trial % 15), {}};
        c.v = random_plane(random, c.nc, c.nr, 1000);
        return c;
    };
    auto fast = [](Case c) {
        LissageDeriche(c.alpha, c.v.data(), c.nc, c.nr);
        return c.v;
    };
    auto reference = [](Case c) {
        const double a = c.alpha, e = std::exp(-a), e2 = std::exp(-2 * a), k = (1 - e) * (1 - e) / (1 + 2 * a * e - e2);
        const double a0 = k, a1 = k * e * (a - 1), a2 = k * e * (a + 1), a3 = -k * e2, b1 = 2 * e, b2 = -e2;
        auto line = [&](float* first, int L, int step) {
            std::vector<double> x(L), y1(L), y2(L);
            for (int i = 0; i < L; ++i) x[i] = first[i * step];
            y1[0] = x[0] * (a0 + a1) / (1 - b1 - b2);
            y2[L - 1] = x[L - 1] * (a2 + a3) / (1 - b1 - b2);
            if (L > 1) {
                y1[1] = a0 * x[1] + a1 * x[0] + (b1 + b2) * y1[0];
                y2[L - 2] = (a2 + a3) * x[L - 1] + (b1 + b2) * y2[L - 1];
            }
            for (int i = 2; i < L; ++i) y1[i] = a0 * x[i] + a1 * x[i - 1] + b1 * y1[i - 1] + b2 * y1[i - 2];
            for (int i = L - 3; i >= 0; --i) y2[i] = a2 * x[i + 1] + a3 * x[i + 2] + b1 * y2[i + 1] + b2 * y2[i + 2];
            for (int i = 0; i < L; ++i) first[i * step] = static_cast<float>(y1[i] + y2[i]);
        };
        for (int r = 0; r < c.nr; ++r) line(&c.v[r * c.nc], c.nc, 1);
        for (int col = 0; col < c.nc; ++col) line(&c.v[col], c.nr, c.nc);
        return c.v;
    };
    reference_sweep(5, 90, make, fast, reference);
    // The filter's gain is 1: a constant plane stays constant.
    std::vector<float> flat(40 * 30, 100.0f);
    LissageDeriche(0.8f, flat.data(), 40, 30);
    for (float v : flat) ASSERT_NEAR(v, 100.0f, 1e-3f);
}

TEST(GradientOrganisation, AttributesAndStoredValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int type;
        float v1, v2, v3, value;
    } cases[] = {
        {1, 6, 3, 1, 6},
        {2, 6, 3, 1, 3},
        {3, 6, 3, 1, 1},
        {4, 6, 3, 1, 10},
        {5, 6, 3, 1, 2},
        {6, 6, 3, 1, 0.2f},
        {6, 0.004f, 0.003f, 0.001f, 0},
        {7, 6, 3, 1, 4},
        {8, 6, 3, 1, 0.4f},
        {10, 6, 3, 1, 0.1f},
        {11, 6, 3, 1, 3},
        {12, 6, 3, 1, 0.03f},
        {13, 6, 3, 1, 18},
        {14, 6, 3, 1, 0.018f},
        {16, 6, 3, 1, 3.0f / 7},
        {16, 0.01f, 3, 1, 0},
        {17, 6, 3, 1, 2.0f / 3},
        {17, 6, 5.995f, 1, 0},
        {9, 6, 4, 1, std::log((1 + std::sqrt(0.75f)) / (1 - std::sqrt(0.75f))) / std::sqrt(0.75f)},
        {9, 6, 2, 3, 2},
        {9, 6, 0, 0, 0},
        {9, 6, 2, 0, nan},
        {15, 6, 3, 1, 0},
        {0, 6, 3, 1, 0},
    };
    for (const auto& c : cases) {
        const float got = gradient_organisation_attribut(c.type, c.v1, c.v2, c.v3);
        if (std::isnan(c.value))
            EXPECT_TRUE(std::isnan(got)) << c.type;
        else
            EXPECT_NEAR(got, c.value, 1e-5f) << "type " << c.type << " of " << c.v1 << " " << c.v2 << " " << c.v3;
    }
    const struct {
        float attribute, coef;
        int stored;
    } values[] = {{3.7f, 1, 3},
                  {-3.7f, 1, 3},
                  {2.6f, 100, 255},
                  {254.99f, 1, 254},
                  {255, 1, 255},
                  {nan, 1, 0},
                  {std::numeric_limits<float>::infinity(), 1, 255},
                  {1, -200, 200},
                  {0.5f, 3, 1}};
    for (const auto& v : values)
        EXPECT_EQ(gradient_organisation_valeur(v.attribute, v.coef), v.stored) << v.attribute << " x " << v.coef;
}

TEST(GradientOrganisation, StreamingMatchesTheWholeVolumeInMemory) {
    // Output plane z: the box of gradient planes centred on input plane z,
    // the gradient being zero outside the volume and within T/2 planes of
    // its ends.
    TempDir dir;
    struct Case {
        int dx, dy, dz;
        gen::Bytes v;
        gradient_organisation_t d;
        std::string describe() const {
            return shape(d) + " T " + std::to_string(d.taille_gradient) + " box " + std::to_string(d.acp_x) + "x" +
                   std::to_string(d.acp_y) + "x" + std::to_string(d.acp_z) + " type " + std::to_string(d.type_attribut);
        }
        std::string shape(const gradient_organisation_t&) const {
            return std::to_string(dx) + "x" + std::to_string(dy) + "x" + std::to_string(dz);
        }
        std::string where(std::size_t i) const { return "voxel " + std::to_string(i); }
    };
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17};
    auto make = [&](std::mt19937& random, int trial) {
        Case c{5 + static_cast<int>(random() % 8),
               5 + static_cast<int>(random() % 8),
               3 + static_cast<int>(random() % 8),
               {},
               {}};
        c.v = gen::random_volume(random, c.dx, c.dy, c.dz, gen::kContents[trial % 7]);
        c.d.alpha = trial % 3 == 0 ? 0.6f : 0.0f;
        const int n = std::min(1 + static_cast<int>(random() % 2), (std::min({c.dx, c.dy, c.dz}) - 1) / 2);
        c.d.taille_gradient = 2 * n + static_cast<int>(random() % 2);
        auto box = [&](int dim) { return std::min(1 + 2 * static_cast<int>(random() % 3), dim % 2 ? dim : dim - 1); };
        c.d.acp_x = box(c.dx);
        c.d.acp_y = box(c.dy);
        c.d.acp_z = box(c.dz);
        c.d.type_attribut = types[trial % 16];
        c.d.coef_normalisation = trial % 2 ? 0.05f : 2.0f;
        return c;
    };
    auto streamed = [&](Case c) {
        write_file(dir.file("in.lvf"), lvf_file(c.dx, c.dy, c.dz, std::string(c.v.begin(), c.v.end())));
        ima3Du1 in{}, out{};
        in.dimx = c.dx, in.dimy = c.dy, in.dimz = c.dz;
        quietly([&] {
            gradient_organisation_init(&c.d, in);
            lect_volume_u1_sequence_first(dir.file("in.lvf").c_str(), &in, 2 * (c.d.taille_gradient / 2) + 1);
            copie_entete_ima3du1(&in, &out);
            out.entete = 24, out.nb_seq = 1, out.courant = 0;
            allouer_ima3Du1_sequence(&out);
            write_volume_u1_sequence_preparation(dir.file("out.lvf").c_str(), &out, 0);
            gradient_organisation_calc(&c.d, &in, &out);
            write_volume_u1_sequence_fermeture(&out, 0);
        });
        std::fclose(in.fichier);
        liberer_ima3Du1_sequence(&in);
        liberer_ima3Du1_sequence(&out);
        gradient_organisation_ferm(&c.d);
        const std::string file = read_file(dir.file("out.lvf"));
        return gen::Bytes(file.begin() + 24, file.end());
    };
    auto in_memory = [](const Case& c) {
        ima3Du1 v = make_volume(c.dx, c.dy, c.dz, [&](int x, int y, int z) { return c.v[(z * c.dy + y) * c.dx + x]; });
        const int n = c.d.taille_gradient / 2, half = c.d.acp_z / 2;
        const std::size_t a = static_cast<std::size_t>(c.dx) * c.dy;
        std::vector<std::vector<short>> g(3 * (c.dz + 2 * half),
                                          std::vector<short>(a, 0));  // planes -half ... dz+half-1
        const float alpha = CalculAlpha(c.d.taille_gradient, 50, 0.02f);
        for (int k = n; k < c.dz - n; ++k)
            gradient3D(&v.data[k - n], g[3 * (k + half)].data(), g[3 * (k + half) + 1].data(),
                       g[3 * (k + half) + 2].data(), c.dx, c.dy, alpha, n);
        std::vector<float> planes(6 * a);
        float* p[6];
        for (int k = 0; k < 6; ++k) p[k] = &planes[k * a];
        gen::Bytes out;
        for (int z = 0; z < c.dz; ++z) {
            std::vector<short*> ring[3];
            for (int j = 0; j < c.d.acp_z; ++j)
                for (int k = 0; k < 3; ++k) ring[k].push_back(g[3 * (z + j) + k].data());
            Acp3D_NS(ring[0].data(), ring[1].data(), ring[2].data(), c.dx, c.dy, p[0], p[1], p[2], p[3], p[4], p[5],
                     c.d.acp_x, c.d.acp_y, c.d.acp_z, 0);
            for (int k = 3; k < 6 && c.d.alpha != 0; ++k) LissageDeriche(c.d.alpha, p[k], c.dx, c.dy);
            for (std::size_t i = 0; i < a; ++i)
                out.push_back(gradient_organisation_valeur(
                    gradient_organisation_attribut(c.d.type_attribut, p[3][i], p[4][i], p[5][i]),
                    c.d.coef_normalisation));
        }
        release(&v);
        return out;
    };
    reference_sweep(41, 48, make, streamed, in_memory);
}

TEST(GradientOrganisation, RefusesWhatCannotBeComputed) {
    const struct {
        int dims[3], T, box[3], type;
        float alpha;
        const char* message;
    } cases[] = {
        {{9, 9, 2}, 2, {3, 3, 1}, 4, 0, "taille gradient 2 (filtres de 3 voxels) trop grande pour le volume 9x9x2\n"},
        {{4, 9, 9}, 5, {3, 3, 1}, 4, 0, "taille gradient 5 (filtres de 5 voxels) trop grande pour le volume 4x9x9\n"},
        {{9, 9, 9}, 2, {3, 11, 1}, 4, 0, "taille ACP 3x11x1 trop grande pour le volume 9x9x9\n"},
        {{9, 9, 9}, 2, {3, 3, 4}, 4, 0, "taille ACP 3x3x4 incorrecte (entiers impairs positifs)\n"},
        {{9, 9, 9}, 1, {3, 3, 3}, 4, 0, "taille gradient 1 incorrecte (au moins 2)\n"},
        {{9, 9, 9}, 2, {3, 3, 3}, 15, 0, "type d'attribut 15 inconnu (1 a 17, sauf 15)\n"},
        {{9, 9, 9}, 2, {3, 3, 3}, 4, -1, "alpha -1 incorrect (reel positif ou nul)\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_captured([&] {
            gradient_organisation_t d{};
            d.alpha = c.alpha, d.taille_gradient = c.T, d.type_attribut = c.type;
            d.acp_x = c.box[0], d.acp_y = c.box[1], d.acp_z = c.box[2];
            ima3Du1 in{};
            in.dimx = c.dims[0], in.dimy = c.dims[1], in.dimz = c.dims[2];
            gradient_organisation_init(&d, in);
        });
        EXPECT_TRUE(ended(run, 1, std::string("\n>> ERREUR gradient_organisation_init : ") + c.message));
    }
    const struct {
        std::vector<std::string> replies;
        const char* question;
        const char* accepted;
    } replies[] = {
        {{"-0.5"}, "Alpha (filtre de Deriche):", "reel positif ou nul"},
        {{"0", "4"}, "Taille ACP x:", "entier impair positif"},
        {{"0", "3", "3", "-1"}, "Taille ACP z:", "entier impair positif"},
        {{"0", "3", "3", "3", "1"}, "Taille gradient:", "entier d'au moins 2"},
        {{"0", "3", "3", "3", "3", "15"}, "Type d'attribut:", "entier de 1 a 17, sauf 15"},
        {{"0", "3", "3", "3", "3", "18"}, "Type d'attribut:", "entier de 1 a 17, sauf 15"},
        {{"0", "3", "3", "3", "3", "4", "1e39"}, "Coefficient de normalisation:", "reel de -3.40282e+38 a 3.40282e+38"},
    };
    for (const auto& r : replies) {
        const Outcome run = run_phase(
            r.replies,
            [](param* head) {
                gradient_organisation_t d{};
                return gradient_organisation_lect(&d, head, nullptr);
            },
            [](param*, param*) {});
        EXPECT_TRUE(ended_saying(run, 1,
                                 "\n>> ERREUR gradient_organisation_lect : reponse \"" + r.replies.back() +
                                     "\" refusee a la question \"" + r.question + "\" (" + r.accepted + ")\n"));
    }
}
