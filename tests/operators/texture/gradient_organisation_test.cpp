// The gradient organisation: the eigen-decomposition on tensors of known
// eigenvalues and vectors, CalculAlpha, the gradient filters and the Deriche
// smoothing against their formulas pixel by pixel, the sliding box against
// direct box sums, the attributes by hand, and the streamed computation
// against the same steps run on the whole volume in memory.

#include "gradient_organisation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "lvf_volume.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using Vec = std::array<double, 3>;

// A sweep case: its input and a label for reports.
template <class Input>
struct Case {
    Input in;
    std::string label;
    std::string describe() const { return label; }
    std::string where(std::size_t i) const { return "value " + std::to_string(i); }
};

std::string sizes(int a, int b, int c = 0) {
    return std::to_string(a) + "x" + std::to_string(b) + "x" + std::to_string(c);
}

int draw(std::mt19937& random, int lo, int hi) { return lo + static_cast<int>(random() % (hi - lo + 1)); }

Vec unit(Vec v) {
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / n, v[1] / n, v[2] / n};
}

double dot(const double* a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

TEST(GradientOrganisation, Equation3DOnKnownTensors) {
    // Eigenvalues l along the orthonormal a, b, a x b; each vector checked
    // up to its sign, the values in order of decreasing absolute value.
    const double s = 1 / std::sqrt(2.0);
    const struct {
        Vec a, b, l;
    } cases[] = {{{1, 0, 0}, {0, 1, 0}, {9, 4, 1}},
                 {{0, 0, 1}, {1, 0, 0}, {-7, 3, 0.5}},
                 {unit({1, 2, 2}), unit({2, 1, -2}), {12, 5, 2}},
                 {{s, s, 0}, {-s, s, 0}, {20, -10, 2}},
                 {{0, 0, 1}, {0, 1, 0}, {6, 3, -1}}};  // the vector of 3 is y, whose minors are all <= 0
    for (const auto& c : cases) {
        const Vec axis[3] = {
            c.a,
            c.b,
            {c.a[1] * c.b[2] - c.a[2] * c.b[1], c.a[2] * c.b[0] - c.a[0] * c.b[2], c.a[0] * c.b[1] - c.a[1] * c.b[0]}};
        double m[3][3] = {}, values[3], vectors[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k) m[i][j] += c.l[k] * axis[k][i] * axis[k][j];
        Equation3D(m, values, vectors, 0);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(values[k], c.l[k], 1e-3) << c.l[0] << " value " << k;
            EXPECT_NEAR(std::fabs(dot(vectors[k], axis[k])), 1, 1e-4) << c.l[0] << " vector " << k;
        }
    }
    // Planar edges u u^T / N, whose discriminant rounds to a positive value:
    // v1 = |u|^2 / N along u, v2 = v3 = 0.
    const struct {
        Vec u;
        double n;
    } edges[] = {{{6, 6, 2}, 1}, {{3, 4, 5}, 27}, {{10, 20, 30}, 125}, {{-1, 2, 2}, 9}};
    for (const auto& e : edges) {
        double m[3][3], values[3], vectors[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) m[i][j] = e.u[i] * e.u[j] / e.n;
        Equation3D(m, values, vectors, 0);
        const double norm = dot(e.u.data(), e.u);
        EXPECT_NEAR(values[0], norm / e.n, 1e-9 * norm) << e.u[0];
        EXPECT_NEAR(std::fabs(values[1]) + std::fabs(values[2]), 0, 1e-5 * norm) << e.u[0];
        EXPECT_NEAR(std::fabs(dot(vectors[0], unit(e.u))), 1, 1e-9) << e.u[0];
    }
    // Zero and a multiple of the identity: no vector found, (1, 0, 0).
    // Mode 1: |trace|, |sum of the 2x2 minors|, |determinant|.
    const double m[4][3][3] = {{}, {{3, 0, 0}, {0, 3, 0}, {0, 0, 3}}, {{2, 1, 0}, {1, 3, 1}, {0, 1, 4}}};
    const std::vector<double> expected[3] = {{0, 0, 0, 1, 0, 0}, {3, 3, 3, 1, 0, 0}, {9, 24, 18}};
    for (int c = 0; c < 3; ++c) {
        double values[3], vectors[3][3];
        Equation3D(m[c], values, vectors, c / 2);
        std::vector<double> got(values, values + 3);
        if (c < 2) got.insert(got.end(), vectors[0], vectors[0] + 3);
        EXPECT_EQ(got, expected[c]) << c;
    }
    // Acp3D_NS passes its mode on: one pixel of gradient (1, 2, 3), mode 1.
    short gx = 1, gy = 2, gz = 3, *rings[3] = {&gx, &gy, &gz};
    float planes[6];
    Acp3D_NS(&rings[0], &rings[1], &rings[2], 1, 1, &planes[0], &planes[1], &planes[2], &planes[3], &planes[4],
             &planes[5], 1, 1, 1, 1);
    EXPECT_EQ(std::vector<float>(planes + 3, planes + 6), std::vector<float>({14, 0, 0}));
    double values[3], vectors[3][3];
    EXPECT_TRUE(ended(run_captured([&] { Equation3D(m[0], values, vectors, 2); }), 1,
                      "\n>> ERREUR Equation3D : mode 2 inconnu (0 ou 1)\n"));
}

TEST(GradientOrganisation, CalculAlphaSolvesTheKernelEquation) {
    const double e5 = std::exp(-5.0), k5 = (1 - e5) * (1 - e5) / (1 + 10 * e5 - std::exp(-10.0));
    for (int T : {2, 3, 5, 8, 20}) {
        const double a = CalculAlpha(T, 50, 0.02f);
        EXPECT_NEAR(k5 * (T * a + 1) * std::exp(-T * a), 0.02, 1e-7) << T;
    }
    // From 5, one halving of [0, 10] down, one up; none.
    EXPECT_EQ(std::vector<float>({CalculAlpha(3, 1, 0.02f), CalculAlpha(3, 1, 1e-7f), CalculAlpha(3, 0, 0.02f)}),
              std::vector<float>({2.5f, 7.5f, 5.0f}));
}

TEST(GradientOrganisation, Gradient3DFollowsItsFormulasPixelByPixel) {
    struct In {
        int nc, nr, n;
        float alpha;
        std::vector<gen::Bytes> planes;
    };
    auto make = [](std::mt19937& random, int trial) {
        In in{draw(random, 3, 11), draw(random, 3, 11), 1 + trial % 3, 0.3f + trial % 5, {}};
        in.n = std::min({in.n, (in.nc - 1) / 2, (in.nr - 1) / 2});
        for (int k = 0; k <= 2 * in.n; ++k)
            in.planes.push_back(gen::random_volume(random, in.nc, in.nr, 1, gen::kContents[trial % 7]));
        return Case<In>{in, sizes(in.nc, in.nr, in.n)};
    };
    // gx, gy, gz one after the other, 7777 where nothing is written.
    auto fast = [](const Case<In>& c) {
        const In& in = c.in;
        ima3Du1 v =
            make_volume(in.nc, in.nr, 2 * in.n + 1, [&](int x, int y, int z) { return in.planes[z][y * in.nc + x]; });
        const std::size_t a = in.planes[0].size();
        std::vector<short> g(3 * a, 7777);
        gradient3D(v.data, g.data(), g.data() + a, g.data() + 2 * a, in.nc, in.nr, in.alpha, in.n);
        release(&v);
        return g;
    };
    auto reference = [](const Case<In>& c) {
        const In& in = c.in;
        std::vector<double> f(in.n + 1), g(in.n + 1);
        double sf = 0, sg = 0;
        for (int i = 0; i <= in.n; ++i) {
            f[i] = (static_cast<double>(in.alpha) * i + 1) * std::exp(-static_cast<double>(in.alpha) * i);
            g[i] = i * std::exp(-static_cast<double>(in.alpha) * i);
            sf += (i ? 2 : 1) * f[i];
            sg += (i ? 2 : 1) * g[i];
        }
        auto smooth = [&](auto v) {  // v(i), i = -n ... n
            float s = static_cast<float>(f[0] / sf) * v(0);
            for (int i = 1; i <= in.n; ++i) s += static_cast<float>(f[i] / sf) * (v(-i) + v(i));
            return s;
        };
        auto derive = [&](auto v) {
            float s = 0;
            for (int i = 1; i <= in.n; ++i) s += static_cast<float>(g[i] / sg) * (v(i) - v(-i));
            return s;
        };
        auto at = [&](int x, int y, int z) { return static_cast<float>(in.planes[in.n + z][y * in.nc + x]); };
        const std::size_t a = in.planes[0].size();
        std::vector<short> out(3 * a, 7777);
        for (int y = in.n; y < in.nr - in.n; ++y)
            for (int x = in.n; x < in.nc - in.n; ++x) {
                auto sz = [&](int u, int w) { return smooth([&](int i) { return at(u, w, i); }); };
                auto dz = [&](int u, int w) { return derive([&](int i) { return at(u, w, i); }); };
                const std::size_t p = y * in.nc + x;
                out[p] =
                    static_cast<short>(smooth([&](int j) { return derive([&](int i) { return sz(x + i, y + j); }); }));
                out[a + p] =
                    static_cast<short>(smooth([&](int i) { return derive([&](int j) { return sz(x + i, y + j); }); }));
                out[2 * a + p] =
                    static_cast<short>(smooth([&](int j) { return smooth([&](int i) { return dz(x + i, y + j); }); }));
            }
        return out;
    };
    reference_sweep(17, 60, make, fast, reference);
}

TEST(GradientOrganisation, LissageDericheFollowsItsRecursions) {
    struct In {
        int nc, nr;
        float alpha;
        std::vector<float> v;
    };
    auto make = [](std::mt19937& random, int trial) {
        In in{draw(random, 1, 12), draw(random, 1, 12), 0.2f * (1 + trial % 15), {}};
        for (int i = 0; i < in.nc * in.nr; ++i) in.v.push_back(static_cast<float>(random() % 1001));
        return Case<In>{in, sizes(in.nc, in.nr) + " alpha " + std::to_string(in.alpha)};
    };
    auto fast = [](Case<In> c) {
        LissageDeriche(c.in.alpha, c.in.v.data(), c.in.nc, c.in.nr);
        return c.in.v;
    };
    auto reference = [](Case<In> c) {
        const double a = c.in.alpha, e = std::exp(-a), e2 = std::exp(-2 * a),
                     k = (1 - e) * (1 - e) / (1 + 2 * a * e - e2);
        const double a0 = k, a1 = k * e * (a - 1), a2 = k * e * (a + 1), a3 = -k * e2, b1 = 2 * e, b2 = -e2;
        auto line = [&](float* first, int L, int step) {
            std::vector<double> x(L), y1(L), y2(L);
            for (int i = 0; i < L; ++i) x[i] = first[i * step];
            y1[0] = x[0] * (a0 + a1) / (1 - b1 - b2);
            y2[L - 1] = x[L - 1] * (a2 + a3) / (1 - b1 - b2);
            if (L > 1) y1[1] = a0 * x[1] + a1 * x[0] + (b1 + b2) * y1[0];
            if (L > 1) y2[L - 2] = (a2 + a3) * x[L - 1] + (b1 + b2) * y2[L - 1];
            for (int i = 2; i < L; ++i) y1[i] = a0 * x[i] + a1 * x[i - 1] + b1 * y1[i - 1] + b2 * y1[i - 2];
            for (int i = L - 3; i >= 0; --i) y2[i] = a2 * x[i + 1] + a3 * x[i + 2] + b1 * y2[i + 1] + b2 * y2[i + 2];
            for (int i = 0; i < L; ++i) first[i * step] = static_cast<float>(y1[i] + y2[i]);
        };
        for (int r = 0; r < c.in.nr; ++r) line(&c.in.v[r * c.in.nc], c.in.nc, 1);
        for (int col = 0; col < c.in.nc; ++col) line(&c.in.v[col], c.in.nr, c.in.nc);
        return c.in.v;
    };
    reference_sweep(5, 90, make, fast, reference);
    std::vector<float> flat(40 * 30, 100.0f);  // the gain is 1
    LissageDeriche(0.8f, flat.data(), 40, 30);
    for (float v : flat) ASSERT_NEAR(v, 100.0f, 1e-3f);
}

TEST(GradientOrganisation, AttributesAndStoredValues) {
    // Every type at (6, 3, 1), S = 10 (types 0 and 15: no value), then the
    // guards and the flux error's other branches.
    const float q = std::sqrt(2.0f / 3), nan = std::numeric_limits<float>::quiet_NaN();
    const float at_631[18] = {0,    6, 3,     1,  10,     2, 0.2f,     4,       0.4f, std::log((1 + q) / (1 - q)) / q,
                              0.1f, 3, 0.03f, 18, 0.018f, 0, 3.0f / 7, 2.0f / 3};
    for (int type = 0; type < 18; ++type)
        EXPECT_NEAR(gradient_organisation_attribut(type, 6, 3, 1), at_631[type], 1e-5f) << type;
    const float guarded[][5] = {
        {6, 0.004f, 0.003f, 0.001f, 0}, {16, 0.01f, 3, 1, 0}, {17, 6, 5.995f, 1, 0}, {9, 6, 2, 3, 2}, {9, 6, 0, 0, 0}};
    for (const auto& g : guarded)
        EXPECT_EQ(gradient_organisation_attribut(static_cast<int>(g[0]), g[1], g[2], g[3]), g[4]) << g[0];
    EXPECT_TRUE(std::isnan(gradient_organisation_attribut(9, 6, 2, 0)));
    // Stored: |attribute x coefficient| cut to 255, truncated; NaN as 0.
    const float values[][3] = {{3.7f, 1, 3}, {-3.7f, 1, 3},       {2.6f, 100, 255}, {254.99f, 1, 254}, {255, 1, 255},
                               {nan, 1, 0},  {1e30f, 1e30f, 255}, {1, -200, 200},   {0.5f, 3, 1}};
    for (const auto& v : values) EXPECT_EQ(gradient_organisation_valeur(v[0], v[1]), v[2]) << v[0] << " x " << v[1];
}

TEST(GradientOrganisation, StreamingMatchesTheWholeVolumeWithDirectBoxSums) {
    // Output plane z: the box of gradient planes centred on input plane z,
    // the gradient being zero outside the volume and within T/2 planes of
    // its ends. Compared: the output bytes, then the six planes the
    // descriptor holds after the last section (directions, eigenvalues), the
    // tensor summed box by box here.
    TempDir dir;
    struct In {
        int dx, dy, dz;
        gen::Bytes v;
        gradient_organisation_t d;
    };
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17};
    auto make = [&](std::mt19937& random, int trial) {
        In in{draw(random, 3, 12), draw(random, 3, 12), draw(random, 3, 10), {}, {}};
        in.v = gen::random_volume(random, in.dx, in.dy, in.dz, gen::kContents[trial % 7]);
        const int n = std::min(draw(random, 1, 2), (std::min({in.dx, in.dy, in.dz}) - 1) / 2);
        auto box = [&](int dim) { return std::min(1 + 2 * draw(random, 0, 2), dim % 2 ? dim : dim - 1); };
        in.d.alpha = trial % 3 == 0 ? 0.6f : 0.0f;
        in.d.taille_gradient = 2 * n + draw(random, 0, 1);
        in.d.acp_x = box(in.dx), in.d.acp_y = box(in.dy), in.d.acp_z = box(in.dz);
        in.d.type_attribut = types[trial % 16];
        in.d.coef_normalisation = trial % 2 ? 0.05f : 2.0f;
        return Case<In>{in, sizes(in.dx, in.dy, in.dz) + " T " + std::to_string(in.d.taille_gradient) + " box " +
                                sizes(in.d.acp_x, in.d.acp_y, in.d.acp_z) + " type " +
                                std::to_string(in.d.type_attribut)};
    };
    auto streamed = [&](Case<In> c) {
        write_file(dir.file("in.lvf"), lvf_file(c.in.dx, c.in.dy, c.in.dz, std::string(c.in.v.begin(), c.in.v.end())));
        ima3Du1 in{}, out{};
        in.dimx = c.in.dx, in.dimy = c.in.dy, in.dimz = c.in.dz;
        quietly([&] {
            gradient_organisation_init(&c.in.d, in);
            lect_volume_u1_sequence_first(dir.file("in.lvf").c_str(), &in, 2 * (c.in.d.taille_gradient / 2) + 1);
            copie_entete_ima3du1(&in, &out);
            out.entete = 24, out.nb_seq = 1, out.courant = 0;
            allouer_ima3Du1_sequence(&out);
            write_volume_u1_sequence_preparation(dir.file("out.lvf").c_str(), &out, 0);
            gradient_organisation_calc(&c.in.d, &in, &out);
            write_volume_u1_sequence_fermeture(&out, 0);
        });
        const std::string file = read_file(dir.file("out.lvf"));
        std::vector<double> result;
        for (std::size_t i = 24; i < file.size(); ++i) result.push_back(static_cast<unsigned char>(file[i]));
        for (const float* p : {c.in.d.dir_x, c.in.d.dir_y, c.in.d.dir_z, c.in.d.v1, c.in.d.v2, c.in.d.v3})
            result.insert(result.end(), p, p + c.in.dx * c.in.dy);
        std::fclose(in.fichier);
        liberer_ima3Du1_sequence(&in);
        liberer_ima3Du1_sequence(&out);
        gradient_organisation_ferm(&c.in.d);
        return result;
    };
    auto in_memory = [](const Case<In>& c) {
        const In& in = c.in;
        ima3Du1 v =
            make_volume(in.dx, in.dy, in.dz, [&](int x, int y, int z) { return in.v[(z * in.dy + y) * in.dx + x]; });
        const int n = in.d.taille_gradient / 2, half = in.d.acp_z / 2;
        const std::size_t a = static_cast<std::size_t>(in.dx) * in.dy;
        std::vector<std::vector<short>> g(3 * (in.dz + 2 * half), std::vector<short>(a, 0));  // planes -half ...
        for (int k = n; k < in.dz - n; ++k)
            gradient3D(&v.data[k - n], g[3 * (k + half)].data(), g[3 * (k + half) + 1].data(),
                       g[3 * (k + half) + 2].data(), in.dx, in.dy, CalculAlpha(in.d.taille_gradient, 50, 0.02f), n);
        std::vector<float> p(6 * a);  // directions, eigenvalues
        std::vector<double> out;
        const int hx = in.d.acp_x / 2, hy = in.d.acp_y / 2;
        for (int z = 0; z < in.dz; ++z) {
            std::fill(p.begin(), p.end(), 0.0f);
            for (int y = hy; y < in.dy - hy; ++y)
                for (int x = hx; x < in.dx - hx; ++x) {
                    double m[3][3] = {}, values[3], vectors[3][3];
                    for (int u = 0; u < 3; ++u)
                        for (int w = 0; w < 3; ++w) {
                            long long s = 0;
                            for (int k = z; k < z + in.d.acp_z; ++k)
                                for (int j = y - hy; j <= y + hy; ++j)
                                    for (int i = x - hx; i <= x + hx; ++i)
                                        s += g[3 * k + u][j * in.dx + i] * g[3 * k + w][j * in.dx + i];
                            m[u][w] = static_cast<double>(s) / (in.d.acp_x * in.d.acp_y * in.d.acp_z);
                        }
                    Equation3D(m, values, vectors, 0);
                    for (int k = 0; k < 3; ++k) {
                        p[k * a + y * in.dx + x] = static_cast<float>((vectors[0][0] < 0 ? -1 : 1) * vectors[0][k]);
                        p[(3 + k) * a + y * in.dx + x] = static_cast<float>(values[k]);
                    }
                }
            for (int k = 3; k < 6 && in.d.alpha != 0; ++k) LissageDeriche(in.d.alpha, &p[k * a], in.dx, in.dy);
            for (std::size_t i = 0; i < a; ++i)
                out.push_back(gradient_organisation_valeur(
                    gradient_organisation_attribut(in.d.type_attribut, p[3 * a + i], p[4 * a + i], p[5 * a + i]),
                    in.d.coef_normalisation));
        }
        out.insert(out.end(), p.begin(), p.end());
        release(&v);
        return out;
    };
    reference_sweep(41, 80, make, streamed, in_memory);
}

TEST(GradientOrganisation, RefusesWhatCannotBeComputed) {
    // The dialogue's refusals run end to end in the program's tests; these
    // come from init, whatever filled the descriptor.
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
        {{9, 9, 9}, 2, {3, 3, 3}, 4, -1, "alpha -1 incorrect (reel positif ou nul)\n"}};
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
}
