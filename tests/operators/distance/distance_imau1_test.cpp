// The distance image: the optimised weights of the known aspect ratios and
// scales, the rescaled two scans against their plain statement on random
// images and scales, against the shortest mask paths where no zero pixel
// lies in the frame, results by eye and all-zero results, the dialogue's
// accepted and refused replies, and the refusals of calc.

#include "distance_imau1.h"

#include <gtest/gtest.h>

#include <cstdio>
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

struct Case {
    Image image;
    float L;
    int n;
    std::string describe() const { return image.describe() + ", L " + std::to_string(L) + ", n " + std::to_string(n); }
    std::string where(std::size_t i) const { return image.where(i); }
};

// init and calc; what calc printed in *printed.
std::vector<unsigned char> distance(const Case& c, std::string* printed = nullptr) {
    imau1 in = make_image<imau1>(c.image.nc, c.image.nr, pixels_from(c.image.v, c.image.nc));
    imau1 out{};
    distance_imau1_t desc{c.L, c.n};
    EXPECT_EQ(distance_imau1_init(&desc, in, &out), 0);
    EXPECT_EQ(shape(out), shape(in));
    const std::string said = quietly([&] { EXPECT_EQ(distance_imau1_calc(&desc, in, &out), 0); });
    if (printed != nullptr) *printed = said;
    std::vector<unsigned char> result = pixels_of(out);
    free_imau1(&in);
    free_imau1(&out);
    return result;
}

// The five weights calc prints for L and n.
chamfer_reference::Table<int> weights(float L, int n) {
    std::string printed;
    distance({{5, 5, std::vector<unsigned char>(25, 1)}, L, n}, &printed);
    int A = 0, B = 0, C = 0, D = 0, E = 0;
    EXPECT_EQ(std::sscanf(printed.c_str(), "Aopt=%d  Bopt=%d  Copt=%d  Dopt=%d   Eopt=%d", &A, &B, &C, &D, &E), 5);
    return chamfer_reference::table(A, D, B, C, E);
}

// Distances r rescaled to trunc(r * 255 / largest), all 0 when the largest is 0.
std::vector<unsigned char> rescaled(const std::vector<int>& r) {
    const int largest = *std::max_element(r.begin(), r.end());
    std::vector<unsigned char> out;
    for (int v : r) out.push_back(largest == 0 ? 0 : static_cast<unsigned char>(v * 255.0 / largest));
    return out;
}

// Random images with L among 1, 2, 1/16, `largest` and random values up to
// `largest`, n from the smallest scale of L = 1/16 to 300.
Case random_case(std::mt19937& random, float largest, bool frame_ones) {
    const float ratios[] = {1.0f, 2.0f, 0.0625f, largest, 0.0625f + static_cast<float>(random() % 1000) / 1000.0f * (largest - 0.0625f)};
    return {chamfer_reference::random_image(random, 24, frame_ones), ratios[random() % 5], 10 + static_cast<int>(random() % 291)};
}

}  // namespace

TEST(DistanceImau1, PrintsTheOptimisedWeightsOfKnownRatios) {
    struct Known {
        float L;
        int n;
        const char* weights;
    };
    const Known known[] = {
        {1.0f, 10, "Aopt=10  Bopt=14  Copt=22  Dopt=10   Eopt=22\npour n=10  et L=1.000000\n"},
        {1.0f, 100, "Aopt=99  Bopt=141  Copt=221  Dopt=99   Eopt=221\npour n=100  et L=1.000000\n"},
        {2.0f, 10, "Aopt=20  Bopt=22  Copt=41  Dopt=10   Eopt=27\npour n=10  et L=2.000000\n"},
    };
    for (const Known& k : known) {
        std::string printed;
        distance({{7, 6, std::vector<unsigned char>(42, 1)}, k.L, k.n}, &printed);
        EXPECT_EQ(printed, std::string(k.weights) + "largeur= 7  hauteur= 6\n\nFIN IMAGE DE DISTANCE: \n\n");
    }
}

TEST(DistanceImau1, MatchesTheRescaledTwoScans) {
    reference_sweep(
        41, 300, [](std::mt19937& random, int) { return random_case(random, 16.0f, false); },
        [](const Case& c) { return distance(c); },
        [](const Case& c) { return rescaled(chamfer_reference::two_scans(c.image, weights(c.L, c.n))); });
}

TEST(DistanceImau1, FindsTheShortestMaskPathsInsideTheFrameUpToL4) {
    // Beyond L = 4 or so the optimised weights make a zigzag of knight steps
    // shorter than a straight run along a row (L = 9.6, n = 182: Eopt 1557,
    // Aopt 1745), which two scans cannot follow.
    reference_sweep(
        42, 200, [](std::mt19937& random, int) { return random_case(random, 4.0f, true); },
        [](const Case& c) { return distance(c); },
        [](const Case& c) { return rescaled(chamfer_reference::shortest_paths(c.image, weights(c.L, c.n))); });
}

TEST(DistanceImau1, CasesCheckedByEye) {
    // One zero pixel at the centre of 9 x 9, L = 1, n = 10: distances 10,
    // 14, 20, 22 and 28, the largest 255.
    std::vector<unsigned char> centre(81, 1);
    centre[4 * 9 + 4] = 0;
    const unsigned char row2[] = {255, 200, 182, 200, 255}, row3[] = {200, 127, 91, 127, 200}, row4[] = {182, 91, 0, 91, 182};
    const unsigned char* rows[] = {row2, row3, row4, row3, row2};
    std::vector<unsigned char> expected(81, 0);
    for (int y = 2; y <= 6; ++y)
        for (int x = 2; x <= 6; ++x) expected[static_cast<std::size_t>(y) * 9 + x] = rows[y - 2][x - 2];
    EXPECT_EQ(distance({{9, 9, centre}, 1.0f, 10}), expected);

    // Every result 0: no non-zero pixel inside the frame, or too small an image.
    std::vector<unsigned char> frame_only(49, 0);
    for (int k : {0, 8, 13, 48}) frame_only[static_cast<std::size_t>(k)] = 200;
    EXPECT_EQ(distance({{7, 7, frame_only}, 1.0f, 10}), std::vector<unsigned char>(49, 0));
    EXPECT_EQ(distance({{4, 6, std::vector<unsigned char>(24, 9)}, 2.0f, 10}), std::vector<unsigned char>(24, 0));
}

TEST(DistanceImau1, DialogueAcceptsRatiosFrom1Over16To16AndTheScalesTheyAllow) {
    auto ask = [](const std::string& L, const std::string& n) {
        return run_phase({L, n, "next"}, [](param* head) {
            distance_imau1_t desc{};
            param* next = distance_imau1_lect(&desc, head, ">> distance :");
            std::fprintf(stderr, "%g %d %s", desc.L, desc.n, next->rep);
            return next;
        }, [](param*, param*) {});
    };
    const Outcome asked = ask("2", "10");
    EXPECT_EQ(asked.status, 0);
    EXPECT_EQ(asked.err, "2 10 next");
    EXPECT_NE(asked.out.find(">> distance : Valeur de l (reel) = 2\n"), std::string::npos);
    EXPECT_NE(asked.out.find(">> distance : Valeur de n (entier) = 10\n"), std::string::npos);
    EXPECT_EQ(ask("0.0625", "10").err, "0.0625 10 next");

    struct Refused {
        const char *L, *n, *reply, *question, *accepted;
    };
    const Refused refused[] = {
        {"0", "10", "0", "l (reel)", "reel de 0.0625 a 16"},
        {"-1", "10", "-1", "l (reel)", "reel de 0.0625 a 16"},
        {"16.5", "10", "16.5", "l (reel)", "reel de 0.0625 a 16"},
        {"1", "0", "0", "n (entier)", "entier de 1 a 762594655"},
        {"1", "762594656", "762594656", "n (entier)", "entier de 1 a 762594655"},
        {"0.0625", "9", "9", "n (entier)", "entier de 10 a "},
    };
    for (const Refused& r : refused) {
        const Outcome run = ask(r.L, r.n);
        EXPECT_TRUE(ended_saying(run, 1,
                                 std::string("\n>> ERREUR distance_imau1_lect : reponse \"") + r.reply +
                                     "\" refusee a la question \">> distance : Valeur de " + r.question + "\" (" +
                                     r.accepted))
            << r.L << " " << r.n;
    }
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
    EXPECT_TRUE(ended(calc(0.0f, 10, 6), 1, "\n>> ERREUR distance_imau1_calc : L=0 refuse (reel de 0.0625 a 16)\n"));
    EXPECT_TRUE(ended(calc(1.0f, 0, 6), 1, "\n>> ERREUR distance_imau1_calc : n=0 refuse pour L=1 (entier de 1 a 762594655)\n"));
    EXPECT_TRUE(ended(calc(1.0f, 10, 7), 1,
                      "\n>> ERREUR distance_imau1_calc : image resultat 7x5 differente de l'image initiale 6x5\n"));
}
