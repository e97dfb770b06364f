// Bresenham's segments: the cases of its tie rules by eye, every segment
// between the points of a 7 x 7 grid (all octants, both directions) against
// the rounding it makes, and end points outside the image.

#include "breshenham.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

using Pixels = std::vector<std::pair<int, int>>;  // (column, row)

// The image of nc x nr after drawing the segment with value 7 into zeros.
std::vector<unsigned char> drawn(int nc, int nr, int x0, int y0, int x1, int y1) {
    imau1 img = make_image<imau1>(nc, nr, [](int, int) { return 0; });
    EXPECT_EQ(breshenham(img, x0, y0, x1, y1, 7), 0);
    std::vector<unsigned char> pixels = pixels_of(img);
    free_imau1(&img);
    return pixels;
}

std::vector<unsigned char> image_of(int nc, int nr, const Pixels& set) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(nc) * nr, 0);
    for (auto [x, y] : set) pixels[static_cast<std::size_t>(y) * nc + x] = 7;
    return pixels;
}

// At step k of M along the major axis (columns on ties), the minor
// coordinate has moved k m / M rounded to the nearest, halves down.
Pixels rounded_segment(int x0, int y0, int x1, int y1) {
    const int dx = x1 - x0, dy = y1 - y0;
    const bool columns = std::abs(dy) <= std::abs(dx);
    const int M = columns ? std::abs(dx) : std::abs(dy), m = columns ? std::abs(dy) : std::abs(dx);
    const int major_step = (columns ? dx : dy) < 0 ? -1 : 1, minor_step = (columns ? dy : dx) < 0 ? -1 : 1;
    Pixels set;
    for (int k = 0; k <= M; ++k) {
        const int moved = M == 0 ? 0 : (2 * k * m + M - 1) / (2 * M);
        const int a = k * major_step, b = moved * minor_step;
        set.emplace_back(x0 + (columns ? a : b), y0 + (columns ? b : a));
    }
    return set;
}

}  // namespace

TEST(Breshenham, TieRulesByEye) {
    struct Segment {
        int x0, y0, x1, y1;
        Pixels pixels;
    };
    const Segment segments[] = {
        {2, 1, 2, 1, {{2, 1}}},
        {0, 0, 4, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},  // halfway keeps the row
        {4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},  // and so differs backwards
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},          // a tie goes to the columns
        {1, 0, 0, 3, {{1, 0}, {1, 1}, {0, 2}, {0, 3}}},
    };
    for (const Segment& s : segments)
        EXPECT_EQ(drawn(5, 4, s.x0, s.y0, s.x1, s.y1), image_of(5, 4, s.pixels)) << s.x0 << s.y0 << s.x1 << s.y1;
}

TEST(Breshenham, EverySegmentOfAGridRoundsHalvesDown) {
    for (int from = 0; from < 49; ++from)
        for (int to = 0; to < 49; ++to) {
            const int x0 = from % 7, y0 = from / 7, x1 = to % 7, y1 = to / 7;
            ASSERT_EQ(drawn(7, 7, x0, y0, x1, y1), image_of(7, 7, rounded_segment(x0, y0, x1, y1)))
                << "(" << x0 << "," << y0 << ") to (" << x1 << "," << y1 << ")";
        }
}

TEST(Breshenham, RefusesEndPointsOutsideTheImage) {
    imau1 img = make_image<imau1>(5, 4, [](int, int) { return 0; });
    const int outside[][4] = {{0, 0, 5, 0}, {0, 0, 0, 4}, {-1, 2, 3, 2}, {1, -1, 1, 1}};
    for (const auto& s : outside) {
        int result = 0;
        const std::string said = quietly([&] { result = breshenham(img, s[0], s[1], s[2], s[3], 7); });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(said, "\n>> ERREUR breshenham : segment (" + std::to_string(s[0]) + "," + std::to_string(s[1]) + ")-(" +
                            std::to_string(s[2]) + "," + std::to_string(s[3]) + ") hors de l'image 5x4\n");
    }
    EXPECT_EQ(pixels_of(img), std::vector<unsigned char>(20, 0));
    free_imau1(&img);
}
