// region-growing-tool end to end: its dialogue in the three modes, the
// painted image in both 8-bit formats, and its refusals before any output
// file; the label overflow ends with its own status.

#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u1): nom complet du fichier image a lire",
    ">> croissance de regions : nb d'iteration ",
    ">> croissance de regions : seuil de depart aggreg de 2 regions ",
    ">> croissance de regions : increment du seuil ",
    ">> croissance de regions : taille minimum d'une region ",
    ">> image resultat (u1): nom complet du fichier image a ecrire",
};

// 5 x 2, scanned as one line of ten pixels.
const std::string kImage = byte_string({10, 11, 30, 31, 33,  //
                                        90, 92, 30, 200, 201});
// Threshold 3: {10, 11}, {30, 31, 33, 30} (the last 30 through the pixel
// above it), {90, 92}, {200, 201}; painted 10, 31, 91, 200. Threshold 23 on
// that result joins 10 with 31: the input's mean over those six pixels is
// 145 / 6 = 24; the regions of 2 pixels are 0 at the end.
const std::string kPainted = byte_string({24, 24, 24, 24, 24,  //
                                          0, 0, 24, 0, 0});

class RegionGrowingTool : public ProgramTest {
protected:
    RegionGrowingTool() : ProgramTest("region-growing-tool") {}
    void make_image() const {
        write("img.dim", "5 2");
        write("img.ima", kImage);
    }
};

}  // namespace

TEST_F(RegionGrowingTool, DialogueModesAndBothEightBitFormats) {
    make_image();
    const std::vector<std::string> replies = {"img.ima", "1", "3", "20", "2", "out.ima"};
    const Outcome automatic = expect_dialogue_modes(kQuestions, replies, {"out.ima", "out.dim"});
    EXPECT_EQ(automatic.err, "");
    const std::string lines =
        "init image\n"
        "nb d'etiquettes utilisees = 4 \n"
        "nb d'etiquettes effectives avant agregation = 4\n"
        "nb d'etiquettes effectives apres agregation = 4\n"
        "iteration 0\n"
        "seuil: 23\n"
        "nb d'etiquettes utilisees = 3\n"
        "nb d'etiquettes effectives avant agregation = 3\n"
        "nb d'etiquettes effectives apres agregation = 1\n";
    EXPECT_NE(automatic.out.find(lines), std::string::npos) << automatic.out;

    ASSERT_EQ(run({"img.ima", "1", "3", "20", "2", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.dim"), "5 2");
    EXPECT_EQ(read("out.ima"), kPainted);
    // A raster out (rows padded to 6 bytes) and back in.
    ASSERT_EQ(run({"img.ima", "1", "3", "20", "2", "out.ras"}).status, 0);
    EXPECT_EQ(read("out.ras"), raster_header(5, 2, 8, 12, 1) + kPainted.substr(0, 5) + std::string(1, '\0') +
                                   kPainted.substr(5) + std::string(1, '\0'));
    ASSERT_EQ(run({"out.ras", "0", "1", "0", "0", "back.ima"}).status, 0);
    EXPECT_EQ(read("back.ima"), kPainted);
}

TEST_F(RegionGrowingTool, RefusalsComeBeforeAnyOutputFile) {
    make_image();
    const std::vector<std::string> outputs = {"out.ima", "out.dim"};
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(2));
    expect_refused({"wide.imw", "1", "3", "20", "2", "out.ima"}, 1,
                   "\n>> ERREUR region-growing-tool : type d'image u2 non traite (types acceptes : u1)\n", outputs);
    expect_refused({"img.ima", "1", "3", "20", "2", "out.imw"}, 1,
                   "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n",
                   {"out.imw", "out.dim"});
    expect_refused({"img.ima", "1", "2147483647", "1", "2", "out.ima"}, 1,
                   "\n>> ERREUR reggrow : seuil 2147483648 hors des entiers a la derniere iteration", outputs);
    expect_refused({"img.ima", "1", "3", "20", "99999999999", "out.ima"}, 1,
                   "\n>> ERREUR reggrow_lect : reponse \"99999999999\" refusee a la question \"" + kQuestions[4] +
                       "\" (entier de -2147483648 a 2147483647)\n",
                   outputs);
    expect_refused({"none.ima", "1", "3", "20", "2", "out.ima"}, 1, "fichier none.dim introuvable", outputs);
}

TEST_F(RegionGrowingTool, TooManyLabelsEndWithTheLengthOfTheMessage) {
    // 65 536 pixels that are all different from their neighbours at
    // threshold 0: one label more than the table holds.
    write("big.dim", "256 256");
    write("big.ima", std::string(256 * 256, '\x07'));
    const Outcome run_out = run({"big.ima", "0", "0", "0", "0", "out.ima"});
    EXPECT_EQ(run_out.status, 28);
    EXPECT_NE(run_out.out.find("init image\ntoo many labels nblab=65535\n"), std::string::npos) << run_out.out;
    EXPECT_EQ(read("out.ima"), "");
}
