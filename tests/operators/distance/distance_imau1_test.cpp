// The distance image: the optimised weights of the known ratios and scales,
// the two scans as stated, rescaled, on random images and scales, all-zero
// results, and the refusals of calc. The dialogue and a result by eye:
// tests/programs/distance_image_tool_test.cpp.

#include "distance_imau1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "chamfer_reference.hpp"
#include "files.hpp"
#include "images.hpp"
#include "sweep.hpp"

using namespace testing_support;
using chamfer_reference::Image;

namespace {

struct Case : Image {
    distance_imau1_t desc;
    std::string describe() const { return Image::describe() + " L " + std::to_string(desc.L) + " n " + std::to_string(desc.n); }
};

// init and calc; what calc printed goes to *printed.
std::vector<unsigned char> distance(Case c, std::string* printed = nullptr) {
    imau1 in = make_image<imau1>(c.nc, c.nr, pixels_from(c.v, c.nc));
    imau1 out{};
    distance_imau1_init(&c.desc, in, &out);
    EXPECT_EQ(shape(out), shape(in));
    const std::string said = quietly([&] { EXPECT_EQ(distance_imau1_calc(&c.desc, in, &out), 0); });
    if (printed != nullptr) *printed = said;
    const std::vector<unsigned char> result = pixels_of(out);
    free_imau1(&in);
    free_imau1(&out);
    return result;
}

std::string printed_by(distance_imau1_t desc) {
    std::string printed;
    distance({{7, 6, std::vector<unsigned char>(42, 1)}, desc}, &printed);
    return printed;
}

}  // namespace

TEST(DistanceImau1, OptimisedWeightsOfKnownRatios) {
    const std::pair<distance_imau1_t, std::string> known[] = {
        {{1, 10}, "Aopt=10  Bopt=14  Copt=22  Dopt=10   Eopt=22\npour n=10  et L=1.000000\n"},
        {{1, 100}, "Aopt=99  Bopt=141  Copt=221  Dopt=99   Eopt=221\npour n=100  et L=1.000000\n"},
        {{2, 10}, "Aopt=20  Bopt=22  Copt=41  Dopt=10   Eopt=27\npour n=10  et L=2.000000\n"},
    };
    for (const auto& [desc, lines] : known)
        EXPECT_EQ(printed_by(desc), lines + "largeur= 7  hauteur= 6\n\nFIN IMAGE DE DISTANCE: \n\n");
}

TEST(DistanceImau1, MatchesTheRescaledTwoScans) {
    // L: 1, 2, both ends of its range and random values; n from the
    // smallest scale L = 1/16 allows to 300.
    auto make = [](std::mt19937& random, int) {
        const float ratios[] = {1, 2, 0.0625f, 16, 0.0625f + static_cast<float>(random() % 1000) / 1000 * 15.9375f};
        return Case{chamfer_reference::random_image(random), {ratios[random() % 5], 10 + static_cast<int>(random() % 291)}};
    };
    auto reference = [](const Case& c) {
        int A, B, C, D, E;
        std::sscanf(printed_by(c.desc).c_str(), "Aopt=%d  Bopt=%d  Copt=%d  Dopt=%d   Eopt=%d", &A, &B, &C, &D, &E);
        const std::vector<int> r = chamfer_reference::two_scans(c, chamfer_reference::table(A, D, B, C, E));
        const int largest = *std::max_element(r.begin(), r.end());
        std::vector<unsigned char> out;
        for (int v : r) out.push_back(largest == 0 ? 0 : static_cast<unsigned char>(v * 255.0 / largest));
        return out;
    };
    reference_sweep(41, 300, make, [](const Case& c) { return distance(c); }, reference);
}

TEST(DistanceImau1, EveryResultZeroGivesAnAllZeroImage) {
    std::vector<unsigned char> frame_only(49, 0);  // non-zero pixels in the frame only
    for (int k : {0, 8, 13, 48}) frame_only[static_cast<std::size_t>(k)] = 200;
    EXPECT_EQ(distance({{7, 7, frame_only}, {1, 10}}), std::vector<unsigned char>(49, 0));
    EXPECT_EQ(distance({{4, 6, std::vector<unsigned char>(24, 9)}, {2, 10}}), std::vector<unsigned char>(24, 0));
}

TEST(DistanceImau1, CalcRefusesWhatTheDialogueRefuses) {
    auto calc = [](float L, int n, int out_nc) {
        return run_captured([=] {
            imau1 in = make_image<imau1>(6, 5, [](int, int) { return 1; });
            imau1 out = make_image<imau1>(out_nc, 5, [](int, int) { return 0; });
            distance_imau1_t desc{L, n};
            distance_imau1_calc(&desc, in, &out);
        });
    };
    const std::string who = "\n>> ERREUR distance_imau1_calc : ";
    EXPECT_TRUE(ended(calc(0, 10, 6), 1, who + "L=0 refuse (reel de 0.0625 a 16)\n"));
    EXPECT_TRUE(ended(calc(1, 0, 6), 1, who + "n=0 refuse pour L=1 (entier de 1 a 762594655)\n"));
    EXPECT_TRUE(ended(calc(1, 10, 7), 1, who + "image resultat 7x5 differente de l'image initiale 6x5\n"));
}
