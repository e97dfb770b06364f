// haar-tool end to end: its dialogue in the three modes, the pyramid of a
// constant volume by eye from a volume file and an LVF file (and into an
// LVF file), and its refusals before any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume initial : nom complet du fichier volume a lire",
    ">> ondelettes : Scale:",
    ">> volume resultat : nom complet du fichier volume a ecrire",
};

class HaarTool : public ProgramTest {
protected:
    HaarTool() : ProgramTest("haar-tool") {
        const std::string grey = samples(10, 7, 9, [](int, int, int) { return 77; });
        write("grey.vol", volume_file(10, 7, 9, grey));
        write("grey.lvf", lvf_file(10, 7, 9, grey));
    }
};

}  // namespace

TEST_F(HaarTool, DialogueModesAndThePyramidOfAConstantVolume) {
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"grey.vol", "2", "pyr.vol"}, {"pyr.vol"});
    EXPECT_NE(automatic.out.find("dim opt x:8 y:4 z:8\nCalcul echelle 1\nCalcul echelle 2\n"), std::string::npos);
    // Sizes rounded to multiples of 4: 8 x 4 x 8 decomposed; the level-2
    // octant (2 x 1 x 2) holds 77, the details 128, the rest 0.
    const std::string expected = samples(10, 7, 9, [](int x, int y, int z) {
        return x >= 8 || y >= 4 || z >= 8 ? 0 : x < 2 && y < 1 && z < 2 ? 77 : 128;
    });
    for (const char* input : {"grey.vol", "grey.lvf"}) {
        ASSERT_EQ(run({input, "2", "pyr.vol"}).status, 0) << input;
        EXPECT_EQ(read("pyr.vol"), volume_file(10, 7, 9, expected)) << input;
        ASSERT_EQ(run({input, "2", "pyr.lvf"}).status, 0) << input;
        EXPECT_EQ(read("pyr.lvf"), lvf_file(10, 7, 9, expected)) << input;
    }
}

TEST_F(HaarTool, RefusalsComeBeforeAnyOutputFile) {
    expect_refused({"grey.vol", "3", "pyr.vol"}, 1,
                   "\n>> ERREUR hw_coef_entire_image : echelle 3 trop grande pour le volume 10x7x9 (2^S au plus egal a "
                   "chaque dimension)\n",
                   {"pyr.vol"});
    expect_refused({"grey.vol", "256", "pyr.vol"}, 1,
                   "\n>> ERREUR hw_coef_entire_image_lect : reponse \"256\" refusee a la question \">> ondelettes : "
                   "Scale:\" (entier de 0 a 255)\n",
                   {"pyr.vol"});
    expect_refused({"none.vol", "1", "pyr.vol"}, 1, "Can't open file none.vol", {"pyr.vol"});
}
