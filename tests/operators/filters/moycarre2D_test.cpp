// The sliding mean of squares against a plain reference on random images of
// every type, and the behaviours users rely on.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "means_reference.hpp"
#include "moycarre2D.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using reference::Case;
using reference::same;

template <class InImage, class OutImage = std::conditional_t<std::is_same_v<InImage, imadb>, imadb, imafl>>
std::vector<fw::pixel_t<OutImage>> filtered(const Case<fw::pixel_t<InImage>>& c, std::string* printed = nullptr) {
    InImage in = make_image<InImage>(c.nc, c.nr, [&](int x, int y) { return c.image[static_cast<std::size_t>(y) * c.nc + x]; });
    OutImage out{};
    moycarre2D_t d{c.colonnes, c.lignes, nullptr, nullptr};
    const std::string said = quietly([&] {
        moycarre2D_init(&d, in, &out);
        moycarre2D_calc(&d, in, &out);
    });
    if (printed != nullptr) *printed = said;
    auto pixels = pixels_of(out);
    moycarre2D_ferm(&d);
    fw::free_image(&in);
    fw::free_image(&out);
    return pixels;
}

template <class InImage>
void sweep(unsigned seed) {
    using Pixel = fw::pixel_t<InImage>;
    using Out = std::conditional_t<std::is_same_v<InImage, imadb>, double, float>;
    auto make = [](std::mt19937& random, int) {
        Case<Pixel> c;
        c.nc = 1 + static_cast<int>(random() % 30);
        c.nr = 1 + static_cast<int>(random() % 30);
        c.colonnes = 1 + 2 * static_cast<int>(random() % 12);
        c.lignes = 1 + 2 * static_cast<int>(random() % 12);
        // Levels whose squares and sums stay exact in double.
        for (int i = 0; i < c.nc * c.nr; ++i) {
            const auto level = random() % (sizeof(Pixel) == 2 ? 4096 : 256);
            c.image.push_back(std::is_integral_v<Pixel> ? static_cast<Pixel>(level) : static_cast<Pixel>(level) / 16);
        }
        return c;
    };
    auto fast = [](const Case<Pixel>& c) { return filtered<InImage>(c); };
    auto plain = [](const Case<Pixel>& c) {
        return reference::separable<Out>(c.image, c.nc, c.nr, c.colonnes, c.lignes,
                                         [](Pixel p) { return static_cast<double>(p) * static_cast<double>(p); },
                                         reference::mean<Out>);
    };
    reference_sweep(seed, 200, make, fast, plain, same<Out>);
}

}  // namespace

TEST(Moycarre2D, MatchesThePlainReferenceForEveryType) {
    sweep<imau1>(5);
    sweep<imau2>(6);
    sweep<imafl>(7);
    sweep<imadb>(8);
}

TEST(Moycarre2D, HandComputedCases) {
    // A constant 255 gives 65 025 everywhere; a 1 x 1 window gives the squares.
    EXPECT_EQ(filtered<imau1>({std::vector<unsigned char>(12, 255), 4, 3, 3, 3}), std::vector<float>(12, 65025.0f));
    EXPECT_EQ(filtered<imau2>({{0, 3, 65535}, 3, 1, 1, 1}), (std::vector<float>{0, 9, 4294836225.0f}));
    EXPECT_EQ(filtered<imafl>({{0.5f, -2}, 2, 1, 1, 1}), (std::vector<float>{0.25f, 4}));
    // Rows of 1 and 2 under 3 x 1: (1 + 4) / 2 at the ends, (1 + 4 + 1) / 3 inside.
    EXPECT_EQ(filtered<imau1>({{1, 2, 1, 2}, 4, 1, 3, 1}), (std::vector<float>{2.5f, 2, 3, 2.5f}));
}

TEST(Moycarre2D, NegativeRunningSumsOfSixteenBitImagesAreSetToZero) {
    // A large square above small fractional means: the column's running sum
    // in double ends a little below 0 once they have all left.
    std::vector<unsigned short> image(15, 0);
    image[1] = 65440;
    image[3] = 23;
    image[5] = 9;
    image[6] = 1;
    std::string printed;
    const std::vector<float> out = filtered<imau2>({image, 3, 5, 3, 3}, &printed);
    EXPECT_EQ(printed, "\n>> ATT moycarre2Du2_calc : somme(1,4)=-0.000000 mis a 0\n");
    EXPECT_EQ(out[13], 0.0f);
    EXPECT_GT(out[1], 0.0f);
}

TEST(Moycarre2D, NamesAndRefusals) {
    imau1 in = make_image<imau1>(2, 2, [](int, int) { return 1; });
    std::snprintf(in.nom, sizeof in.nom, "a.ima");
    imafl out{};
    imadb din = make_image<imadb>(2, 2, [](int, int) { return 1; }), dout{};
    std::snprintf(din.nom, sizeof din.nom, "b.imf");
    moycarre2D_t d{5, 3, nullptr, nullptr};
    moycarre2D_init(&d, in, &out);
    EXPECT_STREQ(out.nom, "a.ima(moycarre5x3)");
    moycarre2D_init(&d, din, &dout);
    EXPECT_STREQ(dout.nom, "b.imf(moy5x3)");
    moycarre2D_ferm(&d);
    for (auto* image : {&out}) fw::free_image(image);
    fw::free_image(&in);
    fw::free_image(&din);
    fw::free_image(&dout);

    const Outcome even = run_phase({"3", "2"}, [](param* head) {
        moycarre2D_t m;
        return moycarre2D_lect(&m, head, ">> moyenne des carres :");
    }, [](param*, param*) {});
    EXPECT_TRUE(ended_saying(even, 1, "\n>> ERREUR moycarre2D_lect : dimensions incorrectes\n"));
}
