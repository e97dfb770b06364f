// histogram-median-tool end to end: its dialogue in the three modes, the
// filtered image in both 8-bit formats, and its refusals before any output
// file.

#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u1): nom complet du fichier image a lire",
    ">> mediane : taillefenetre (impaire)",
    ">> image resultat : nom complet du fichier image a ecrire",
};

// 5 x 4 of 50 with one dark pixel, one bright pixel and a bright corner.
const std::string kImage = byte_string({50, 50, 50, 50, 250,   //
                                        50, 0, 50, 50, 50,     //
                                        50, 50, 50, 255, 50,   //
                                        50, 50, 50, 50, 50});
// With w = 3 the interior (x 1..3, y 1..2) is 50; the border is kept.
const std::string kFiltered = byte_string({50, 50, 50, 50, 250,   //
                                           50, 50, 50, 50, 50,    //
                                           50, 50, 50, 50, 50,    //
                                           50, 50, 50, 50, 50});

class HistogramMedianTool : public ProgramTest {
protected:
    HistogramMedianTool() : ProgramTest("histogram-median-tool") {}
    void make_image() const {
        write("img.dim", "5 4");
        write("img.ima", kImage);
    }
};

}  // namespace

TEST_F(HistogramMedianTool, DialogueModesAndBothEightBitFormats) {
    make_image();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"img.ima", "3", "out.ima"}, {"out.ima", "out.dim"});
    EXPECT_EQ(automatic.err, "");

    ASSERT_EQ(run({"img.ima", "3", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.dim"), "5 4");
    EXPECT_EQ(read("out.ima"), kFiltered);

    // Rows of 5 bytes are padded to 6 in a raster.
    ASSERT_EQ(run({"img.ima", "3", "out.ras"}).status, 0);
    std::string rows;
    for (int y = 0; y < 4; ++y) rows += kFiltered.substr(static_cast<std::size_t>(y) * 5, 5) + std::string(1, '\0');
    EXPECT_EQ(read("out.ras"), raster_header(5, 4, 8, 24, 1) + rows);

    // A raster input; a window larger than the image copies it.
    ASSERT_EQ(run({"out.ras", "1", "same.ima"}).status, 0);
    EXPECT_EQ(read("same.ima"), kFiltered);
    ASSERT_EQ(run({"img.ima", "5", "copy.ima"}).status, 0);
    EXPECT_EQ(read("copy.ima"), kImage);
}

TEST_F(HistogramMedianTool, RefusalsComeBeforeAnyOutputFile) {
    make_image();
    const std::vector<std::string> outputs = {"out.ima", "out.dim"};
    expect_refused({"img.ima", "4", "out.ima"}, 1, "\n>> ERREUR taillefenetre : dimensions incorrectes\n", outputs);
    expect_refused({"img.ima", "-3", "out.ima"}, 1,
                   "\n>> ERREUR medhist_lect : reponse \"-3\" refusee a la question \"" + kQuestions[1] +
                       "\" (entier impair positif)\n",
                   outputs);
    expect_refused({"img.ima", "4294967297", "out.ima"}, 1,
                   "\n>> ERREUR medhist_lect : reponse \"4294967297\" refusee a la question \"" + kQuestions[1] +
                       "\" (entier de -2147483648 a 2147483647)\n",
                   outputs);
    // Only 8-bit images are filtered, and only into 8-bit formats.
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(2));
    expect_refused({"wide.imw", "3", "out.ima"}, 1,
                   "\n>> ERREUR histogram-median-tool : type d'image u2 non traite (types acceptes : u1)\n", outputs);
    expect_refused({"img.ima", "3", "out.imw"}, 1,
                   "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n", {"out.imw", "out.dim"});
    expect_refused({"none.ima", "3", "out.ima"}, 1, "fichier none.dim introuvable", outputs);
}
