// The chamfer distance bit for bit against the two scans as stated, on
// random binary images of every small size (narrower than 5, zero pixels
// in the frame, none at all), and the refusal of an output of other sizes.
// The weights and lines by eye: tests/programs/chamfer_tool_test.cpp.

#include "chanfrein_imafl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chamfer_reference.hpp"
#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;
using chamfer_reference::Image;

TEST(Chanfrein, MatchesTheTwoScansBitForBit) {
    const auto lengths = chamfer_reference::table<float>(1, 1, std::sqrt(2.0f), std::sqrt(5.0f), std::sqrt(5.0f));
    auto chamfer = [](const Image& c) {
        imau1 in = make_image<imau1>(c.nc, c.nr, pixels_from(c.v, c.nc));
        imafl out{};
        chanfrein_imafl_init(in, &out);
        EXPECT_EQ(shape(out), shape(in));
        quietly([&] { chanfrein_imafl_calc(in, &out); });
        const std::vector<float> map = pixels_of(out);
        free_imau1(&in);
        free_imafl(&out);
        return map;
    };
    reference_sweep(31, 600, [](std::mt19937& random, int) { return chamfer_reference::random_image(random); }, chamfer,
                    [&](const Image& c) { return chamfer_reference::two_scans(c, lengths); });
}

TEST(Chanfrein, CalcRefusesAnOutputOfOtherSizes) {
    const Outcome run = run_captured([] {
        imau1 in = make_image<imau1>(6, 5, [](int, int) { return 1; });
        imafl out = make_image<imafl>(5, 6, [](int, int) { return 0; });
        chanfrein_imafl_calc(in, &out);
    });
    EXPECT_TRUE(ended(run, 1, "\n>> ERREUR chanfrein_imafl_calc : image resultat 5x6 differente de l'image initiale 6x5\n"));
}
