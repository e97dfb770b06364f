// The chamfer distance bit for bit against the two scans written out
// plainly, on random binary images of every small size; against the
// shortest mask paths where no zero pixel lies in the frame; the weights,
// the frame and small images by eye, the lines printed, the refusal of an
// output of other sizes.

#include "chanfrein_imafl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "chamfer_reference.hpp"
#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;
using chamfer_reference::Image;

namespace {

// The lengths of the offsets in single precision.
const auto kWeights = chamfer_reference::table<float>(1.0f, 1.0f, std::sqrt(2.0f), std::sqrt(5.0f), std::sqrt(5.0f));

// init and calc as a program runs them; what they printed in *printed.
std::vector<float> chamfer(const Image& c, std::string* printed = nullptr) {
    imau1 in = make_image<imau1>(c.nc, c.nr, pixels_from(c.v, c.nc));
    imafl out{};
    EXPECT_EQ(chanfrein_imafl_init(in, &out), 0);
    EXPECT_EQ(shape(out), shape(in));
    const std::string said = quietly([&] { EXPECT_EQ(chanfrein_imafl_calc(in, &out), 0); });
    if (printed != nullptr) *printed = said;
    std::vector<float> result = pixels_of(out);
    free_imau1(&in);
    free_imafl(&out);
    return result;
}

// nc x nr of ones with zeros at the given (column, row) positions.
Image ones_with_zeros(int nc, int nr, std::initializer_list<std::pair<int, int>> zeros) {
    Image image{nc, nr, std::vector<unsigned char>(static_cast<std::size_t>(nc) * nr, 1)};
    for (auto [x, y] : zeros) image.v[static_cast<std::size_t>(y) * nc + x] = 0;
    return image;
}

}  // namespace

TEST(Chanfrein, MatchesTheTwoScansBitForBit) {
    reference_sweep(
        31, 600, [](std::mt19937& random, int) { return chamfer_reference::random_image(random, 24); },
        [](const Image& c) { return chamfer(c); },
        [](const Image& c) { return chamfer_reference::two_scans(c, kWeights); });
}

TEST(Chanfrein, FindsTheShortestMaskPathsInsideTheFrame) {
    // Sums of the same weights taken in another order may round apart by a
    // few units in the last place.
    reference_sweep(
        32, 300, [](std::mt19937& random, int) { return chamfer_reference::random_image(random, 24, true); },
        [](const Image& c) { return chamfer(c); },
        [](const Image& c) { return chamfer_reference::shortest_paths(c, kWeights); },
        [](float a, float b) { return std::fabs(a - b) <= 1e-6f * b; });
}

TEST(Chanfrein, CasesCheckedByEye) {
    // One zero pixel at the centre of 9 x 9: every interior pixel is one
    // mask step away from it.
    const float by_offset[3][3] = {{0.0f, 1.0f, 2.0f}, {1.0f, 1.4142135f, 2.236068f}, {2.0f, 2.236068f, 2.828427f}};
    std::vector<float> centre;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            centre.push_back(x < 2 || y < 2 || x > 6 || y > 6 ? 0.0f : by_offset[std::abs(y - 4)][std::abs(x - 4)]);
    EXPECT_EQ(chamfer(ones_with_zeros(9, 9, {{4, 4}})), centre);

    // No zero pixel: infinity inside, 0 on the frame.
    std::vector<float> none(42, 0.0f);
    for (int y = 2; y < 4; ++y)
        for (int x = 2; x < 5; ++x) none[static_cast<std::size_t>(y) * 7 + x] = 20000.0f;
    EXPECT_EQ(chamfer(ones_with_zeros(7, 6, {})), none);

    // A zero pixel in the frame is a source for the interior, 0 itself.
    const std::vector<float> fed = chamfer(ones_with_zeros(7, 7, {{1, 3}}));
    EXPECT_EQ((std::vector<float>{fed[3 * 7 + 1], fed[3 * 7 + 2], fed[3 * 7 + 3], fed[2 * 7 + 3], fed[4 * 7 + 4]}),
              (std::vector<float>{0.0f, 1.0f, 2.0f, 2.236068f, 3.236068f}));

    // Narrower or lower than 5: all 0.
    for (auto [nc, nr] : {std::pair{4, 9}, {9, 4}, {1, 1}})
        EXPECT_EQ(chamfer(ones_with_zeros(nc, nr, {})), std::vector<float>(static_cast<std::size_t>(nc) * nr, 0.0f));
}

TEST(Chanfrein, PrintsTheCoefficientsAndSizes) {
    std::string printed;
    chamfer(ones_with_zeros(9, 6, {{4, 3}}), &printed);
    EXPECT_EQ(printed,
              "Coefficients reels du masque 5x5 de Chanfrein (Maillage Carre)\n"
              "A=1.000000  B=1.414214  C=2.236068\n"
              "largeur= 9  hauteur= 6\n"
              "\nFIN IMAGE DE DISTANCE: \n\n");
}

TEST(Chanfrein, CalcRefusesAnOutputOfOtherSizes) {
    const Outcome run = run_captured([] {
        imau1 in = make_image<imau1>(6, 5, [](int, int) { return 1; });
        imafl out = make_image<imafl>(5, 6, [](int, int) { return 0; });
        chanfrein_imafl_calc(in, &out);
    });
    EXPECT_TRUE(ended(run, 1, "\n>> ERREUR chanfrein_imafl_calc : image resultat 5x6 differente de l'image initiale 6x5\n"));
}
