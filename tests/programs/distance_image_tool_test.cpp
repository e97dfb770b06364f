// distance-image-tool end to end: its dialogue in the three modes, the
// distances to one zero pixel by eye, the aspect ratios and scales the
// dialogue accepts, and its refusals before any output file.

#include <string>
#include <utility>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image binaire (u1): nom complet du fichier image a lire",
    ">> distance : Valeur de l (reel)",
    ">> distance : Valeur de n (entier)",
    ">> image resultat (u1): nom complet du fichier image a ecrire",
};

class DistanceImageTool : public ProgramTest {
protected:
    DistanceImageTool() : ProgramTest("distance-image-tool") {
        std::string pixels(81, '\1');  // 9 x 9 of 1 but a 0 at the centre
        pixels[4 * 9 + 4] = 0;
        write("img.dim", "9 9");
        write("img.ima", pixels);
    }
};

}  // namespace

TEST_F(DistanceImageTool, DialogueModesAndTheRescaledImage) {
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"img.ima", "1", "10", "out.ima"}, {"out.ima", "out.dim"});
    EXPECT_EQ(automatic.err, "");
    // L = 1, n = 10: the interior holds 10, 14, 20, 22 and 28, rescaled so
    // that 28 is 255 (10 -> 91, 14 -> 127, 20 -> 182, 22 -> 200); the frame is 0.
    const int interior[5][5] = {{255, 200, 182, 200, 255}, {200, 127, 91, 127, 200}, {182, 91, 0, 91, 182},
                                {200, 127, 91, 127, 200}, {255, 200, 182, 200, 255}};
    std::string expected(81, '\0');
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) expected[static_cast<std::size_t>(y + 2) * 9 + x + 2] = static_cast<char>(interior[y][x]);
    ASSERT_EQ(run({"img.ima", "1", "10", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.ima"), expected);
}

TEST_F(DistanceImageTool, RatiosFrom1Over16To16AndTheScalesTheyAllow) {
    // Every weight at least 1 (L = 1/16: n from 10) and 20000 plus the
    // largest within an int (L = 1: 2 Bopt = 2 floor(1.408 n + 0.5) <= 2147463647).
    for (auto [L, n] : {std::pair{"0.0625", "10"}, {"1", "1"}, {"1", "762594655"}, {"16", "1"}})
        EXPECT_EQ(run({"img.ima", L, n, "out.ima"}).status, 0) << L << " " << n;
    auto refusal = [&](int question, const std::string& reply, const std::string& accepted) {
        return "\n>> ERREUR distance_imau1_lect : reponse \"" + reply + "\" refusee a la question \"" + kQuestions[question] +
               "\" (" + accepted;
    };
    const std::vector<std::string> outputs = {"out.ima", "out.dim"};
    remove("out.ima"), remove("out.dim");
    for (const char* L : {"0", "16.5"})
        expect_refused({"img.ima", L, "10", "out.ima"}, 1, refusal(1, L, "reel de 0.0625 a 16)\n"), outputs);
    expect_refused({"img.ima", "1", "0", "out.ima"}, 1, refusal(2, "0", "entier de 1 a 762594655)\n"), outputs);
    expect_refused({"img.ima", "1", "762594656", "out.ima"}, 1, refusal(2, "762594656", "entier de 1 a 762594655)\n"), outputs);
    expect_refused({"img.ima", "0.0625", "9", "out.ima"}, 1, refusal(2, "9", "entier de 10 a "), outputs);
}

TEST_F(DistanceImageTool, RefusalsOfTypesComeBeforeAnyOutputFile) {
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(0));
    expect_refused({"wide.imw", "1", "10", "out.ima"}, 1,
                   "\n>> ERREUR distance-image-tool : type d'image u2 non traite (types acceptes : u1)\n", {"out.ima", "out.dim"});
    expect_refused({"img.ima", "1", "10", "out.imf"}, 1,
                   "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imf\n", {"out.imf", "out.dim"});
}
