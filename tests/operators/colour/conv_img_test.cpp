// The colour conversions against a plain reference (each pixel on its own
// by the formulas, the planes addressed by row and column) on random images
// and offsets, hand-computed pixels, and the refusals.

#include "conv_img.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int type, primaires, nc, nr;
    double decal[3];
    std::vector<unsigned char> rvb[3];  // input planes, row after row
    std::vector<double> planes[3];      // the descriptor's planes before the conversion
    std::string describe() const {
        return "type " + std::to_string(type) + "/" + std::to_string(primaires) + " " + std::to_string(nc) + "x" +
               std::to_string(nr) + " decal " + std::to_string(decal[0]) + " " + std::to_string(decal[1]) + " " +
               std::to_string(decal[2]);
    }
    // Results: the output planes' bytes, then the three double planes.
    std::string where(std::size_t i) const {
        return "value " + std::to_string(i) + " of 6 x " + std::to_string(nc * nr);
    }
};

// The output bytes (0 where not written) and the double planes after the
// conversion through the module; the input must be left as it was.
std::vector<double> converted(const Case& c) {
    const std::size_t n = static_cast<std::size_t>(c.nc * c.nr);
    const auto plane = [&](int k) {
        return [&c, k](int x, int y) { return c.rvb[k][static_cast<std::size_t>(y * c.nc + x)]; };
    };
    imarvb in = make_rvb<std::function<int(int, int)>>(c.nc, c.nr, plane(0), plane(1), plane(2)), out{};
    const std::string before = bytes_of(in);
    conv_img_t d{nullptr, nullptr, nullptr, c.type, c.primaires, c.decal[0], c.decal[1], c.decal[2], 0, 0};
    conv_img_init(&d, &out, in);
    double** comps[3] = {d.comp1, d.comp2, d.comp3};
    for (int k = 0; k < 3; ++k) std::copy(c.planes[k].begin(), c.planes[k].end(), comps[k][0]);
    for (unsigned char** p : {out.r, out.v, out.b}) std::fill(p[0], p[0] + n, 0);
    conv_img_calc(&d, &out, in);
    EXPECT_EQ(bytes_of(in), before) << "the input was changed";
    std::vector<double> result;
    for (unsigned char** p : {out.r, out.v, out.b}) result.insert(result.end(), p[0], p[0] + n);
    for (double** p : comps) result.insert(result.end(), p[0], p[0] + n);
    free_space_struct(&d);
    free_imarvb(&in);
    free_imarvb(&out);
    return result;
}

// ---- The plain reference -------------------------------------------------

void xyz(int primaires, double R, double G, double B, double out[3]) {
    const double m[2][3][3] = {{{0.04, 0.084, -0.041}, {0.021, 0.107, -0.038}, {-0.005, 0.011, 0.024}},
                               {{0.49, 0.31, 0.2}, {0.177, 0.813, 0.011}, {0.0, 0.01, 0.99}}};
    for (int i = 0; i < 3; ++i) out[i] = m[primaires][i][0] * R + m[primaires][i][1] * G + m[primaires][i][2] * B;
}
double cube_f(double t) { return t > 0.008856 ? std::pow(t, 1.0 / 3.0) : 7.787 * t + 16.0 / 116.0; }
double big_l(double y) { return y > 0.008856 ? 116.0 * std::pow(y, 1.0 / 3.0) - 16.0 : 903.3 * y; }
void uvy(const double x[3], double out[3]) {
    const double d = x[0] + 15.0 * x[1] + 3.0 * x[2];
    if (std::fabs(d) <= 1e-12)
        out[0] = out[1] = out[2] = 0.0;
    else
        out[0] = 4.0 * x[0] / d, out[1] = 6.0 * x[1] / d, out[2] = x[1];
}
int wrap(double x) {  // truncated toward zero, modulo 256; 0 for no number
    if (!std::isfinite(x)) return 0;
    const double t = std::fmod(std::trunc(x), 256.0);
    return static_cast<int>(t < 0 ? t + 256.0 : t);
}
int mod256(int v) { return (v % 256 + 256) % 256; }
int clamp_rint(double x) { return static_cast<int>(std::rint(std::min(255.0, std::max(0.0, x)))); }

std::vector<double> reference(const Case& c) {
    const std::size_t n = static_cast<std::size_t>(c.nc * c.nr);
    std::vector<double> result(6 * n);
    for (int k = 0; k < 3; ++k) std::copy(c.planes[k].begin(), c.planes[k].end(), result.begin() + (3 + k) * n);
    const int s[3] = {static_cast<int>(c.decal[0]), static_cast<int>(c.decal[1]), static_cast<int>(c.decal[2])};
    for (int y = 0; y < c.nr; ++y)
        for (int x = 0; x < c.nc; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * c.nc + x);
            const std::size_t turned = static_cast<std::size_t>((c.nr - 1 - y) * c.nc + (c.nc - 1 - x));
            const int r = c.rvb[0][i], v = c.rvb[1][i], b = c.rvb[2][i];
            double out[3] = {0, 0, 0}, comp[3];
            bool planes = c.type != 2 && c.type != 4;
            if (c.type == 1) {
                const double w = r - 0.5 * (v + b), a = 0.8660254037844386 * (v - b);
                const double h = w > 0   ? 40.58451048843331 * std::atan(a / w)
                                 : w < 0 ? (3.141592653589793 + std::atan(a / w)) * 40.58451048843331
                                         : 0;
                const int t = w == 0   ? (a > 0 ? 64 : 192)
                              : h >= 0 ? int(h) + (h - std::trunc(h) >= 0.4999)
                                       : int(h) - 1;
                const int codes[3] = {t, int(std::rint((r + v + b) / 3.0)), int(std::rint(std::sqrt(w * w + a * a)))};
                for (int k = 0; k < 3; ++k) out[k] = comp[k] = mod256(codes[k] + s[k]);
            } else if (c.type == 2) {
                const int t = mod256(r + s[0]), l = mod256(v + s[1]), sat = mod256(b + s[2]);
                const double theta = (t < 193 ? t : t - 255) * 6.283185307179586 / 255.0;
                const double m = l - 1.0 / 3.0 * sat * std::cos(theta), q = 0.5773502691896257 * sat * std::sin(theta);
                out[0] = clamp_rint(l + 2.0 / 3.0 * sat * std::cos(theta)), out[1] = clamp_rint(m + q),
                out[2] = clamp_rint(m - q);
            } else if (c.type == 3) {
                const double R = r / 255.0, G = v / 255.0, B = b / 255.0;
                const double V = std::max(R, std::max(G, B)), lo = std::min(R, std::min(G, B));
                double H = -1, S = V == 0 ? 0 : (V - lo) / V;
                if (S != 0) {
                    const double rc = (V - R) / (V - lo), gc = (V - G) / (V - lo), bc = (V - B) / (V - lo);
                    H = 60.0 * (V == R ? bc - gc : V == G ? 2.0 + rc - bc : 4.0 + gc - rc);
                    if (H < 0) H += 360.0;
                }
                comp[0] = H + c.decal[0], comp[1] = S + c.decal[1], comp[2] = V + c.decal[2];
            } else if (c.type == 4) {
                double H = c.planes[0][turned] + c.decal[0];
                const double S = c.planes[1][turned] + c.decal[1], V = c.planes[2][turned] + c.decal[2];
                double rgb[3] = {V, V, V};
                if (S != 0) {
                    H = std::fmod(H, 360.0);  // modulo 360, into [0, 360)
                    if (H < 0) H += 360.0;
                    if (H == 360.0) H = 0.0;
                    const double h = H / 60.0;
                    const int i6 = std::isnan(h) ? 0 : static_cast<int>(std::floor(h));
                    const double f = h - i6, p = V * (1 - S), q = V * (1 - S * f), t = V * (1 - S * (1 - f));
                    const double table[6][3] = {{V, t, p}, {q, V, p}, {p, V, t}, {p, q, V}, {t, p, V}, {V, p, q}};
                    std::copy(table[i6], table[i6] + 3, rgb);
                }
                for (int k = 0; k < 3; ++k) out[k] = wrap(255.0 * rgb[k]);
            } else {
                double white[3], col[3], w[3], u[3];
                xyz(c.primaires, 1, 1, 1, white);
                xyz(c.primaires, r / 255.0, v / 255.0, b / 255.0, col);
                uvy(white, w);
                uvy(col, u);
                comp[0] = c.type == 5 ? big_l(col[1] / white[1]) : big_l(u[2] / w[2]);
                comp[1] = c.type == 5 ? 500.0 * (cube_f(col[0] / white[0]) - cube_f(col[1] / white[1]))
                                      : 13.0 * comp[0] * (u[0] - w[0]);
                comp[2] = c.type == 5 ? 200.0 * (cube_f(col[1] / white[1]) - cube_f(col[2] / white[2]))
                                      : 13.0 * comp[0] * (u[1] - w[1]);
                for (int k = 0; k < 3; ++k) comp[k] += c.decal[k];
            }
            for (int k = 0; k < 3; ++k) {
                result[k * n + i] = out[k];
                if (planes) result[(3 + k) * n + turned] = comp[k];
            }
        }
    return result;
}

// Bytes from a few levels now and then (greys, black, white); offsets that
// push results out of range (integers for TLS); planes for HSV -> RGB with
// hues outside [0, 360), saturations and values outside [0, 1].
Case random_case(std::mt19937& random, int trial) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int nc = 1 + static_cast<int>(random() % 9), nr = 1 + static_cast<int>(random() % 9);
    Case c{1 + trial % 6, static_cast<int>(random() % 2), nc, nr, {}, {}, {}};
    for (double& d : c.decal)
        d = trial % 4 == 0 ? 0.0
            : c.type <= 2  ? std::trunc(unit(random) * 2000 - 1000)
                           : (unit(random) - 0.5) * (c.type == 4 ? 1 : 100);
    const bool few = trial % 3 == 0;
    for (int i = 0; i < c.nc * c.nr; ++i) {
        const int grey = few ? static_cast<int>(random() % 3) * 127 + static_cast<int>(random() % 2) : -1;
        for (auto& plane : c.rvb) plane.push_back(static_cast<unsigned char>(grey >= 0 ? grey : random() % 256));
        c.planes[0].push_back(unit(random) * 1440 - 720);
        c.planes[1].push_back(few && i % 2 ? 0.0 : unit(random) * 2 - 0.5);
        c.planes[2].push_back(unit(random) * 3 - 1);
    }
    return c;
}

}  // namespace

TEST(ConvImg, MatchesThePlainReference) {
    reference_sweep(61, 600, random_case, converted, reference,
                    [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); });
}

TEST(ConvImg, HandComputedPixels) {
    const double nan = std::nan("");
    const struct {
        int type;
        double in[3], d[3];
        int primaires;
        double expected[6];  // the output bytes, then the planes
    } cases[] = {
        // TLS (T, L, S) of red, green, blue; a negative hue; 127.49999999999999
        // becomes 128 (fraction at least 0.4999); a grey; offsets wrapping.
        {1, {255, 0, 0}, {0, 0, 0}, 0, {0, 85, 255, 0, 85, 255}},
        {1, {0, 255, 0}, {0, 0, 0}, 0, {85, 85, 255, 85, 85, 255}},
        {1, {0, 0, 255}, {0, 0, 0}, 0, {170, 85, 255, 170, 85, 255}},
        {1, {255, 0, 10}, {0, 0, 0}, 0, {254, 88, 250, 254, 88, 250}},
        {1, {0, 15, 15}, {0, 0, 0}, 0, {128, 10, 15, 128, 10, 15}},
        {1, {100, 100, 100}, {0, 0, 0}, 0, {192, 100, 0, 192, 100, 0}},
        {1, {100, 100, 100}, {255, -257, 256.9}, 0, {191, 99, 0, 191, 99, 0}},
        // TLS -> RGB: T = 200 turns by (200 - 255) 2 pi / 255; clamping;
        // offsets added to the input bytes.
        {2, {200, 100, 50}, {0, 0, 0}, 0, {107, 68, 125, 0, 0, 0}},
        {2, {0, 250, 200}, {0, 0, 0}, 0, {255, 183, 183, 0, 0, 0}},
        {2, {190, 99, 50}, {10, 1, 0}, 0, {107, 68, 125, 0, 0, 0}},
        // HSV (H, S, V) of a grey, black with a hue offset, green.
        {3, {100, 100, 100}, {0, 0, 0}, 0, {0, 0, 0, -1, 0, 100 / 255.0}},
        {3, {0, 0, 0}, {10, 0, 0}, 0, {0, 0, 0, 9, 0, 0}},
        {3, {0, 255, 0}, {0, 0, 0}, 0, {0, 0, 0, 120, 1, 1}},
        // HSV -> RGB: S = 0, H = 360 as 0, H = -1 as 359, 3600.5 as 0.5;
        // values wrapping below 0, above 255 and beyond 2^31 (255 V =
        // 2^32 - 1); a value that is no number.
        {4, {17, 0, 0.5}, {0, 0, 0}, 0, {127, 127, 127, 17, 0, 0.5}},
        {4, {360, 1, 1}, {0, 0, 0}, 0, {255, 0, 0, 360, 1, 1}},
        {4, {-1, 1, 1}, {0, 0, 0}, 0, {255, 0, 4, -1, 1, 1}},
        {4, {3600.5, 1, 1}, {0, 0, 0}, 0, {255, 2, 0, 3600.5, 1, 1}},
        {4, {0, 0, -0.5}, {0, 0, 0}, 0, {129, 129, 129, 0, 0, -0.5}},
        {4, {0, 0, 1.2}, {0, 0, 0}, 0, {50, 50, 50, 0, 0, 1.2}},
        {4, {0, 0, 16843009}, {0, 0, 0}, 0, {255, 255, 255, 0, 0, 16843009}},
        {4, {0, 0, nan}, {0, 0, 0}, 0, {0, 0, 0, 0, 0, nan}},
        // Lab and Luv: black through the 903.3 branch (Luv's d = 0), white
        // L = 100 and 0, 0 with either matrix.
        {5, {0, 0, 0}, {0, 0, 0}, 0, {0, 0, 0, 0, 0, 0}},
        {5, {255, 255, 255}, {0, 0, 0}, 0, {0, 0, 0, 100, 0, 0}},
        {5, {255, 255, 255}, {1, 2, 3}, 1, {0, 0, 0, 101, 2, 3}},
        {6, {255, 255, 255}, {0, 0, 0}, 0, {0, 0, 0, 100, 0, 0}},
        {6, {255, 255, 255}, {0, 0, 0}, 1, {0, 0, 0, 100, 0, 0}},
        {6, {0, 0, 0}, {0, 0, 0}, 1, {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Case one{c.type, c.primaires, 1, 1, {c.d[0], c.d[1], c.d[2]}, {}, {}};
        for (int k = 0; k < 3; ++k)
            one.rvb[k] = {static_cast<unsigned char>(c.type == 4 ? 0 : c.in[k])},
            one.planes[k] = {c.type == 4 ? c.in[k] : 0};
        const std::vector<double> got = converted(one);
        for (std::size_t k = 0; k < 6; ++k)
            EXPECT_TRUE(std::isnan(c.expected[k]) ? std::isnan(got[k]) : std::fabs(got[k] - c.expected[k]) < 1e-12)
                << one.describe() << " in " << c.in[0] << " " << c.in[1] << " " << c.in[2] << ": value " << k << " is "
                << got[k];
    }
}

TEST(ConvImg, ReadingPhaseAndRefusals) {
    const struct {
        std::vector<std::string> replies;
        std::string said;  // the descriptor's fields, or the refusal ending the output
    } dialogues[] = {
        {{"3", "1.5", "-2", "0.25"}, "3 1.5 -2 0.25 0"},
        {{"6", "0", "1e3", "0", "1"}, "6 0 1000 0 1"},
        {{"2", "-2147483648", "7.9", "0"}, "2 -2.14748e+09 7.9 0 0"},
        {{"7", "0"}, "Tipe de conversion (entier) = 7\nNombre incorect"},
        {{"0"}, "Tipe de conversion (entier) = 0\nNombre incorect"},
        {{"5", "0", "0", "0", "2"}, "Transforme les intensite ceiRGB en XYZ apres en Lab)\" (0, 1)\n"},
        {{"1", "2147483648", "0", "0"}, "Teinte (TLS) (entier)\" (reel de -2.14748e+09 a 2.14748e+09)\n"},
    };
    for (const auto& dialogue : dialogues) {
        const Outcome run = run_phase(dialogue.replies, [](param* head) {
            conv_img_t d;
            param* next = conv_img_lect(&d, head, ">> conversion couleur :");
            std::fprintf(stderr, "%d %g %g %g %d", d.type, d.decal1, d.decal2, d.decal3, d.primaires);
            return next;
        }, [](param*, param*) {});
        EXPECT_TRUE(run.status == 0 ? run.err == dialogue.said : run.status == 1 && run.out.ends_with(dialogue.said))
            << run.out << run.err;
    }
    const std::string range = "\nEREURE: Les valeurs de *R, *V et *B sont dehors l'interval [0,1].";
    for (const double bad : {-0.01, 1.01, std::nan("")}) {
        double x, y, z;
        EXPECT_TRUE(ended(run_captured([&] { toetRGB_to_XYZ(0.5, bad, 0.5, &x, &y, &z); }), 1,
                          range + "\nOperateur:   toetRGB_to_XYZ() \n"));
        EXPECT_TRUE(ended(run_captured([&] { ceiRGB_to_XYZ(bad, 1, 0, &x, &y, &z); }), 1,
                          range + "\nOperateur:  ceiRGB_to_XYZ() \n"));
    }
    double u, v, y;
    XYZ_to_ceiuvY(15, -1, 0, &u, &v, &y);  // d = 0: all three 0
    EXPECT_EQ(std::vector<double>({u, v, y}), std::vector<double>({0, 0, 0}));
    XYZ_to_ceiuvY(1, 1, 1, &u, &v, &y);
    EXPECT_EQ(std::vector<double>({u, v, y}), std::vector<double>({4.0 / 19, 6.0 / 19, 1}));
    const Outcome no_init = run_captured([] {
        const auto one = [](int, int) { return 1; };
        imarvb in = make_rvb(2, 2, one, one, one), out{};
        conv_img_t d{};
        d.type = 3;
        conv_img_calc(&d, &out, in);
    });
    EXPECT_TRUE(ended(no_init, 1, "\n>> ERREUR conv_img_calc : phase d'initialisation absente pour cette image\n"));
}
