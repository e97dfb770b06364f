// The seeded generators: fixed sequences, and the properties that the
// samples, the demonstration and the benchmarks rely on.

#include "generators.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

std::uint64_t fnv1a(const gen::Bytes& bytes) {
    std::uint64_t h = 0xcbf29ce484222325u;
    for (const unsigned char b : bytes) h = (h ^ b) * 0x100000001b3u;
    return h;
}

// The demonstration's samples (gradient.ima, the samples of phantom.vol)
// keep their bytes: its object counts and sections depend on them.
TEST(Generators, DemoSamplesKeepTheirBytes) {
    EXPECT_EQ(fnv1a(gen::pattern_image(256, 192)), 0x810e8540c7cd127eu);
    EXPECT_EQ(fnv1a(gen::phantom_volume(96, 80, 48, 5, 60)), 0xd3bcaa376fc44647u);
}

TEST(Generators, PatternIsASmoothRampOverMostOfTheGreyRange) {
    const int nc = 256, nr = 192;
    const gen::Bytes p = gen::pattern_image(nc, nr);
    ASSERT_EQ(p.size(), static_cast<std::size_t>(nc) * nr);
    EXPECT_EQ(p[static_cast<std::size_t>(77) * nc + 13], gen::pattern(13, 77, nc, nr));
    const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
    EXPECT_LE(*lo, 40);
    EXPECT_GE(*hi, 200);
    EXPECT_LT(p.front(), p.back());  // dark top-left, bright bottom-right
    for (int y = 0; y < nr; ++y)
        for (int x = 1; x < nc; ++x)
            ASSERT_LE(std::abs(p[static_cast<std::size_t>(y) * nc + x] - p[static_cast<std::size_t>(y) * nc + x - 1]), 8)
                << x << "," << y;
}

TEST(Generators, PhantomNoiseShareIsNearThePerMilleAsked) {
    const gen::Bytes v = gen::phantom_volume(96, 80, 48, 5, 60);
    ASSERT_EQ(v.size(), 96u * 80u * 48u);
    EXPECT_EQ(v, gen::phantom_volume(96, 80, 48, 5, 60));
    const double dark = static_cast<double>(std::count(v.begin(), v.end(), 0)) / static_cast<double>(v.size());
    const double bright = static_cast<double>(std::count(v.begin(), v.end(), 255)) / static_cast<double>(v.size());
    EXPECT_NEAR(dark, 0.030, 0.002);
    EXPECT_NEAR(bright, 0.030, 0.002);

    // Without noise only the gradient, the tube and the ball remain.
    const gen::Bytes clean = gen::phantom_volume(96, 80, 48, 5, 0);
    for (const unsigned char s : clean) ASSERT_TRUE((s >= 40 && s < 100) || s == 160 || s == 210) << int{s};
    EXPECT_GT(std::count(clean.begin(), clean.end(), 210), 0);
    EXPECT_GT(std::count(clean.begin(), clean.end(), 160), 0);
}

TEST(Generators, BridgedCombHasItsTeethAndStaircaseOfBridges) {
    const int n = 64;
    const gen::Bytes p = gen::bridged_combs_image(n, 8);
    auto at = [&](int x, int y) { return p[static_cast<std::size_t>(y) * n + x]; };
    for (int y = 0; y < n; ++y) ASSERT_EQ(at(56, y), 255) << y;
    // Teeth t and t-1 are bridged on row 1 + 2 * (7 - t), rightmost first.
    EXPECT_EQ(at(52, 1), 255);
    EXPECT_EQ(at(52, 2), 0);
    EXPECT_EQ(at(4, 13), 255);
    EXPECT_EQ(at(4, 1), 0);
    // 8 teeth of 64 pixels and 7 bridges of 7 pixels between the teeth.
    EXPECT_EQ(std::count(p.begin(), p.end(), 255), 8 * 64 + 7 * 7);
}

}  // namespace
