// The colour conversions against a plain reference (each pixel converted
// on its own by the formulas, planes addressed by row and column) on random
// images and offsets, hand-computed pixels, and the dialogue's refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "conv_img.h"
#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int type, primaires, nc, nr;
    double decal[3];
    std::vector<unsigned char> rvb[3];  // input planes, row after row
    std::vector<double> planes[3];      // planes read by type 4, as the descriptor holds them
    std::string describe() const {
        std::ostringstream s;
        s << "type " << type << " primaires " << primaires << " " << nc << "x" << nr << " decal " << decal[0] << " "
          << decal[1] << " " << decal[2];
        return s.str();
    }
    // Results: the three output bytes of every pixel, then the three planes.
    std::string where(std::size_t i) const {
        const std::size_t n = static_cast<std::size_t>(nc * nr);
        return (i < 3 * n ? "output plane " : "double plane ") + std::to_string(i % (3 * n) / n) + " element " +
               std::to_string(i % n);
    }
};

// The conversion through the module.
std::vector<double> converted(const Case& c) {
    imarvb in{};
    in.nc = c.nc;
    in.nr = c.nr;
    alloc_imarvb(&in);
    unsigned char** planes[3] = {in.r, in.v, in.b};
    const std::size_t n = static_cast<std::size_t>(c.nc * c.nr);
    for (int k = 0; k < 3; ++k) std::copy(c.rvb[k].begin(), c.rvb[k].end(), planes[k][0]);
    conv_img_t d{};
    d.type = c.type;
    d.primaires = c.primaires;
    d.decal1 = c.decal[0], d.decal2 = c.decal[1], d.decal3 = c.decal[2];
    imarvb out{};
    conv_img_init(&d, &out, in);
    double** comps[3] = {d.comp1, d.comp2, d.comp3};
    for (int k = 0; k < 3; ++k) std::copy(c.planes[k].begin(), c.planes[k].end(), comps[k][0]);
    for (unsigned char** p : {out.r, out.v, out.b}) std::fill(p[0], p[0] + n, 0);  // stays 0 unless written
    const std::vector<unsigned char> before(planes[0][0], planes[0][0] + n);
    conv_img_calc(&d, &out, in);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), planes[0][0])) << "the input was changed";
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
double big_l(double y) { return y > 0.008856 ? 116.0 * std::pow(y, 1.0 / 3.0) - 16.0 : 903.3 * y; }
double big_f(double t) { return t > 0.008856 ? std::pow(t, 1.0 / 3.0) : 7.787 * t + 16.0 / 116.0; }
void uvy(const double x[3], double out[3]) {
    const double d = x[0] + 15.0 * x[1] + 3.0 * x[2];
    if (std::fabs(d) <= 1e-12) out[0] = out[1] = out[2] = 0.0;
    else out[0] = 4.0 * x[0] / d, out[1] = 6.0 * x[1] / d, out[2] = x[1];
}
int byte(double x) {  // truncated toward zero, modulo 256, 0 for no number
    if (std::isnan(x) || std::isinf(x)) return 0;
    const double t = std::fmod(std::trunc(x), 256.0);
    return static_cast<int>(t < 0 ? t + 256.0 : t);
}
int clamp_rint(double x) { return static_cast<int>(std::rint(std::min(255.0, std::max(0.0, x)))); }

std::vector<double> reference(const Case& c) {
    const std::size_t n = static_cast<std::size_t>(c.nc * c.nr);
    std::vector<double> result(6 * n);
    for (int k = 0; k < 3; ++k) std::copy(c.planes[k].begin(), c.planes[k].end(), result.begin() + (3 + k) * n);
    for (int y = 0; y < c.nr; ++y)
        for (int x = 0; x < c.nc; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * c.nc + x);
            const std::size_t turned = static_cast<std::size_t>((c.nr - 1 - y) * c.nc + (c.nc - 1 - x));
            const int r = c.rvb[0][i], v = c.rvb[1][i], b = c.rvb[2][i];
            double out[3] = {0, 0, 0}, comp[3];
            bool writes_planes = true;
            const int s[3] = {static_cast<int>(c.decal[0]), static_cast<int>(c.decal[1]), static_cast<int>(c.decal[2])};
            if (c.type == 1) {
                const double w = r - 0.5 * (v + b), a = 0.8660254037844386 * (v - b);
                int t;
                if (w == 0) {
                    t = a > 0 ? 64 : 192;
                } else {
                    const double h = w > 0 ? 40.58451048843331 * std::atan(a / w)
                                           : (3.141592653589793 + std::atan(a / w)) * 40.58451048843331;
                    t = h >= 0 ? static_cast<int>(h) + (h - std::trunc(h) >= 0.4999) : static_cast<int>(h) - 1;
                }
                const int codes[3] = {t, static_cast<int>(std::rint((r + v + b) / 3.0)),
                                      static_cast<int>(std::rint(std::sqrt(w * w + a * a)))};
                for (int k = 0; k < 3; ++k) out[k] = comp[k] = ((codes[k] + s[k]) % 256 + 256) % 256;
            } else if (c.type == 2) {
                const int t = ((r + s[0]) % 256 + 256) % 256, l = ((v + s[1]) % 256 + 256) % 256;
                const int sat = ((b + s[2]) % 256 + 256) % 256;
                const double theta = (t < 193 ? t : t - 255) * 6.283185307179586 / 255.0;
                const double red = l + 2.0 / 3.0 * sat * std::cos(theta), m = l - 1.0 / 3.0 * sat * std::cos(theta);
                const double q = 0.5773502691896257 * sat * std::sin(theta);
                out[0] = clamp_rint(red), out[1] = clamp_rint(m + q), out[2] = clamp_rint(m - q);
                writes_planes = false;
            } else if (c.type == 3) {
                const double R = r / 255.0, G = v / 255.0, B = b / 255.0;
                const double V = std::max(R, std::max(G, B)), lo = std::min(R, std::min(G, B));
                double H = -1, S = 0;
                if (V != 0 && (S = (V - lo) / V) != 0) {
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
                    const int sector = std::isnan(h) ? 0 : static_cast<int>(std::floor(h));
                    const double f = h - sector, p = V * (1 - S), q = V * (1 - S * f), t = V * (1 - S * (1 - f));
                    const double table[6][3] = {{V, t, p}, {q, V, p}, {p, V, t}, {p, q, V}, {t, p, V}, {V, p, q}};
                    std::copy(table[sector], table[sector] + 3, rgb);
                }
                for (int k = 0; k < 3; ++k) out[k] = byte(255.0 * rgb[k]);
                writes_planes = false;
            } else {
                double white[3], col[3];
                xyz(c.primaires, 1, 1, 1, white);
                xyz(c.primaires, r / 255.0, v / 255.0, b / 255.0, col);
                if (c.type == 5) {
                    comp[0] = big_l(col[1] / white[1]);
                    comp[1] = 500.0 * (big_f(col[0] / white[0]) - big_f(col[1] / white[1]));
                    comp[2] = 200.0 * (big_f(col[1] / white[1]) - big_f(col[2] / white[2]));
                } else {
                    double w[3], u[3];
                    uvy(white, w);
                    uvy(col, u);
                    comp[0] = big_l(u[2] / w[2]);
                    comp[1] = 13.0 * comp[0] * (u[0] - w[0]);
                    comp[2] = 13.0 * comp[0] * (u[1] - w[1]);
                }
                for (int k = 0; k < 3; ++k) comp[k] += c.decal[k];
            }
            for (int k = 0; k < 3; ++k) {
                result[k * n + i] = out[k];
                if (writes_planes) result[(3 + k) * n + turned] = comp[k];
            }
        }
    return result;
}

// A random case: bytes from a small set now and then (greys, black, white),
// offsets that push the results out of range, planes for type 4 with hues
// outside [0, 360), saturations and values outside [0, 1].
Case random_case(std::mt19937& random, int trial) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Case c;
    c.type = 1 + trial % 6;
    c.primaires = static_cast<int>(random() % 2);
    c.nc = 1 + static_cast<int>(random() % 9);
    c.nr = 1 + static_cast<int>(random() % 9);
    const bool bytes = c.type <= 2;
    for (double& d : c.decal)
        d = trial % 4 == 0 ? 0.0 : bytes ? std::trunc(unit(random) * 2000 - 1000) : (unit(random) - 0.5) * (c.type == 4 ? 1 : 100);
    const std::size_t n = static_cast<std::size_t>(c.nc * c.nr);
    const bool few = trial % 3 == 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int grey = few ? static_cast<int>(random() % 3) * 127 + static_cast<int>(random() % 2) : -1;
        for (auto& plane : c.rvb) plane.push_back(static_cast<unsigned char>(grey >= 0 ? grey : random() % 256));
        c.planes[0].push_back(unit(random) * 1440 - 720);
        c.planes[1].push_back(few && i % 2 ? 0.0 : unit(random) * 2 - 0.5);
        c.planes[2].push_back(unit(random) * 3 - 1);
    }
    return c;
}

// One pixel converted; returns the output bytes and the planes' values.
std::vector<double> pixel(int type, std::vector<double> values, double d1 = 0, double d2 = 0, double d3 = 0, int primaires = 0) {
    Case c{type, primaires, 1, 1, {d1, d2, d3}, {}, {}};
    for (int k = 0; k < 3; ++k) {
        c.rvb[k] = {static_cast<unsigned char>(type == 4 ? 0 : values[k])};
        c.planes[k] = {type == 4 ? values[k] : 0.0};
    }
    return converted(c);
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
        std::vector<double> in, expected;  // 3 inputs; 3 output bytes, then the 3 planes
        double d1, d2, d3;
        int primaires;
    } cases[] = {
        // TLS: T, L, S of red, green, blue; a negative hue; the 0.4999 rule
        // (127.49999999999999 becomes 128); a grey; offsets wrapping.
        {1, {255, 0, 0}, {0, 85, 255, 0, 85, 255}, 0, 0, 0, 0},
        {1, {0, 255, 0}, {85, 85, 255, 85, 85, 255}, 0, 0, 0, 0},
        {1, {0, 0, 255}, {170, 85, 255, 170, 85, 255}, 0, 0, 0, 0},
        {1, {255, 0, 10}, {254, 88, 250, 254, 88, 250}, 0, 0, 0, 0},
        {1, {0, 15, 15}, {128, 10, 15, 128, 10, 15}, 0, 0, 0, 0},
        {1, {100, 100, 100}, {192, 100, 0, 192, 100, 0}, 0, 0, 0, 0},
        {1, {100, 100, 100}, {191, 99, 0, 191, 99, 0}, 255, -257, 256.9, 0},
        // TLS -> RGB: T = 200 turns by (200 - 255) 2 pi / 255; clamping.
        {2, {200, 100, 50}, {107, 68, 125, 0, 0, 0}, 0, 0, 0, 0},
        {2, {0, 250, 200}, {255, 183, 183, 0, 0, 0}, 0, 0, 0, 0},
        {2, {190, 99, 50}, {107, 68, 125, 0, 0, 0}, 10, 1, 0, 0},
        // HSV of a grey, black and white, with offsets on the hue.
        {3, {100, 100, 100}, {0, 0, 0, -1, 0, 100 / 255.0}, 0, 0, 0, 0},
        {3, {0, 0, 0}, {0, 0, 0, 9, 0, 0}, 10, 0, 0, 0},
        {3, {0, 255, 0}, {0, 0, 0, 120, 1, 1}, 0, 0, 0, 0},
        // HSV -> RGB: S = 0, H = 360 as 0, H = -1 as 359, negative and large
        // values wrapping, a value that is no number.
        {4, {17, 0, 0.5}, {127, 127, 127, 17, 0, 0.5}, 0, 0, 0, 0},
        {4, {360, 1, 1}, {255, 0, 0, 360, 1, 1}, 0, 0, 0, 0},
        {4, {-1, 1, 1}, {255, 0, 4, -1, 1, 1}, 0, 0, 0, 0},
        {4, {0, 0, -0.5}, {129, 129, 129, 0, 0, -0.5}, 0, 0, 0, 0},
        {4, {0, 0, 1.2}, {50, 50, 50, 0, 0, 1.2}, 0, 0, 0, 0},
        {4, {0, 0, nan}, {0, 0, 0, 0, 0, nan}, 0, 0, 0, 0},
        {4, {0, 0, 16843009}, {255, 255, 255, 0, 0, 16843009}, 0, 0, 0, 0},  // 255 V = 2^32 - 1
        {4, {3600.5, 1, 1}, {255, 2, 0, 3600.5, 1, 1}, 0, 0, 0, 0},
        // Lab and Luv: black through the 903.3 branch, white 100, 0, 0 for
        // both matrices.
        {5, {0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, 0, 0, 0},
        {5, {255, 255, 255}, {0, 0, 0, 100, 0, 0}, 0, 0, 0, 0},
        {5, {255, 255, 255}, {0, 0, 0, 101, 2, 3}, 1, 2, 3, 1},
        {6, {255, 255, 255}, {0, 0, 0, 100, 0, 0}, 0, 0, 0, 0},
        {6, {255, 255, 255}, {0, 0, 0, 100, 0, 0}, 0, 0, 0, 1},
        {6, {0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        const std::vector<double> got = pixel(c.type, c.in, c.d1, c.d2, c.d3, c.primaires);
        for (std::size_t k = 0; k < 6; ++k) {
            const double e = c.expected[k];
            EXPECT_TRUE(std::isnan(e) ? std::isnan(got[k]) : std::fabs(got[k] - e) < 1e-12)
                << "type " << c.type << " (" << c.in[0] << ", " << c.in[1] << ", " << c.in[2] << ") value " << k
                << ": " << got[k] << " instead of " << e;
        }
    }
}

TEST(ConvImg, PlanesHoldTheImageHalfTurned) {
    // A 3 x 2 image whose only white pixel is the top-left one: its V is
    // the last element of the third plane.
    Case c{3, 0, 3, 2, {0, 0, 0}, {}, {}};
    for (auto& plane : c.rvb) plane = {255, 0, 0, 0, 0, 0};
    for (auto& plane : c.planes) plane.assign(6, 0.0);
    const std::vector<double> got = converted(c);
    EXPECT_EQ(std::vector<double>(got.begin() + 30, got.end()), (std::vector<double>{0, 0, 0, 0, 0, 1}));
}

TEST(ConvImg, ReadingPhaseAndRefusals) {
    auto ask = [](const std::vector<std::string>& replies) {
        return run_phase(replies, [](param* head) {
            conv_img_t d;
            param* next = conv_img_lect(&d, head, ">> conversion couleur :");
            std::fprintf(stderr, "%d %g %g %g %d", d.type, d.decal1, d.decal2, d.decal3, d.primaires);
            return next;
        }, [](param*, param*) {});
    };
    EXPECT_EQ(ask({"3", "1.5", "-2", "0.25"}).err, "3 1.5 -2 0.25 0");
    EXPECT_EQ(ask({"6", "0", "1e3", "0", "1"}).err, "6 0 1000 0 1");
    EXPECT_EQ(ask({"2", "-2147483648", "7.9", "0"}).err, "2 -2.14748e+09 7.9 0 0");
    const Outcome unknown = ask({"7", "0"});
    EXPECT_TRUE(ended_saying(unknown, 1, "Tipe de conversion (entier) = 7\nNombre incorect"));
    EXPECT_TRUE(unknown.out.ends_with("Nombre incorect"));
    EXPECT_TRUE(ended_saying(ask({"0"}), 1, "Nombre incorect"));
    EXPECT_TRUE(ended_saying(ask({"5", "0", "0", "0", "2"}), 1, "(Transformation intermediaire) (0 - Transforme les intensite toetRGB en XYZ apres en Lab) (1 - Transforme les intensite ceiRGB en XYZ apres en Lab)\" (0, 1)\n"));
    EXPECT_TRUE(ended_saying(ask({"1", "2147483648", "0", "0"}), 1, "Teinte (TLS) (entier)\" (reel de -2.14748e+09 a 2.14748e+09)"));

    const struct {
        void (*convert)(double, double, double, double*, double*, double*);
        const char* line;
    } matrices[] = {{toetRGB_to_XYZ, "\nOperateur:   toetRGB_to_XYZ() \n"}, {ceiRGB_to_XYZ, "\nOperateur:  ceiRGB_to_XYZ() \n"}};
    for (const auto& m : matrices)
        for (const double bad : {-0.01, 1.01, std::nan("")})
            EXPECT_TRUE(ended(run_captured([&] {
                                  double x, y, z;
                                  m.convert(0.5, bad, 0.5, &x, &y, &z);
                              }),
                              1, std::string("\nEREURE: Les valeurs de *R, *V et *B sont dehors l'interval [0,1].") + m.line));
    double u, v, y;
    XYZ_to_ceiuvY(15, -1, 0, &u, &v, &y);  // d = 0: all three 0
    EXPECT_EQ(std::vector<double>({u, v, y}), std::vector<double>({0, 0, 0}));
    XYZ_to_ceiuvY(1, 1, 1, &u, &v, &y);
    EXPECT_EQ(std::vector<double>({u, v, y}), std::vector<double>({4.0 / 19, 6.0 / 19, 1}));

    EXPECT_TRUE(ended(run_captured([] {
                          conv_img_t d{};
                          d.type = 3;
                          const auto one = [](int, int) { return 1; };
                          imarvb in = make_rvb(2, 2, one, one, one);
                          imarvb out{};
                          conv_img_calc(&d, &out, in);
                      }),
                      1, "\n>> ERREUR conv_img_calc : phase d'initialisation absente pour cette image\n"));
}
