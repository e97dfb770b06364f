// The log-DCT against the pixel-by-pixel reference written from its
// definition (identical floats, bit for bit) on random stacks of many sizes
// and lengths, plus what users rely on: the logarithm table, an orthonormal
// matrix, stacks of one image and of equal images, the outputs init makes,
// the refusals of init and of the dialogue.

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dct_reference.hpp"
#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "logdct.h"
#include "proto2D.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using Stack = std::vector<std::vector<std::uint16_t>>;

// A stack of n images of nc x nr pixels, each held flat.
struct Case {
    int nc, nr;
    Stack stack;

    std::size_t pixels() const { return static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr); }
    std::string describe() const {
        return std::to_string(stack.size()) + " images of " + std::to_string(nc) + "x" + std::to_string(nr);
    }
    std::string where(std::size_t i) const {
        const std::size_t pixel = i % pixels();
        return "coefficient " + std::to_string(i / pixels()) + " of pixel (" + std::to_string(pixel % nc) + ", " +
               std::to_string(pixel / nc) + ")";
    }
};

// The descriptor holds a 256 KiB table: on the heap.
std::unique_ptr<logdct_t> descriptor(int n) {
    auto desc = std::make_unique<logdct_t>();
    desc->nb_images = n;
    return desc;
}

// A stack as records, its coefficients and the descriptor after init,
// released together.
struct Initialised {
    std::vector<imau2> in;
    std::vector<imafl> out;
    std::unique_ptr<logdct_t> desc;

    explicit Initialised(const Case& c) : out(c.stack.size()), desc(descriptor(static_cast<int>(c.stack.size()))) {
        for (const auto& image : c.stack) in.push_back(make_image<imau2>(c.nc, c.nr, pixels_from(image, c.nc)));
        EXPECT_EQ(logdct_u2_init(desc.get(), in.data(), out.data()), 0);
    }
    Initialised(const Initialised&) = delete;
    Initialised& operator=(const Initialised&) = delete;
    ~Initialised() {
        for (imau2& image : in) free_imau2(&image);
        for (imafl& image : out) free_imafl(&image);
        logdct_ferm(desc.get());
    }
};

// init then calc, as a program runs them; the coefficients as float bits,
// image after image.
std::vector<std::uint32_t> log_dct(const Case& c) {
    Initialised run(c);
    EXPECT_EQ(logdct_u2_calc(run.desc.get(), run.in.data(), run.out.data()), 0);
    std::vector<std::uint32_t> bits;
    for (const imafl& image : run.out)
        for (float value : pixels_of(image)) bits.push_back(std::bit_cast<std::uint32_t>(value));
    return bits;
}

std::vector<std::uint32_t> reference(const Case& c) {
    std::vector<std::uint32_t> bits;
    for (const auto& image : dct_reference::log_dct(c.stack))
        for (float value : image) bits.push_back(std::bit_cast<std::uint32_t>(value));
    return bits;
}

// Levels 0 ... 65535 of the given kind: 8-bit contents of the generators
// kept as they are (0 and 1 among them, many ties) or widened with a
// random low byte, or uniform 16-bit values.
std::vector<std::uint16_t> levels(std::mt19937& random, int nc, int nr, int kind) {
    const gen::Bytes bytes = gen::random_volume(random, nc, nr, 1, gen::kContents[random() % std::size(gen::kContents)]);
    std::vector<std::uint16_t> image(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (kind == 0) image[i] = bytes[i];
        else if (kind == 1) image[i] = static_cast<std::uint16_t>(bytes[i] << 8 | (random() & 0xff));
        else image[i] = static_cast<std::uint16_t>(random());
    }
    return image;
}

Case equal_images(int n, std::uint16_t v) { return {3, 2, Stack(static_cast<std::size_t>(n), std::vector<std::uint16_t>(6, v))}; }

// The coefficients of a one-pixel-per-image case, as floats.
std::vector<float> coefficients(const Case& c) {
    std::vector<float> values;
    for (std::uint32_t bits : log_dct(c)) values.push_back(std::bit_cast<float>(bits));
    return values;
}

}  // namespace

TEST(LogDct, MatchesTheReferenceBitForBitOnRandomStacks) {
    // Stacks of 1 ... 10 images and a few longer ones; images from 1 pixel to
    // several stretches of 512 with a tail, so that blocks of 32, the pixels
    // after the last block and the last short stretch are all met.
    const int lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 16, 31};
    auto make = [&](std::mt19937& random, int trial) {
        const int n = lengths[trial % std::size(lengths)];
        const int nc = 1 + static_cast<int>(random() % (trial % 3 == 0 ? 700 : 40));
        const int nr = 1 + static_cast<int>(random() % 5);
        Case c{nc, nr, {}};
        for (int m = 0; m < n; ++m) c.stack.push_back(levels(random, nc, nr, trial / 13 % 3));
        return c;
    };
    reference_sweep(17, 117, make, log_dct, reference);
}

TEST(LogDct, TheTableHoldsTheNearestFloatToEachLogarithm) {
    const Initialised run({1, 1, {{0}}});
    const logdct_t* desc = run.desc.get();
    EXPECT_EQ(std::bit_cast<std::uint32_t>(desc->tab_log[0]), 0u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(desc->tab_log[1]), 0u);
    int far = 0;
    for (int v = 2; v < LOGDCT_LEVELS; ++v) {
        // Within half a unit in the last place of ln v, computed in long double.
        const float entry = desc->tab_log[v];
        const long double exact = std::log(static_cast<long double>(v));
        const long double ulp = std::nextafter(entry, INFINITY) - entry;
        if (std::fabs(entry - exact) > ulp / 2) ++far;
    }
    EXPECT_EQ(far, 0);
}

TEST(LogDct, TheMatrixIsOrthonormalUpToSinglePrecision) {
    // M M^T = I within a few roundings of its float entries.
    for (int n : {1, 2, 3, 5, 8, 64, 256}) {
        const Initialised run({1, 1, Stack(static_cast<std::size_t>(n), {2})});
        const logdct_t* desc = run.desc.get();
        double worst = 0;
        for (int k = 0; k < n; ++k)
            for (int l = 0; l < n; ++l) {
                double dot = 0;
                for (int m = 0; m < n; ++m) dot += static_cast<double>(desc->matrice[k][m]) * desc->matrice[l][m];
                worst = std::max(worst, std::fabs(dot - (k == l ? 1.0 : 0.0)));
            }
        EXPECT_LT(worst, 4e-7) << n << " images";
    }
}

TEST(LogDct, OneImageGivesItsLogarithms) {
    std::vector<std::uint16_t> image;
    for (int v = 0; v < LOGDCT_LEVELS; ++v) image.push_back(static_cast<std::uint16_t>(v));
    const std::vector<float> out = coefficients({256, 256, {image}});
    int wrong = 0;
    for (int v = 0; v < LOGDCT_LEVELS; ++v)
        if (out[v] != (v < 2 ? 0.0f : static_cast<float>(std::log(v)))) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_FALSE(std::signbit(out[0]) || std::signbit(out[1]));
}

TEST(LogDct, EqualImagesGiveOneCoefficient) {
    // Coefficient 0 is sqrt(n) ln v and the others vanish, up to the
    // rounding of n float products and sums of terms of size ln v / sqrt(n)
    // (and of the matrix entries): a bound of 4 n 2^-24 ln v.
    for (int n : {1, 2, 3, 5, 8, 16, 64}) {
        for (std::uint16_t v : {0, 1, 2, 3, 100, 4097, 65535}) {
            const std::vector<float> out = coefficients(equal_images(n, v));
            const double ln = v < 2 ? 0.0 : std::log(v);
            const double tolerance = 4 * n * std::ldexp(1.0, -24) * ln;
            for (int k = 0; k < n; ++k) {
                const double expected = k == 0 ? std::sqrt(n) * ln : 0.0;
                for (int pixel = 0; pixel < 6; ++pixel)
                    ASSERT_LE(std::fabs(out[static_cast<std::size_t>(k) * 6 + pixel] - expected), tolerance)
                        << n << " images of " << v << ", coefficient " << k;
            }
        }
    }
}

TEST(LogDct, InitNamesAndSizesOneCoefficientImagePerInput) {
    Case c{5, 3, {std::vector<std::uint16_t>(15, 7), std::vector<std::uint16_t>(15, 8), std::vector<std::uint16_t>(15, 9)}};
    // Init runs on records named by the reader ("name.ext").
    Initialised run(c);
    std::snprintf(run.in[0].nom, sizeof run.in[0].nom, "%s", "stack/first.imw");
    std::snprintf(run.in[1].nom, sizeof run.in[1].nom, "%s", "second.imw");
    for (imafl& image : run.out) free_imafl(&image);
    logdct_ferm(run.desc.get());
    ASSERT_EQ(logdct_u2_init(run.desc.get(), run.in.data(), run.out.data()), 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(shape(run.out[k]), "5x3");
        EXPECT_EQ(std::string(run.out[k].nom), "stack/first.imw_logdct_" + std::to_string(k));
        EXPECT_TRUE(rows_linked(run.out[k]));
    }
    // A name that does not leave room for the suffix is cut to the field.
    std::snprintf(run.in[0].nom, sizeof run.in[0].nom, "%s", std::string(LONG_NOM - 1, 'x').c_str());
    for (imafl& image : run.out) free_imafl(&image);
    logdct_ferm(run.desc.get());
    logdct_u2_init(run.desc.get(), run.in.data(), run.out.data());
    EXPECT_EQ(std::string(run.out[2].nom), std::string(LONG_NOM - 1, 'x'));
}

TEST(LogDct, InitRefusesStacksOfDifferentSizesAndCountsOutOfRange) {
    struct Refusal {
        std::vector<std::pair<int, int>> sizes;
        int n;
        std::string message;
    };
    const Refusal refusals[] = {
        {{{5, 3}, {4, 3}}, 2,
         "\n ERREUR logdct_u2_init : tailles differentes : image 2/2 (im1) 4x3, image 1/2 (im0) 5x3\n"},
        {{{5, 3}, {5, 3}, {5, 2}}, 3,
         "\n ERREUR logdct_u2_init : tailles differentes : image 3/3 (im2) 5x2, image 1/3 (im0) 5x3\n"},
        {{{1, 1}}, 0, "\n ERREUR logdct_u2_init : nombre d'images 0 refuse (entier de 1 a 256)\n"},
        {{{1, 1}}, 257, "\n ERREUR logdct_u2_init : nombre d'images 257 refuse (entier de 1 a 256)\n"},
        {{{1, 1}}, INT_MIN, "\n ERREUR logdct_u2_init : nombre d'images -2147483648 refuse (entier de 1 a 256)\n"},
    };
    for (const Refusal& r : refusals) {
        const Outcome run = run_captured([&] {
            std::vector<imau2> in;
            for (std::size_t m = 0; m < r.sizes.size(); ++m) {
                in.push_back(make_image<imau2>(r.sizes[m].first, r.sizes[m].second, [](int, int) { return 1; }));
                std::snprintf(in.back().nom, sizeof in.back().nom, "im%zu", m);
            }
            std::vector<imafl> out(r.sizes.size());
            auto desc = descriptor(r.n);
            logdct_u2_init(desc.get(), in.data(), out.data());
        });
        EXPECT_TRUE(ended(run, 1, r.message));
    }
}

TEST(LogDct, DialogueAsksTheNumberOfImagesAndRefusesCountsOutsideOneTo256) {
    auto count = [](const std::string& reply) {
        return run_phase({reply, "next"}, [](param* head) {
            static logdct_t desc;
            param* next = logdct_lect(&desc, head, ">> log-dct :");
            std::fprintf(stderr, "%d %s", desc.nb_images, next->rep);
            return next;
        }, [](param*, param*) {});
    };
    const Outcome three = count("3 images");
    EXPECT_EQ(three.err, "3 next");
    EXPECT_NE(three.out.find("\n>> log-dct : nombre d'images = 3 images\n"), std::string::npos);
    EXPECT_EQ(count("1").err, "1 next");
    EXPECT_EQ(count("256").err, "256 next");
    for (const char* reply : {"0", "-1", "257", "abc", "99999999999"}) {
        EXPECT_TRUE(ended_saying(count(reply), 1,
                                 std::string("\n>> ERREUR logdct_lect : reponse \"") + reply +
                                     "\" refusee a la question \">> log-dct : nombre d'images\" (entier de 1 a 256)\n"))
            << reply;
    }
}
