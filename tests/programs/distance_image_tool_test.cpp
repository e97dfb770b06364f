// distance-image-tool end to end: its dialogue in the three modes, the
// rescaled distance image, and its refusals before any output file.

#include <string>
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
    DistanceImageTool() : ProgramTest("distance-image-tool") {}
    // 9 x 9 of 1 with one 0 at the centre.
    void make_image() const {
        std::string pixels(81, '\1');
        pixels[4 * 9 + 4] = 0;
        write("img.dim", "9 9");
        write("img.ima", pixels);
    }
};

// With L = 1 and n = 10 the interior holds the distances 10, 14, 20, 22 and
// 28 to the centre, rescaled so that 28 is 255.
std::string expected_image() {
    const int rows[5][5] = {{255, 200, 182, 200, 255},
                            {200, 127, 91, 127, 200},
                            {182, 91, 0, 91, 182},
                            {200, 127, 91, 127, 200},
                            {255, 200, 182, 200, 255}};
    std::string pixels(81, '\0');
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) pixels[static_cast<std::size_t>(y + 2) * 9 + x + 2] = static_cast<char>(rows[y][x]);
    return pixels;
}

}  // namespace

TEST_F(DistanceImageTool, DialogueModesAndTheRescaledImage) {
    make_image();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"img.ima", "1", "10", "out.ima"}, {"out.ima", "out.dim"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("Aopt=10  Bopt=14  Copt=22  Dopt=10   Eopt=22\npour n=10  et L=1.000000\n"),
              std::string::npos);
    ASSERT_EQ(run({"img.ima", "1", "10", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.dim"), "9 9");
    EXPECT_EQ(read("out.ima"), expected_image());
}

TEST_F(DistanceImageTool, RefusalsComeBeforeAnyOutputFile) {
    make_image();
    const std::vector<std::string> outputs = {"out.ima", "out.dim"};
    expect_refused({"img.ima", "0", "10", "out.ima"}, 1,
                   "\n>> ERREUR distance_imau1_lect : reponse \"0\" refusee a la question \"" + kQuestions[1] +
                       "\" (reel de 0.0625 a 16)\n",
                   outputs);
    expect_refused({"img.ima", "1", "0", "out.ima"}, 1,
                   "\n>> ERREUR distance_imau1_lect : reponse \"0\" refusee a la question \"" + kQuestions[2] +
                       "\" (entier de 1 a 762594655)\n",
                   outputs);
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(0));
    expect_refused({"wide.imw", "1", "10", "out.ima"}, 1,
                   "\n>> ERREUR distance-image-tool : type d'image u2 non traite (types acceptes : u1)\n", outputs);
    expect_refused({"img.ima", "1", "10", "out.imf"}, 1,
                   "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imf\n", {"out.imf", "out.dim"});
}
