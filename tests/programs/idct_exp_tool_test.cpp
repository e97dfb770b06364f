// idct-exp-tool end to end: its dialogue in the three modes, the images it
// writes, the round trip through log-dct-tool and back, and its refusals,
// all made before any output file exists.

#include <bit>
#include <random>
#include <string>
#include <vector>

#include "../operators/filters/dct_reference.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

// The questions for a stack of n images.
std::vector<std::string> questions(int n) {
    std::vector<std::string> q = {">> idct-exp : nombre d'images",
                                  ">> idct-exp : biais a corriger (division apres l'exponentielle)"};
    for (const char* kind : {">> coefficient %d/%d (fl): nom complet du fichier image a lire",
                             ">> image %d/%d (u2): nom complet du fichier image a ecrire"})
        for (int i = 1; i <= n; ++i) {
            char text[128];
            std::snprintf(text, sizeof text, kind, i, n);
            q.push_back(text);
        }
    return q;
}

std::string imw(const std::vector<std::uint16_t>& levels) {
    std::string bytes;
    for (std::uint16_t v : levels) bytes += be16(v);
    return bytes;
}

class IdctExpTool : public ProgramTest {
protected:
    IdctExpTool() : ProgramTest("idct-exp-tool") {}

    // "<stem>.<ext>" and its "<stem>.dim": an image of nc columns.
    void write_image(const std::string& stem, const std::string& ext, int nc, std::size_t pixels,
                     const std::string& bytes) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(pixels / nc));
        write(stem + "." + ext, bytes);
    }
    void write_imf(const std::string& stem, int nc, const std::vector<float>& values) const {
        std::string bytes;
        for (float v : values) bytes += be32(std::bit_cast<std::uint32_t>(v));
        write_image(stem, "imf", nc, values.size(), bytes);
    }
};

// Two coefficient images of 3 x 2, reaching e^0 and beyond 65535.
const dct_reference::Coefficients kCoefficients = {{5.0f, 0.0f, 14.0f, -3.0f, 1.0f, 200.0f},
                                                   {0.5f, 0.0f, -0.25f, 0.0f, -1.0f, 3.0f}};

}  // namespace

TEST_F(IdctExpTool, DialogueModesWriteTheImagesOfTheStack) {
    write_imf("c0", 3, kCoefficients[0]);
    write_imf("c1", 3, kCoefficients[1]);
    const std::vector<std::string> replies = {"2", "2", "c0.imf", "c1.imf", "r0.imw", "r1.imw"};
    EXPECT_EQ(expect_dialogue_modes(questions(2), replies, {"r0.imw", "r0.dim", "r1.imw", "r1.dim"}).err, "");
    ASSERT_EQ(run(replies).status, 0);
    const dct_reference::Levels expected = dct_reference::idct_exp(kCoefficients, 2.0f);
    EXPECT_EQ(expected[0][1], 1);  // e^0 / 2 + 0.5
    EXPECT_EQ(expected[0][5], 65535);
    EXPECT_EQ(read("r0.imw"), imw(expected[0]));
    EXPECT_EQ(read("r1.imw"), imw(expected[1]));
    EXPECT_EQ(read("r1.dim"), "3 2");
}

TEST_F(IdctExpTool, RoundTripThroughLogDctToolGivesBackTheStack) {
    // Random stacks of 1, 2, 3, 5 and 8 images through log-dct-tool, then
    // back with a bias of 1: every level v >= 2 comes back exactly, 0 and 1
    // (logarithm 0) as 1. Exactly, because for these lengths the two float
    // transforms move e^a from v by at most about 5e-6 v (measured: 0.3 of
    // a level at 65535), short of the half level that would change the
    // rounding; stacks of 64 or more can move the largest levels by a level or two.
    std::mt19937 random(12);
    for (int n : {1, 2, 3, 5, 8}) {
        const int nc = 1 + static_cast<int>(random() % 700);
        const std::size_t pixels = static_cast<std::size_t>(nc) * (1 + random() % 4);
        std::vector<std::string> forward = {std::to_string(n)}, inverse = {std::to_string(n), "1"};
        dct_reference::Levels stack(n);
        for (int m = 0; m < n; ++m) {
            const std::string i = std::to_string(m);
            while (stack[m].size() < pixels)
                stack[m].push_back(static_cast<std::uint16_t>(random() % 8 == 0 ? random() % 3 : random()));
            write_image("in" + i, "imw", nc, pixels, imw(stack[m]));
            forward.insert(forward.begin() + 1 + m, "in" + i + ".imw");
            forward.push_back("c" + i + ".imf");
            inverse.insert(inverse.begin() + 2 + m, "c" + i + ".imf");
            inverse.push_back("out" + i + ".imw");
        }
        ASSERT_EQ(run_program("log-dct-tool", forward, "", dir_.path()).status, 0) << n << " images";
        ASSERT_EQ(run(inverse).status, 0) << n << " images";
        for (int m = 0; m < n; ++m) {
            for (std::uint16_t& v : stack[m]) v = v < 2 ? 1 : v;
            EXPECT_EQ(read("out" + std::to_string(m) + ".imw"), imw(stack[m])) << n << " images, image " << m;
        }
    }
}

TEST_F(IdctExpTool, RefusalsComeBeforeAnyOutputFile) {
    write_imf("c0", 3, kCoefficients[0]);
    write_imf("c1", 3, kCoefficients[1]);
    write_imf("wide", 6, kCoefficients[1]);
    write_image("w", "imw", 3, 6, imw({1, 2, 3, 4, 5, 6}));
    const std::string bias = ">> idct-exp : biais a corriger (division apres l'exponentielle)";
    const struct {
        std::vector<std::string> replies;
        std::string message;
    } refusals[] = {
        {{"2", "0"}, "reponse \"0\" refusee a la question \"" + bias + "\" (reel strictement positif)\n"},
        {{"0", "1"}, "reponse \"0\" refusee a la question \">> idct-exp : nombre d'images\" (entier de 1 a 256)\n"},
        {{"2", "1", "c0.imf", "w.imw", "r0.imw", "r1.imw"},
         "\n>> ERREUR idct-exp-tool : type d'image u2 non traite (types acceptes : fl)\n"},
        {{"2", "1", "c0.imf", "c1.imf", "r0.imw", "r1.imf"},
         "\n>> ERREUR ecriture : une image u2 ne peut pas etre ecrite au format .imf\n"},
        {{"2", "1", "c0.imf", "c1.imf", "r0.imw", "r1.png"},
         "\n>> ERREUR idct-exp-tool : r1.png : extension png inconnue (formats des images u2 : imw)\n"},
        {{"2", "1", "c0.imf", "wide.imf", "r0.imw", "r1.imw"},
         "\n ERREUR idctexp_u2_init : tailles differentes : coefficient 2/2 (wide.imf) 6x1, coefficient 1/2 "
         "(c0.imf) 3x2\n"},
    };
    for (const auto& r : refusals) {
        std::vector<std::string> args = r.replies;
        if (args.size() == 2) args.insert(args.end(), {"c0.imf", "c1.imf", "r0.imw", "r1.imw"});
        expect_refused(args, 1, r.message, {args[4], args[5], "r0.dim", "r1.dim"});
    }
}
