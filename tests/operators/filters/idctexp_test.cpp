// The inverse DCT and exponential against the pixel-by-pixel reference
// written from its definition (identical values) on random stacks of
// coefficients, special values and biases, plus what users rely on: one
// coefficient image gives back its levels, a bias of 2 halves them, the
// clamps at 65535 and 0, the outputs init makes or keeps, the refusals of
// init and of the dialogue.

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dct_reference.hpp"
#include "files.hpp"
#include "images.hpp"
#include "idctexp.h"
#include "proto2D.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using Coefficients = std::vector<std::vector<float>>;

// A stack of n coefficient images of nc x nr pixels, each held flat, and
// the bias to divide by.
struct Case {
    int nc, nr;
    Coefficients stack;
    float biais;

    std::size_t pixels() const { return static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr); }
    std::string describe() const {
        return std::to_string(stack.size()) + " images of " + std::to_string(nc) + "x" + std::to_string(nr) +
               ", bias " + std::to_string(biais);
    }
    std::string where(std::size_t i) const {
        const std::size_t pixel = i % pixels();
        return "value " + std::to_string(i / pixels()) + " of pixel (" + std::to_string(pixel % nc) + ", " +
               std::to_string(pixel / nc) + ")";
    }
};

// init then calc, as a program runs them; the values image after image.
std::vector<std::uint16_t> idct_exp(const Case& c) {
    const int n = static_cast<int>(c.stack.size());
    std::vector<imafl> in;
    for (const auto& image : c.stack) in.push_back(make_image<imafl>(c.nc, c.nr, pixels_from(image, c.nc)));
    std::vector<imau2> out(c.stack.size());
    idctexp_t desc{n, c.biais, nullptr, nullptr};
    EXPECT_EQ(idctexp_u2_init(&desc, in.data(), out.data()), 0);
    EXPECT_EQ(idctexp_u2_calc(&desc, in.data(), out.data()), 0);
    std::vector<std::uint16_t> values;
    for (int k = 0; k < n; ++k) {
        const auto image = pixels_of(out[k]);
        values.insert(values.end(), image.begin(), image.end());
        free_imafl(&in[k]);
        free_imau2(&out[k]);
    }
    idctexp_ferm(&desc);
    return values;
}

std::vector<std::uint16_t> reference(const Case& c) {
    std::vector<std::uint16_t> values;
    for (const auto& image : dct_reference::idct_exp(c.stack, c.biais)) values.insert(values.end(), image.begin(), image.end());
    return values;
}

// One pixel per image: the values of coefficients (c[0], ..., c[n-1]).
std::vector<std::uint16_t> values_of(const std::vector<float>& c, float biais) {
    Case one{1, 1, {}, biais};
    for (float value : c) one.stack.push_back({value});
    return idct_exp(one);
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A coefficient of the given kind: from the log-DCT of levels (possibly
// filtered), any real of a wide range, or a special value.
float coefficient(std::mt19937& random, int m, int kind) {
    std::uniform_real_distribution<float> wide(-30.0f, 30.0f);
    const float specials[] = {0.0f, -0.0f, kInf, -kInf, kNaN, 1e30f, -1e30f, FLT_MIN / 4, 88.0f, 89.0f, -104.0f};
    switch (kind) {
        case 0: return m == 0 ? std::uniform_real_distribution<float>(0.0f, 40.0f)(random) : wide(random) / 8;
        case 1: return wide(random);
        default: return random() % 4 == 0 ? specials[random() % std::size(specials)] : wide(random);
    }
}

}  // namespace

TEST(IdctExp, MatchesTheReferenceOnRandomCoefficientsAndBiases) {
    // Stacks of 1 ... 10 images and a few longer ones, sizes from 1 pixel
    // to several stretches of 512 with a tail; coefficients of a real
    // log-DCT (some zeroed, as a filter would), any reals, or special values.
    const int lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 16, 31};
    const float biases[] = {1.0f, 2.0f, 0.5f, 3.7f, 1e-3f, 1e4f, 1e-40f, FLT_MAX};
    auto make = [&](std::mt19937& random, int trial) {
        const int n = lengths[trial % std::size(lengths)];
        const int nc = 1 + static_cast<int>(random() % (trial % 3 == 0 ? 700 : 40));
        const int nr = 1 + static_cast<int>(random() % 5);
        Case c{nc, nr, {}, biases[trial % std::size(biases)]};
        const int kind = trial / 13 % 4;
        if (kind == 3) {
            std::vector<std::vector<std::uint16_t>> levels(static_cast<std::size_t>(n));
            for (auto& image : levels)
                for (int i = 0; i < nc * nr; ++i) image.push_back(static_cast<std::uint16_t>(random()));
            c.stack = dct_reference::log_dct(levels);
            for (std::size_t k = 1; k < c.stack.size(); ++k)
                if (random() % 3 == 0) std::fill(c.stack[k].begin(), c.stack[k].end(), 0.0f);
            return c;
        }
        for (int m = 0; m < n; ++m) {
            c.stack.emplace_back();
            for (int i = 0; i < nc * nr; ++i) c.stack.back().push_back(coefficient(random, m, kind));
        }
        return c;
    };
    reference_sweep(23, 156, make, idct_exp, reference);
}

TEST(IdctExp, OneImageWithBiasOneGivesBackTheLevels) {
    // The nearest float to ln v comes back as v for v >= 2 (e^a is then
    // within 5e-7 v of v, far from the half level that would move it);
    // 0 and 1 have the coefficient 0 and come back as e^0 = 1.
    Case one{256, 256, {{}}, 1.0f};
    for (int v = 0; v < 65536; ++v) one.stack[0].push_back(dct_reference::log_level(static_cast<unsigned>(v)));
    const std::vector<std::uint16_t> out = idct_exp(one);
    int wrong = 0;
    for (int v = 0; v < 65536; ++v)
        if (out[static_cast<std::size_t>(v)] != (v < 2 ? 1 : v)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

TEST(IdctExp, BiasTwoHalvesTheValuesBeforeRounding) {
    // An even v gives v / 2; an odd v gives one of its two neighbouring
    // halves, (v - 1) / 2 or (v + 1) / 2, as e^a lies just below or above v.
    Case one{256, 256, {{}}, 2.0f};
    for (int v = 0; v < 65536; ++v) one.stack[0].push_back(dct_reference::log_level(static_cast<unsigned>(v)));
    const std::vector<std::uint16_t> out = idct_exp(one);
    int wrong = 0;
    for (int v = 2; v < 65536; ++v) {
        const int got = out[static_cast<std::size_t>(v)];
        if (v % 2 == 0 ? got != v / 2 : std::abs(2 * got - v) != 1) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(out[0], 1);  // 1 / 2 + 0.5 = 1
    EXPECT_EQ(out[1], 1);

    // The same on a stack of three: every value is about half its level.
    std::mt19937 random(4);
    std::vector<std::vector<std::uint16_t>> levels(3);
    for (auto& image : levels)
        for (int i = 0; i < 600; ++i) image.push_back(static_cast<std::uint16_t>(2 + random() % 65534));
    Case three{600, 1, dct_reference::log_dct(levels), 2.0f};
    const std::vector<std::uint16_t> halves = idct_exp(three);
    for (std::size_t i = 0; i < halves.size(); ++i) {
        const int v = levels[i / 600][i % 600];
        ASSERT_LE(std::abs(2 * halves[i] - v), 1) << "level " << v;
    }
}

TEST(IdctExp, ValuesAreClampedAt65535AndZero) {
    struct Clamp {
        float a;  // the one coefficient, so e^a
        float biais;
        int expected;
    };
    const Clamp clamps[] = {
        {std::log(65535.4f), 1.0f, 65535},  // b = 65535.9, truncated
        {std::log(65535.6f), 1.0f, 65535},  // b = 65536.1, clamped
        {std::log(65537.0f), 1.0f, 65535},
        {std::log(200000.0f), 1.0f, 65535},
        {std::log(200000.0f), 4.0f, 50000},
        {std::log(100.0f), 1e-3f, 65535},  // the bias makes it large
        {89.0f, 1.0f, 65535},              // e^89 is beyond float: infinity
        {1e30f, 1.0f, 65535},
        {kInf, 1.0f, 65535},
        {88.0f, FLT_MAX, 0},   // e^88 / FLT_MAX + 0.5 < 1
        {-1.0f, 1.0f, 0},      // 0.37 + 0.5
        {-200.0f, 1.0f, 0},    // e^-200 is 0: b = 0.5
        {-kInf, 1.0f, 0},
        {kNaN, 1.0f, 0},       // not a number: 0
        {std::log(0.7f), 1.0f, 1},
        {0.0f, 1.0f / 65535.5f, 65535},  // b = 65536 exactly: clamped, not wrapped to 0
        {0.0f, 2.0f, 1},                 // b = 1 exactly
        {0.0f, std::nextafter(2.0f, 3.0f), 0},  // b just under 1
    };
    for (const Clamp& c : clamps)
        EXPECT_EQ(values_of({c.a}, c.biais)[0], c.expected) << "a = " << c.a << ", bias " << c.biais;

    // Sums that meet infinities of both signs are not numbers either.
    EXPECT_EQ(values_of({kInf, kInf}, 1.0f), (std::vector<std::uint16_t>{65535, 0}));
}

TEST(IdctExp, InitMakesTheMissingOutputsAndKeepsThoseAlreadyAllocated) {
    std::vector<imafl> in;
    for (int m = 0; m < 3; ++m) in.push_back(make_image<imafl>(4, 2, [](int, int) { return 0.0f; }));
    std::snprintf(in[0].nom, sizeof in[0].nom, "%s", "coef0.imf");
    std::vector<imau2> out(3);
    out[1] = make_image<imau2>(4, 2, [](int, int) { return 9; });
    std::snprintf(out[1].nom, sizeof out[1].nom, "%s", "mine");
    unsigned short** kept = out[1].pixels;
    idctexp_t desc{3, 1.0f, nullptr, nullptr};
    ASSERT_EQ(idctexp_u2_init(&desc, in.data(), out.data()), 0);
    EXPECT_EQ(std::string(out[0].nom), "coef0.imf_idctexp_0");
    EXPECT_EQ(std::string(out[1].nom), "mine");
    EXPECT_EQ(std::string(out[2].nom), "coef0.imf_idctexp_2");
    EXPECT_EQ(out[1].pixels, kept);
    for (const imau2& image : out) EXPECT_EQ(shape(image), "4x2");

    // calc writes into the kept image too: all coefficients 0 give e^0 = 1.
    idctexp_u2_calc(&desc, in.data(), out.data());
    for (const imau2& image : out) EXPECT_EQ(pixels_of(image), std::vector<unsigned short>(8, 1));
    for (int k = 0; k < 3; ++k) {
        free_imafl(&in[k]);
        free_imau2(&out[k]);
    }
    idctexp_ferm(&desc);
    EXPECT_EQ(desc.vecteur, nullptr);
    EXPECT_EQ(desc.matrice, nullptr);
}

TEST(IdctExp, InitRefusesMismatchedSizesCountsAndBiases) {
    struct Refusal {
        std::vector<std::pair<int, int>> in;  // input sizes
        std::pair<int, int> kept;             // size of an output 2 allocated beforehand (0: none)
        int n;
        float biais;
        std::string message;
    };
    const Refusal refusals[] = {
        {{{5, 3}, {5, 4}}, {0, 0}, 2, 1.0f,
         "\n ERREUR idctexp_u2_init : tailles differentes : coefficient 2/2 (c1) 5x4, coefficient 1/2 (c0) 5x3\n"},
        {{{5, 3}, {5, 3}}, {3, 5}, 2, 1.0f,
         "\n ERREUR idctexp_u2_init : tailles differentes : image resultat 2/2 (kept) 3x5, coefficient 1/2 (c0) "
         "5x3\n"},
        {{{1, 1}}, {0, 0}, 0, 1.0f, "\n ERREUR idctexp_u2_init : nombre d'images 0 refuse (entier de 1 a 256)\n"},
        {{{1, 1}}, {0, 0}, 300, 1.0f, "\n ERREUR idctexp_u2_init : nombre d'images 300 refuse (entier de 1 a 256)\n"},
        {{{1, 1}}, {0, 0}, 1, 0.0f, "\n ERREUR idctexp_u2_init : biais 0 refuse (reel strictement positif)\n"},
        {{{1, 1}}, {0, 0}, 1, -2.0f, "\n ERREUR idctexp_u2_init : biais -2 refuse (reel strictement positif)\n"},
        {{{1, 1}}, {0, 0}, 1, kInf, "\n ERREUR idctexp_u2_init : biais inf refuse (reel strictement positif)\n"},
        {{{1, 1}}, {0, 0}, 1, kNaN, "\n ERREUR idctexp_u2_init : biais nan refuse (reel strictement positif)\n"},
    };
    for (const Refusal& r : refusals) {
        const Outcome run = run_captured([&] {
            std::vector<imafl> in;
            for (std::size_t m = 0; m < r.in.size(); ++m) {
                in.push_back(make_image<imafl>(r.in[m].first, r.in[m].second, [](int, int) { return 0.0f; }));
                std::snprintf(in.back().nom, sizeof in.back().nom, "c%zu", m);
            }
            std::vector<imau2> out(r.in.size());
            if (r.kept.first != 0) {
                out[1] = make_image<imau2>(r.kept.first, r.kept.second, [](int, int) { return 0; });
                std::snprintf(out[1].nom, sizeof out[1].nom, "%s", "kept");
            }
            idctexp_t desc{r.n, r.biais, nullptr, nullptr};
            idctexp_u2_init(&desc, in.data(), out.data());
        });
        EXPECT_TRUE(ended(run, 1, r.message));
    }
}

TEST(IdctExp, DialogueAsksTheNumberOfImagesAndTheBias) {
    auto ask = [](const std::string& count, const std::string& bias) {
        return run_phase({count, bias, "next"}, [](param* head) {
            idctexp_t desc{};
            param* next = idctexp_lect(&desc, head, ">> idct-exp :");
            std::fprintf(stderr, "%d %g %s", desc.nb_images, static_cast<double>(desc.biais), next->rep);
            return next;
        }, [](param*, param*) {});
    };
    const Outcome asked = ask("3", "2.5");
    EXPECT_EQ(asked.err, "3 2.5 next");
    EXPECT_NE(asked.out.find("\n>> idct-exp : nombre d'images = 3\n"
                             "\n>> idct-exp : biais a corriger (division apres l'exponentielle) = 2.5\n"),
              std::string::npos);
    EXPECT_EQ(ask("256", "1e-3 fois").err, "256 0.001 next");
    EXPECT_EQ(ask("1", "1e-40").err, "1 9.99995e-41 next");  // a denormal bias is still positive

    const std::string count_question = ">> idct-exp : nombre d'images";
    for (const char* reply : {"0", "-3", "257", "x", "4294967297"})
        EXPECT_TRUE(ended_saying(ask(reply, "1"), 1,
                                 std::string("\n>> ERREUR idctexp_lect : reponse \"") + reply +
                                     "\" refusee a la question \"" + count_question + "\" (entier de 1 a 256)\n"))
            << reply;

    const std::string bias_question = ">> idct-exp : biais a corriger (division apres l'exponentielle)";
    // 0, negative or rounding to 0 in single precision: not a divisor.
    for (const char* reply : {"0", "-1", "abc", "1e-50", "-0"})
        EXPECT_TRUE(ended_saying(ask("2", reply), 1,
                                 std::string("\n>> ERREUR idctexp_lect : reponse \"") + reply +
                                     "\" refusee a la question \"" + bias_question + "\" (reel strictement positif)\n"))
            << reply;
    // Beyond the range of float, or not a number: refused as any float question refuses them.
    for (const char* reply : {"1e39", "nan", "inf"})
        EXPECT_TRUE(ended_saying(ask("2", reply), 1,
                                 std::string("\n>> ERREUR idctexp_lect : reponse \"") + reply +
                                     "\" refusee a la question \"" + bias_question + "\" (reel de"))
            << reply;
}
