// chamfer-tool end to end: its dialogue in the three modes, the lines it
// prints, the map of one zero pixel by eye, and its refusals before any
// output file.

#include <bit>
#include <cstdlib>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image binaire (u1): nom complet du fichier image a lire",
    ">> carte de distance (fl): nom complet du fichier image a ecrire",
};

class ChamferTool : public ProgramTest {
protected:
    ChamferTool() : ProgramTest("chamfer-tool") {
        std::string pixels(81, static_cast<char>(200));  // 9 x 9 of 200 but a 0 at the centre
        pixels[4 * 9 + 4] = 0;
        write("img.dim", "9 9");
        write("img.ima", pixels);
    }
};

}  // namespace

TEST_F(ChamferTool, DialogueModesLinesAndMap) {
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"img.ima", "map.imf"}, {"map.imf", "map.dim"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("\nCoefficients reels du masque 5x5 de Chanfrein (Maillage Carre)\n"
                                 "A=1.000000  B=1.414214  C=2.236068\nlargeur= 9  hauteur= 9\n\nFIN IMAGE DE DISTANCE: \n\n"),
              std::string::npos);
    // Every interior pixel is one mask step from the centre; the two-pixel frame is 0.
    ASSERT_EQ(run({"img.ima", "map.imf"}).status, 0);
    const float by_offset[3][3] = {{0.0f, 1.0f, 2.0f}, {1.0f, 1.4142135f, 2.236068f}, {2.0f, 2.236068f, 2.828427f}};
    std::string map;
    for (int k = 0; k < 81; ++k) {
        const int x = k % 9, y = k / 9;
        const bool frame = x < 2 || y < 2 || x > 6 || y > 6;
        map += be32(std::bit_cast<unsigned>(frame ? 0.0f : by_offset[std::abs(y - 4)][std::abs(x - 4)]));
    }
    EXPECT_EQ(read("map.dim"), "9 9");
    EXPECT_EQ(read("map.imf"), map);
}

TEST_F(ChamferTool, RefusalsComeBeforeAnyOutputFile) {
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(0));
    expect_refused({"wide.imw", "map.imf"}, 1,
                   "\n>> ERREUR chamfer-tool : type d'image u2 non traite (types acceptes : u1)\n", {"map.imf", "map.dim"});
    expect_refused({"img.ima", "map.ima"}, 1, "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .ima\n",
                   {"map.ima", "map.dim"});
    expect_refused({"none.ima", "map.imf"}, 1, "fichier none.dim introuvable", {"map.imf", "map.dim"});
}
