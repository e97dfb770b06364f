// Bresenham's segments: the tie rules by eye, every segment between the
// points of a 7 x 7 grid (all octants, both directions) against the
// rounding it makes, and end points outside the image.

#include "breshenham.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

using Pixels = std::set<std::pair<int, int>>;  // (column, row)

// The pixels the segment sets (to 7) in a 7 x 7 image of zeros.
Pixels drawn(int x0, int y0, int x1, int y1) {
    imau1 img = make_image<imau1>(7, 7, [](int, int) { return 0; });
    EXPECT_EQ(breshenham(img, x0, y0, x1, y1, 7), 0);
    Pixels set;
    for (int k = 0; k < 49; ++k)
        if (img.pixels[0][k] == 7) set.insert({k % 7, k / 7});
    free_imau1(&img);
    return set;
}

}  // namespace

TEST(Breshenham, TieRulesByEye) {
    EXPECT_EQ(drawn(2, 1, 2, 1), (Pixels{{2, 1}}));
    EXPECT_EQ(drawn(0, 0, 4, 0), (Pixels{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
    EXPECT_EQ(drawn(0, 0, 4, 2), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));  // halfway keeps the row
    EXPECT_EQ(drawn(0, 0, 3, 3), (Pixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
}

TEST(Breshenham, EverySegmentOfAGridRoundsHalvesDown) {
    // At step k of M along the major axis (columns on ties), the minor
    // coordinate has moved k m / M rounded to the nearest, halves down.
    for (int from = 0; from < 49; ++from)
        for (int to = 0; to < 49; ++to) {
            const int x0 = from % 7, y0 = from / 7, dx = to % 7 - x0, dy = to / 7 - y0;
            const int M = std::max(std::abs(dx), std::abs(dy)), m = std::min(std::abs(dx), std::abs(dy));
            Pixels expected;
            for (int k = 0; k <= M; ++k) {
                const int minor = M == 0 ? 0 : (2 * k * m + M - 1) / (2 * M);
                const bool columns = std::abs(dy) <= std::abs(dx);
                expected.insert({x0 + (dx < 0 ? -1 : 1) * (columns ? k : minor), y0 + (dy < 0 ? -1 : 1) * (columns ? minor : k)});
            }
            ASSERT_EQ(drawn(x0, y0, to % 7, to / 7), expected) << "(" << x0 << "," << y0 << ") to (" << to % 7 << "," << to / 7 << ")";
        }
}

TEST(Breshenham, RefusesEndPointsOutsideTheImage) {
    imau1 img = make_image<imau1>(5, 4, [](int, int) { return 0; });
    EXPECT_EQ(quietly([&] { EXPECT_EQ(breshenham(img, 0, 0, 5, 0, 7), -1); }),
              "\n>> ERREUR breshenham : segment (0,0)-(5,0) hors de l'image 5x4\n");
    quietly([&] { EXPECT_EQ(breshenham(img, -1, 2, 3, 2, 7), -1); });
    quietly([&] { EXPECT_EQ(breshenham(img, 1, 1, 1, 4, 7), -1); });
    EXPECT_EQ(pixels_of(img), std::vector<unsigned char>(20, 0));
    free_imau1(&img);
}
