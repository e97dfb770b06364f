// The inverse DCT and exponential against the reference written from its
// definition on random coefficients, special values and biases; levels
// given back and halved, the clamps, the outputs init makes or keeps, and
// the refusals of init and of the dialogue.

#include "idctexp.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "dct_reference.hpp"
#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Case {
    int nc, nr;
    dct_reference::Coefficients stack;
    float biais;
    std::string describe() const {
        return std::to_string(stack.size()) + " images of " + std::to_string(nc) + "x" + std::to_string(nr) +
               ", bias " + std::to_string(biais);
    }
    std::string where(std::size_t i) const {
        return "value " + std::to_string(i / stack[0].size()) + ", pixel " + std::to_string(i % stack[0].size());
    }
};

// init then calc, as a program runs them, with output 1 allocated
// beforehand when `kept` is set (init must keep it); the values image after
// image, and the outputs' names.
std::vector<std::uint16_t> idct_exp(const Case& c, bool kept = false, std::string* names = nullptr) {
    std::vector<imafl> in;
    for (const auto& image : c.stack) {
        in.push_back(make_image<imafl>(c.nc, c.nr, pixels_from(image, c.nc)));
        std::snprintf(in.back().nom, LONG_NOM, "c%zu.imf", in.size() - 1);
    }
    std::vector<imau2> out(in.size());
    if (kept) out[1] = make_image<imau2>(c.nc, c.nr, [](int, int) { return 9; });
    unsigned short** kept_pixels = out[1 % out.size()].pixels;
    idctexp_t desc{static_cast<int>(in.size()), c.biais, nullptr, nullptr};
    EXPECT_EQ(idctexp_u2_init(&desc, in.data(), out.data()), 0);
    if (kept) {
        EXPECT_EQ(out[1].pixels, kept_pixels);
    }
    EXPECT_EQ(idctexp_u2_calc(&desc, in.data(), out.data()), 0);
    std::vector<std::uint16_t> values;
    for (std::size_t k = 0; k < in.size(); ++k) {
        for (unsigned short v : pixels_of(out[k])) values.push_back(v);
        if (names != nullptr) *names += shape(out[k]) + " " + out[k].nom + "\n";
        free_imafl(&in[k]);
        free_imau2(&out[k]);
    }
    idctexp_ferm(&desc);
    return values;
}

std::vector<std::uint16_t> reference(const Case& c) {
    std::vector<std::uint16_t> values;
    for (const auto& image : dct_reference::idct_exp(c.stack, c.biais))
        values.insert(values.end(), image.begin(), image.end());
    return values;
}

// One image holding the nearest float to ln v for every level v.
Case all_logarithms(float biais) {
    Case c{256, 256, {{}}, biais};
    for (unsigned v = 0; v < 65536; ++v) c.stack[0].push_back(dct_reference::log_level(v));
    return c;
}

}  // namespace

TEST(IdctExp, MatchesTheReferenceOnRandomCoefficientsAndBiases) {
    // 1 ... 10, 13, 16 and 31 images; from 1 pixel to several stretches of
    // 512 with a tail; the log-DCT of random levels with some coefficient
    // images zeroed (as a filter would), reals of -30 ... 30, or those with
    // a quarter of special values; biases from denormal to FLT_MAX.
    const int lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 16, 31};
    const float biases[] = {1.0f, 2.0f, 0.5f, 3.7f, 1e-3f, 1e4f, 1e-40f, FLT_MAX};
    const float specials[] = {0.0f, -0.0f, kInf, -kInf, kNaN, 1e30f, -1e30f, FLT_MIN / 4, 88.0f, 89.0f, -104.0f};
    auto make = [&](std::mt19937& random, int trial) {
        const int n = lengths[trial % 13], kind = trial / 13 % 3;
        Case c{1 + static_cast<int>(random() % (trial % 3 ? 40 : 700)),
               1 + static_cast<int>(random() % 5),
               {},
               biases[trial % 8]};
        const std::size_t pixels = static_cast<std::size_t>(c.nc) * c.nr;
        std::uniform_real_distribution<float> wide(-30.0f, 30.0f);
        dct_reference::Levels levels(n);
        for (auto& image : levels)
            while (image.size() < pixels) image.push_back(static_cast<std::uint16_t>(random()));
        c.stack = dct_reference::log_dct(levels);
        for (std::size_t k = 1; k < c.stack.size(); ++k)
            if (random() % 3 == 0) std::fill(c.stack[k].begin(), c.stack[k].end(), 0.0f);
        for (auto& image : c.stack)
            for (float& value : image)
                if (kind > 0) value = kind == 2 && random() % 4 == 0 ? specials[random() % 11] : wide(random);
        return c;
    };
    reference_sweep(
        23, 156, make, [](const Case& c) { return idct_exp(c); }, reference);
}

TEST(IdctExp, OneImageGivesBackItsLevelsAndABiasOfTwoHalvesThem) {
    // e^a lies within 5e-7 v of v, far from the half level that would move
    // b: v comes back for v >= 2, 0 and 1 (coefficient 0) as e^0 = 1. With a
    // bias of 2, an even v gives v / 2 and an odd one a neighbouring half.
    const std::vector<std::uint16_t> same = idct_exp(all_logarithms(1.0f)), halved = idct_exp(all_logarithms(2.0f));
    int wrong = 0;
    for (int v = 0; v < 65536; ++v) {
        if (same[v] != (v < 2 ? 1 : v)) ++wrong;
        if (v < 2 ? halved[v] != 1 : v % 2 == 0 ? halved[v] != v / 2 : std::abs(2 * halved[v] - v) != 1) ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(IdctExp, ValuesAreClampedAt65535AndZero) {
    const struct {
        float a;  // the one coefficient of a one-image stack: b = e^a / biais + 0.5
        float biais;
        int expected;
    } clamps[] = {
        {std::log(65535.4f), 1.0f, 65535},  // b = 65535.9, truncated
        {std::log(65535.6f), 1.0f, 65535},  // b = 65536.1, clamped
        {0.0f, 1.0f / 65535.5f, 65535},     // b = 65536 exactly: clamped, not wrapped
        {std::log(200000.0f), 4.0f, 50000},
        {89.0f, 1.0f, 65535},  // e^89 is beyond float: infinity
        {kInf, 1.0f, 65535},
        {0.0f, 2.0f, 1},                        // b = 1 exactly
        {0.0f, std::nextafter(2.0f, 3.0f), 0},  // b just under 1
        {88.0f, FLT_MAX, 0},
        {-200.0f, 1.0f, 0},  // e^-200 is 0
        {-kInf, 1.0f, 0},
        {kNaN, 1.0f, 0},
    };
    for (const auto& c : clamps)
        EXPECT_EQ(idct_exp({1, 1, {{c.a}}, c.biais})[0], c.expected) << "a = " << c.a << ", bias " << c.biais;
    // inf + -inf in the second sum is not a number either.
    EXPECT_EQ(idct_exp({1, 1, {{kInf}, {kInf}}, 1.0f}), (std::vector<std::uint16_t>{65535, 0}));
}

TEST(IdctExp, InitMakesTheMissingOutputsAndKeepsThoseAlreadyAllocated) {
    std::string names;
    const auto values =
        idct_exp({4, 2, dct_reference::Coefficients(3, std::vector<float>(8, 0.0f)), 1.0f}, true, &names);
    EXPECT_EQ(names, "4x2 c0.imf_idctexp_0\n4x2 \n4x2 c0.imf_idctexp_2\n");  // the kept output keeps its empty name
    EXPECT_EQ(values, std::vector<std::uint16_t>(24, 1));                    // e^0 everywhere, the kept image too
}

TEST(IdctExp, InitRefusesMismatchedSizesAndBiasesThatCannotDivide) {
    const struct {
        int in_width, kept_width;  // of coefficient 2, of an output 2 allocated beforehand (0: none)
        int n;
        float biais;
        const char* message;
    } refusals[] = {
        {4, 0, 2, 1.0f, "tailles differentes : coefficient 2/2 (c1) 4x3, coefficient 1/2 (c0) 5x3\n"},
        {5, 6, 2, 1.0f, "tailles differentes : image resultat 2/2 (kept) 6x3, coefficient 1/2 (c0) 5x3\n"},
        {5, 0, 2, 0.0f, "biais 0 refuse (reel strictement positif)\n"},
        {5, 0, 2, kNaN, "biais nan refuse (reel strictement positif)\n"},
    };
    for (const auto& r : refusals) {
        const Outcome run = run_captured([&] {
            std::vector<imafl> in = {make_image<imafl>(5, 3, [](int, int) { return 0.0f; }),
                                     make_image<imafl>(r.in_width, 3, [](int, int) { return 0.0f; })};
            std::snprintf(in[0].nom, LONG_NOM, "c0");
            std::snprintf(in[1].nom, LONG_NOM, "c1");
            std::vector<imau2> out(2);
            if (r.kept_width != 0) out[1] = make_image<imau2>(r.kept_width, 3, [](int, int) { return 0; });
            std::snprintf(out[1].nom, LONG_NOM, "kept");
            idctexp_t desc{r.n, r.biais, nullptr, nullptr};
            idctexp_u2_init(&desc, in.data(), out.data());
        });
        EXPECT_TRUE(ended(run, 1, std::string("\n ERREUR idctexp_u2_init : ") + r.message));
    }
}

TEST(IdctExp, DialogueAsksTheNumberOfImagesAndAPositiveBias) {
    auto ask = [](const std::string& count, const std::string& bias) {
        return run_phase(
            {count, bias, "next"},
            [](param* head) {
                idctexp_t desc{};
                param* next = idctexp_lect(&desc, head, ">> idct-exp :");
                std::fprintf(stderr, "%d %g %s", desc.nb_images, static_cast<double>(desc.biais), next->rep);
                return next;
            },
            [](param*, param*) {});
    };
    EXPECT_EQ(ask("3", "2.5").err, "3 2.5 next");
    EXPECT_EQ(ask("256", "1e-3 fois").err, "256 0.001 next");
    EXPECT_EQ(ask("1", "1e-40").err, "1 9.99995e-41 next");  // denormal, but positive
    auto refused = [](const std::string& reply, const std::string& question, const std::string& accepted) {
        return "\n>> ERREUR idctexp_lect : reponse \"" + reply +
               "\" refusee a la question \">> idct-exp : " + question + "\" (" + accepted;
    };
    for (const char* reply : {"-3", "257", "4294967297"})
        EXPECT_TRUE(ended_saying(ask(reply, "1"), 1, refused(reply, "nombre d'images", "entier de 1 a 256)\n")));
    // 0, negative or 0 once rounded to a float: no divisor; beyond float or
    // not a number: refused as every float question does.
    const std::string bias = "biais a corriger (division apres l'exponentielle)";
    for (const char* reply : {"abc", "1e-50", "-0"})
        EXPECT_TRUE(ended_saying(ask("2", reply), 1, refused(reply, bias, "reel strictement positif)\n")));
    for (const char* reply : {"1e39", "nan", "inf"})
        EXPECT_TRUE(ended_saying(ask("2", reply), 1, refused(reply, bias, "reel de")));
}
