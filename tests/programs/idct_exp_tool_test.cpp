// idct-exp-tool end to end: its dialogue in the three modes, the images it
// writes, the round trip through log-dct-tool and back, and its refusals,
// all made before any output file exists.

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "../operators/filters/dct_reference.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

std::string numbered(const std::string& heading, int i, int n, const std::string& rest) {
    return heading + " " + std::to_string(i) + "/" + std::to_string(n) + rest;
}

// The questions for a stack of n images.
std::vector<std::string> questions(int n) {
    std::vector<std::string> q = {">> idct-exp : nombre d'images",
                                  ">> idct-exp : biais a corriger (division apres l'exponentielle)"};
    for (int i = 1; i <= n; ++i) q.push_back(numbered(">> coefficient", i, n, " (fl): nom complet du fichier image a lire"));
    for (int i = 1; i <= n; ++i) q.push_back(numbered(">> image", i, n, " (u2): nom complet du fichier image a ecrire"));
    return q;
}

std::string imw(const std::vector<std::uint16_t>& values) {
    std::string bytes;
    for (std::uint16_t v : values) bytes += be16(v);
    return bytes;
}
std::string imf(const std::vector<float>& values) {
    std::string bytes;
    for (float v : values) bytes += be32(std::bit_cast<std::uint32_t>(v));
    return bytes;
}

class IdctExpTool : public ProgramTest {
protected:
    IdctExpTool() : ProgramTest("idct-exp-tool") {}

    void write_imf(const std::string& stem, int nc, int nr, const std::vector<float>& values) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(nr));
        write(stem + ".imf", imf(values));
    }
    void write_imw(const std::string& stem, int nc, int nr, const std::vector<std::uint16_t>& values) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(nr));
        write(stem + ".imw", imw(values));
    }
};

// Two coefficient images of 3 x 2: the log-DCT of a stack, then values
// that reach the clamps.
const std::vector<std::vector<float>> kCoefficients = {
    {5.0f, 0.0f, 14.0f, -3.0f, 1.0f, 200.0f},
    {0.5f, 0.0f, -0.25f, 0.0f, -1.0f, 3.0f},
};

}  // namespace

TEST_F(IdctExpTool, DialogueModesWriteTheImagesOfTheStack) {
    write_imf("c0", 3, 2, kCoefficients[0]);
    write_imf("c1", 3, 2, kCoefficients[1]);
    const Outcome automatic = expect_dialogue_modes(questions(2), {"2", "2", "c0.imf", "c1.imf", "r0.imw", "r1.imw"},
                                                    {"r0.imw", "r0.dim", "r1.imw", "r1.dim"});
    EXPECT_EQ(automatic.err, "");

    ASSERT_EQ(run({"2", "2", "c0.imf", "c1.imf", "r0.imw", "r1.imw"}).status, 0);
    const auto expected = dct_reference::idct_exp(kCoefficients, 2.0f);
    EXPECT_EQ(read("r0.dim"), "3 2");
    EXPECT_EQ(read("r0.imw"), imw(expected[0]));
    EXPECT_EQ(read("r1.imw"), imw(expected[1]));
    // e^0 / 2 + 0.5 = 1, and e^200 is beyond every level.
    EXPECT_EQ(expected[0][1], 1);
    EXPECT_EQ(expected[0][5], 65535);
}

TEST_F(IdctExpTool, RoundTripThroughLogDctToolGivesBackTheStack) {
    // Random stacks of 1, 2, 3, 5 and 8 images, written by log-dct-tool and
    // read back with a bias of 1: every level v >= 2 comes back exactly,
    // and 0 and 1 (logarithm 0) come back as 1. Exactly, because the two
    // transforms in single precision move e^a from v by at most about
    // 5e-6 v for these lengths (0.3 of a level at 65535, measured), short
    // of the half level at which the rounding of b would change; longer
    // stacks can move the largest levels by one or two.
    std::mt19937 random(12);
    for (int n : {1, 2, 3, 5, 8}) {
        SCOPED_TRACE(std::to_string(n) + " images");
        const int nc = 1 + static_cast<int>(random() % 700), nr = 1 + static_cast<int>(random() % 4);
        std::vector<std::string> forward = {std::to_string(n)}, inverse = {std::to_string(n), "1"};
        std::vector<std::vector<std::uint16_t>> stack(static_cast<std::size_t>(n));
        for (int m = 0; m < n; ++m) {
            for (int i = 0; i < nc * nr; ++i)
                stack[m].push_back(static_cast<std::uint16_t>(random() % 8 == 0 ? random() % 3 : random()));
            write_imw("in" + std::to_string(m), nc, nr, stack[m]);
            forward.push_back("in" + std::to_string(m) + ".imw");
            inverse.push_back("c" + std::to_string(m) + ".imf");
        }
        for (int m = 0; m < n; ++m) forward.push_back("c" + std::to_string(m) + ".imf");
        for (int m = 0; m < n; ++m) inverse.push_back("out" + std::to_string(m) + ".imw");
        ASSERT_EQ(run_program("log-dct-tool", forward, "", dir_.path()).status, 0);
        ASSERT_EQ(run(inverse).status, 0);
        for (int m = 0; m < n; ++m) {
            std::vector<std::uint16_t> expected = stack[m];
            for (std::uint16_t& v : expected) v = v < 2 ? 1 : v;
            EXPECT_EQ(read("out" + std::to_string(m) + ".imw"), imw(expected)) << "image " << m;
        }
    }
}

TEST_F(IdctExpTool, RefusalsComeBeforeAnyOutputFile) {
    write_imf("c0", 3, 2, kCoefficients[0]);
    write_imf("c1", 3, 2, kCoefficients[1]);
    write_imf("wide", 6, 1, kCoefficients[1]);
    write_imw("w", 3, 2, {1, 2, 3, 4, 5, 6});
    const std::vector<std::string> outputs = {"r0.imw", "r0.dim", "r1.imw", "r1.dim"};
    const std::string bias = ">> idct-exp : biais a corriger (division apres l'exponentielle)";
    for (const char* reply : {"0", "-1", "0.0"})
        expect_refused({"2", reply, "c0.imf", "c1.imf", "r0.imw", "r1.imw"}, 1,
                       std::string("\n>> ERREUR idctexp_lect : reponse \"") + reply + "\" refusee a la question \"" +
                           bias + "\" (reel strictement positif)\n",
                       outputs);
    for (const char* reply : {"0", "257", "4294967297"})
        expect_refused({reply, "1", "c0.imf", "r0.imw"}, 1,
                       std::string("\n>> ERREUR idctexp_lect : reponse \"") + reply +
                           "\" refusee a la question \">> idct-exp : nombre d'images\" (entier de 1 a 256)\n",
                       {"r0.imw", "r0.dim"});
    expect_refused({"2", "1", "c0.imf", "w.imw", "r0.imw", "r1.imw"}, 1,
                   "\n>> ERREUR idct-exp-tool : type d'image u2 non traite (types acceptes : fl)\n", outputs);
    expect_refused({"2", "1", "c0.imf", "c1.imf", "r0.imw", "r1.imf"}, 1,
                   "\n>> ERREUR ecriture : une image u2 ne peut pas etre ecrite au format .imf\n",
                   {"r0.imw", "r0.dim", "r1.imf", "r1.dim"});
    expect_refused({"2", "1", "c0.imf", "c1.imf", "r0.imw", "r1.png"}, 1,
                   "\n>> ERREUR idct-exp-tool : image 2/2 : extension png inconnue (.imw)\n", {"r0.imw", "r0.dim", "r1.png"});
    expect_refused({"2", "1", "c0.imf", "wide.imf", "r0.imw", "r1.imw"}, 1,
                   "\n ERREUR idctexp_u2_init : tailles differentes : coefficient 2/2 (wide.imf) 6x1, coefficient 1/2 "
                   "(c0.imf) 3x2\n",
                   outputs);
}
