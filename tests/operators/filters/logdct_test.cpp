// The log-DCT against the reference written from its definition, bit for
// bit, on random stacks; the logarithms, equal images, the outputs of init
// and its refusals.

#include "logdct.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "dct_reference.hpp"
#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int nc, nr;
    dct_reference::Levels stack;
    std::string describe() const {
        return std::to_string(stack.size()) + " images of " + std::to_string(nc) + "x" + std::to_string(nr);
    }
    std::string where(std::size_t i) const {
        return "coefficient " + std::to_string(i / stack[0].size()) + ", pixel " + std::to_string(i % stack[0].size());
    }
};

// init and calc on the stack, its first image named `name`: the
// coefficients image after image as float bits, and the outputs' sizes
// and names.
std::vector<std::uint32_t> log_dct(const Case& c, std::string* names = nullptr, const std::string& name = "") {
    std::vector<imau2> in;
    for (const auto& image : c.stack) in.push_back(make_image<imau2>(c.nc, c.nr, pixels_from(image, c.nc)));
    std::snprintf(in[0].nom, LONG_NOM, "%s", name.c_str());
    std::vector<imafl> out(in.size());
    auto desc = std::make_unique<logdct_t>();  // 256 KiB of table
    desc->nb_images = static_cast<int>(in.size());
    EXPECT_EQ(logdct_u2_init(desc.get(), in.data(), out.data()), 0);
    EXPECT_EQ(logdct_u2_calc(desc.get(), in.data(), out.data()), 0);
    std::vector<std::uint32_t> bits;
    for (std::size_t k = 0; k < in.size(); ++k) {
        for (float value : pixels_of(out[k])) bits.push_back(std::bit_cast<std::uint32_t>(value));
        if (names != nullptr) *names += shape(out[k]) + " " + out[k].nom + "\n";
        free_imau2(&in[k]);
        free_imafl(&out[k]);
    }
    logdct_ferm(desc.get());
    return bits;
}

std::vector<std::uint32_t> reference(const Case& c) {
    std::vector<std::uint32_t> bits;
    for (const auto& image : dct_reference::log_dct(c.stack))
        for (float value : image) bits.push_back(std::bit_cast<std::uint32_t>(value));
    return bits;
}

}  // namespace

TEST(LogDct, MatchesTheReferenceBitForBitOnRandomStacks) {
    // 1 ... 10, 13, 16 and 31 images; from 1 pixel to several stretches of
    // 512 with a tail (blocks of 32 and the pixels after them); levels of
    // the generators' 8-bit contents (0 and 1 among them, many ties), the
    // same widened with a random low byte, or any 16-bit level.
    const int lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 16, 31};
    auto make = [&](std::mt19937& random, int trial) {
        Case c{1 + static_cast<int>(random() % (trial % 3 ? 40 : 700)), 1 + static_cast<int>(random() % 5), {}};
        for (int m = 0; m < lengths[trial % 13]; ++m) {
            auto& image = c.stack.emplace_back();
            for (unsigned b : gen::random_volume(random, c.nc, c.nr, 1, gen::kContents[random() % 7])) {
                const int kind = trial / 13 % 3;
                image.push_back(static_cast<std::uint16_t>(kind == 0   ? b
                                                           : kind == 1 ? b << 8 | (random() & 0xff)
                                                                       : random()));
            }
        }
        return c;
    };
    reference_sweep(
        17, 117, make, [](const Case& c) { return log_dct(c); }, reference);
}

TEST(LogDct, OneImageGivesTheNearestFloatToEachLogarithm) {
    Case all{256, 256, {{}}};
    for (int v = 0; v < 65536; ++v) all.stack[0].push_back(static_cast<std::uint16_t>(v));
    const std::vector<std::uint32_t> bits = log_dct(all);
    EXPECT_EQ(bits[0] | bits[1], 0u);  // +0 for 0 and 1
    int far = 0;                       // more than half a unit in the last place from ln v
    for (int v = 2; v < 65536; ++v) {
        const float got = std::bit_cast<float>(bits[v]);
        if (std::fabs(got - std::log(static_cast<long double>(v))) > (std::nextafter(got, INFINITY) - got) / 2.0L)
            ++far;
    }
    EXPECT_EQ(far, 0);
}

TEST(LogDct, EqualImagesGiveOneCoefficient) {
    // Coefficient 0 is sqrt(n) ln v, the others vanish, up to the rounding
    // of n float products and sums and of the matrix: 4 n 2^-24 ln v.
    for (int n : {1, 2, 3, 5, 8, 16, 64})
        for (std::uint16_t v : {0, 1, 2, 3, 100, 4097, 65535}) {
            const auto bits = log_dct({3, 1, dct_reference::Levels(n, {v, v, v})});
            const double ln = v < 2 ? 0.0 : std::log(v);
            for (std::size_t i = 0; i < bits.size(); ++i)
                ASSERT_LE(std::fabs(std::bit_cast<float>(bits[i]) - (i < 3 ? std::sqrt(n) * ln : 0.0)),
                          4 * n * std::ldexp(ln, -24))
                    << n << " images of " << v << ", value " << i;
        }
}

TEST(LogDct, InitNamesAndSizesOneCoefficientImagePerInput) {
    const Case c{5, 3, dct_reference::Levels(3, std::vector<std::uint16_t>(15, 7))};
    std::string names;
    log_dct(c, &names, "stack/a.imw");
    EXPECT_EQ(names, "5x3 stack/a.imw_logdct_0\n5x3 stack/a.imw_logdct_1\n5x3 stack/a.imw_logdct_2\n");
    names.clear();  // a name with no room left for the suffix is cut to the field
    const std::string longest(LONG_NOM - 1, 'x');
    log_dct(c, &names, longest);
    EXPECT_EQ(names, "5x3 " + longest + "\n5x3 " + longest + "\n5x3 " + longest + "\n");
}

TEST(LogDct, InitRefusesStacksOfDifferentSizesAndCountsOutOfRange) {
    const struct {
        int width, rows, n;  // of image 2 of a stack whose others are 5 x 3
        const char* message;
    } refusals[] = {
        {4, 3, 3, "tailles differentes : image 2/3 (im1) 4x3, image 1/3 (im0) 5x3\n"},
        {5, 2, 3, "tailles differentes : image 2/3 (im1) 5x2, image 1/3 (im0) 5x3\n"},
        {5, 3, 0, "nombre d'images 0 refuse (entier de 1 a 256)\n"},
        {5, 3, 257, "nombre d'images 257 refuse (entier de 1 a 256)\n"},
    };
    for (const auto& r : refusals) {
        const Outcome run = run_captured([&] {
            std::vector<imau2> in;
            for (int m = 0; m < 3; ++m) {
                in.push_back(make_image<imau2>(m == 1 ? r.width : 5, m == 1 ? r.rows : 3, [](int, int) { return 1; }));
                std::snprintf(in.back().nom, LONG_NOM, "im%d", m);
            }
            std::vector<imafl> out(3);
            static logdct_t desc;
            desc.nb_images = r.n;
            logdct_u2_init(&desc, in.data(), out.data());
        });
        EXPECT_TRUE(ended(run, 1, std::string("\n ERREUR logdct_u2_init : ") + r.message));
    }
}
