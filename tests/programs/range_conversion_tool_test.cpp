// range-conversion-tool end to end: its dialogue in the three modes, the
// report and the converted image of each method, and its refusals before
// any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u2): nom complet du fichier image a lire",
    ">> conversion 16 -> 8 bits : methode de conversion : 1=[min,moy+K*sigma], 2=[n(K%), n(100-k%)], 3=[0, K]",
    ">> conversion 16 -> 8 bits : valeur du parametre K",
    ">> image resultat (u1): nom complet du fichier image a ecrire",
};

class RangeConversionTool : public ProgramTest {
protected:
    RangeConversionTool() : ProgramTest("range-conversion-tool") {}

    // 3 x 2: 0, 500, 1000, 2000, 300, 65535 (big-endian .imw).
    void make_image() const {
        write("depth.dim", "3 2");
        write("depth.imw", be16(0) + be16(500) + be16(1000) + be16(2000) + be16(300) + be16(65535));
    }
};

}  // namespace

TEST_F(RangeConversionTool, DialogueModesAndTheThreeMethods) {
    make_image();
    const Outcome automatic =
        expect_dialogue_modes(kQuestions, {"depth.imw", "3", "1000", "out.ima"}, {"out.ima", "out.dim"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("\n>>conv16to8 : conversion lineaire sur [0, 1000]\n\n"), std::string::npos);

    struct Run {
        std::vector<std::string> args;
        std::string report;
        std::string pixels;
    };
    const Run runs[] = {
        {{"depth.imw", "3", "1000", "out.ima"}, "conversion lineaire sur [0, 1000]", byte_string({0, 128, 255, 255, 77, 255})},
        // q = 6 * 20 / 100 + 0.5 = 1.7: lo one above the 2nd smallest (300),
        // hi one below the 2nd largest (2000).
        {{"depth.imw", "2", "20", "out.ima"}, "conversion lineaire sur [n(20.00%):301, n(100-20.00%):1999]",
         byte_string({0, 30, 105, 255, 0, 255})},
        // A huge K: hi saturates, everything above lo is below half a level.
        {{"depth.imw", "1", "1e30", "out.ima"},
         "conversion lineaire sur [min:0, moy(11555.83) + 1000000015047466219876688855040.00 * sigma(26453.55) = "
         "2147483647]",
         byte_string({0, 0, 0, 0, 0, 0})},
    };
    for (const Run& r : runs) {
        const Outcome run = this->run(r.args);
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("\n>>conv16to8 : " + r.report + "\n\n"), std::string::npos) << run.out;
        EXPECT_EQ(read("out.ima"), r.pixels) << r.args[1];
        EXPECT_EQ(read("out.dim"), "3 2");
    }
    // A raster output: rows of 3 bytes padded to 4.
    ASSERT_EQ(run({"depth.imw", "3", "1000", "out.ras"}).status, 0);
    EXPECT_EQ(read("out.ras"), raster_header(3, 2, 8, 8, 1) + byte_string({0, 128, 255, 0, 255, 77, 255, 0}));
}

TEST_F(RangeConversionTool, RefusalsComeBeforeAnyOutputFile) {
    make_image();
    const std::vector<std::string> outputs = {"out.ima", "out.dim"};
    expect_refused({"depth.imw", "4", "1", "out.ima"}, 1, "\n>> ERREUR conv16to8_lect : methode 4 inconnue \n", outputs);
    const Outcome unknown = run({"depth.imw", "0", "1", "out.ima"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out.find(kQuestions[2]), std::string::npos);
    expect_refused({"depth.imw", "3", "1e39", "out.ima"}, 1,
                   "\n>> ERREUR conv16to8_lect : reponse \"1e39\" refusee a la question \"" + kQuestions[2] +
                       "\" (reel de -3.40282e+38 a 3.40282e+38)\n",
                   outputs);
    // Only 16-bit images are converted, and only into 8-bit formats.
    write("grey.dim", "2 1");
    write("grey.ima", "ab");
    expect_refused({"grey.ima", "3", "1000", "out.ima"}, 1,
                   "\n>> ERREUR range-conversion-tool : type d'image u1 non traite (types acceptes : u2)\n", outputs);
    expect_refused({"depth.imw", "3", "1000", "out.imw"}, 1,
                   "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n",
                   {"out.imw", "out.dim"});
    expect_refused({"none.imw", "3", "1000", "out.ima"}, 1, "fichier none.dim introuvable", outputs);
}
