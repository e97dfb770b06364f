// The sliding mean against a plain reference (every window summed afresh)
// on random images of every type and size, images smaller than the window
// included, and the behaviours users rely on.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "means_reference.hpp"
#include "moy2D.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

using reference::Case;
using reference::same;

// A random value of each type: any 8- or 16-bit level, or a multiple of
// 1/256 below 256 for reals (sums exact in double, so the order of
// additions does not show).
template <class Pixel>
Pixel random_value(std::mt19937& random) {
    if constexpr (std::is_integral_v<Pixel>) return static_cast<Pixel>(random());
    else return static_cast<Pixel>(random() % 65536) / 256;
}

template <class Image>
std::vector<fw::pixel_t<Image>> filtered(const Case<fw::pixel_t<Image>>& c) {
    Image in = make_image<Image>(c.nc, c.nr, [&](int x, int y) { return c.image[static_cast<std::size_t>(y) * c.nc + x]; });
    Image out{};
    moy2D_t d{c.colonnes, c.lignes, nullptr};
    moy2D_init(&d, in, &out);
    moy2D_calc(&d, in, &out);
    auto pixels = pixels_of(out);
    moy2D_ferm(&d);
    fw::free_image(&in);
    fw::free_image(&out);
    return pixels;
}

template <class Image>
void sweep(unsigned seed) {
    using Pixel = fw::pixel_t<Image>;
    auto make = [](std::mt19937& random, int trial) {
        Case<Pixel> c;
        c.nc = 1 + static_cast<int>(random() % 40);
        c.nr = 1 + static_cast<int>(random() % 40);
        c.colonnes = 1 + 2 * static_cast<int>(random() % (trial % 3 ? 8 : 25));
        c.lignes = 1 + 2 * static_cast<int>(random() % (trial % 3 ? 8 : 25));
        for (int i = 0; i < c.nc * c.nr; ++i) c.image.push_back(random_value<Pixel>(random));
        return c;
    };
    auto plain = [](const Case<Pixel>& c) {
        return reference::separable<Pixel>(c.image, c.nc, c.nr, c.colonnes, c.lignes,
                                           [](Pixel p) { return static_cast<double>(p); }, reference::mean<Pixel>);
    };
    reference_sweep(seed, 300, make, filtered<Image>, plain, same<Pixel>);
}

}  // namespace

TEST(Moy2D, MatchesThePlainReferenceForEveryType) {
    sweep<imau1>(1);
    sweep<imau2>(2);
    sweep<imafl>(3);
    sweep<imadb>(4);
}

TEST(Moy2D, HandComputedCases) {
    // 3 x 3 on a 2 x 2 corner block: the corner is the rounded mean of the
    // rounded row means; a mean of exactly .5 rounds up.
    const Case<unsigned char> corner{{1, 2, 0, 4, 4, 0, 0, 0, 0}, 3, 3, 3, 3};
    // Row means (rounded): 2 (1.5), 1, 1 / 4, 3 (2.67), 2 / 0, 0, 0.
    // Column means of those: (2 + 4) / 2 = 3 at the corner.
    EXPECT_EQ(filtered<imau1>(corner)[0], 3);
    EXPECT_EQ(filtered<imau1>(corner), (std::vector<unsigned char>{3, 2, 2, 2, 1, 1, 2, 2, 1}));
    // A 1 x 1 window returns the image; a constant image stays constant,
    // borders included, and a window larger than the image is the mean of
    // the whole image.
    const std::vector<unsigned short> levels = {0, 65535, 7, 40000, 1, 2};
    EXPECT_EQ(filtered<imau2>({levels, 3, 2, 1, 1}), levels);
    EXPECT_EQ(filtered<imau1>({std::vector<unsigned char>(35, 201), 7, 5, 5, 3}), std::vector<unsigned char>(35, 201));
    EXPECT_EQ(filtered<imadb>({{1, 2, 3, 4, 5, 6}, 3, 2, 31, 31}), std::vector<double>(6, 3.5));
}

TEST(Moy2D, ReadingPhaseRefusesWindowsThatAreNotPositiveAndOdd) {
    auto ask = [](const std::string& colonnes, const std::string& lignes) {
        return run_phase({colonnes, lignes}, [](param* head) {
            moy2D_t d;
            param* next = moy2D_lect(&d, head, ">> moyenne :");
            std::fprintf(stderr, "%d %d %d", d.colonnes, d.lignes, d.tampon == nullptr);
            return next;
        }, [](param*, param*) {});
    };
    EXPECT_EQ(ask("5", "3x").err, "5 3 1");
    for (const auto& [c, l] : {std::pair{"4", "3"}, {"3", "0"}, {"-3", "3"}, {"3", "x"}}) {
        const Outcome refused = ask(c, l);
        EXPECT_TRUE(ended_saying(refused, 1, "\n>> ERREUR moy2D_lect : dimensions incorrectes\n")) << c << " " << l;
    }
    EXPECT_TRUE(ended_saying(ask("3", "4294967297"), 1, "refusee a la question \">> moyenne : nombre de lignes"));
}

TEST(Moy2D, CalcNeedsTheInitOfItsVariantAndSize) {
    const Outcome run = run_captured([] {
        imau1 in = make_image<imau1>(4, 4, [](int x, int) { return x; });
        imau2 other = make_image<imau2>(4, 4, [](int x, int) { return x; });
        imau1 out{};
        moy2D_t d{3, 3, nullptr};
        moy2Du2_init(&d, other, &other);
        out = in;
        moy2Du1_calc(&d, in, &out);
    });
    EXPECT_TRUE(ended(run, 1, "\n>> ERREUR moy2Du1_calc : phase d'initialisation absente pour cette image\n"));
}
