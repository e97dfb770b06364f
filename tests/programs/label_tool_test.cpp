// label-tool end to end: its dialogue in the three modes, 8- and 16-bit
// outputs, folding, refusals and saturation.

#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u1): nom complet du fichier image a lire",
    ">> etiquetage : connexite : 4 ou 8",
    ">> etiquetage : seuil : premier niveau de gris des objets",
    ">> etiquetage : contraste : <0 = objets sombres, >=0 = objets claires",
    ">> image resultat, labels (u1/u2) : nom complet du fichier image a ecrire",
};

class LabelTool : public ProgramTest {
protected:
    LabelTool() : ProgramTest("label-tool") {}

    // 5 x 3: two bright objects and a grey one below the threshold.
    void make_cells() const {
        write("cells.dim", "5 3");
        write("cells.ima", std::string("\xc8\xc8\x00\x00\xc8"
                                       "\x00\x00\x00\x00\xc8"
                                       "\x32\x00\xc8\x00\x00",
                                       15));
    }
};

}  // namespace

TEST_F(LabelTool, DialogueModesAndSixteenBitLabels) {
    make_cells();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"cells.ima", "4", "100", "0", "labels.imw"},
                                              {"labels.imw", "labels.dim"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("\n*** ETIQ *** 3 objets d\202nombr\202s.\n"), std::string::npos);

    ASSERT_EQ(run({"cells.ima", "4", "100", "0", "labels.imw"}).status, 0);
    EXPECT_EQ(read("labels.dim"), "5 3");
    const std::string expected = be16(1) + be16(1) + be16(0) + be16(0) + be16(2) +  //
                                 be16(0) + be16(0) + be16(0) + be16(0) + be16(2) +  //
                                 be16(0) + be16(0) + be16(3) + be16(0) + be16(0);
    EXPECT_EQ(read("labels.imw"), expected);

    // 8-bit output; dark objects with a threshold of 50: the background and
    // the grey pixel.
    ASSERT_EQ(run({"cells.ima", "8", "100", "0", "lab.ima"}).status, 0);
    EXPECT_EQ(read("lab.ima"), std::string("\x01\x01\x00\x00\x02\x00\x00\x00\x00\x02\x00\x00\x03\x00\x00", 15));
    const Outcome dark = run({"cells.ima", "8", "50", "-1", "dark.ras"});
    ASSERT_EQ(dark.status, 0);
    EXPECT_NE(dark.out.find("\n*** ETIQ *** 1 objets"), std::string::npos);
}

TEST_F(LabelTool, EightBitOutputsFoldLabels) {
    // 520 isolated pixels on one row: labels 1 ... 520.
    std::string row(1040, '\0');
    for (int i = 0; i < 520; ++i) row[static_cast<std::size_t>(2 * i)] = '\x80';
    write("dots.dim", "1040 1");
    write("dots.ima", row);
    ASSERT_EQ(run({"dots.ima", "4", "1", "0", "folded.ima"}).status, 0);
    const std::string folded = read("folded.ima");
    ASSERT_EQ(folded.size(), 1040u);
    auto label_of = [&](int object) { return static_cast<unsigned char>(folded[static_cast<std::size_t>(2 * (object - 1))]); };
    EXPECT_EQ(label_of(255), 255);
    EXPECT_EQ(label_of(256), 2);
    EXPECT_EQ(label_of(509), 255);
    EXPECT_EQ(label_of(510), 1);
    EXPECT_EQ(folded[1], '\0');

    ASSERT_EQ(run({"dots.ima", "4", "1", "0", "folded.ras"}).status, 0);
    EXPECT_EQ(read("folded.ras").substr(32), folded);
}

TEST_F(LabelTool, RefusalsComeBeforeAnyOutputFile) {
    make_cells();
    expect_refused({"cells.ima", "6", "1", "0", "out.imw"}, 1, "\n>>ERREUR labelcc_lect : connexite 6 inconnu (4 ou 8)\n",
                   {"out.imw"});
    // A connexity beyond int is refused, not wrapped to 4.
    expect_refused({"cells.ima", "4294967300", "1", "0", "out.imw"}, 1,
                   "\n>> ERREUR labelcc_lect : reponse \"4294967300\" refusee a la question \">> etiquetage : "
                   "connexite : 4 ou 8\" (entier de -2147483648 a 2147483647)\n",
                   {"out.imw"});
    // Labels are 16-bit: a 32-bit or float output cannot take them.
    expect_refused({"cells.ima", "4", "1", "0", "out.iml"}, 1, "une image u2 ne peut pas etre ecrite au format .iml",
                   {"out.iml", "out.dim"});
    expect_refused({"none.ima", "4", "1", "0", "out.imw"}, 1, "fichier none.dim introuvable", {"out.imw"});
    expect_refused({"cells.imw", "4", "1", "0", "out.imw"}, 1, "extension imw inconnue (.ima/.ras)", {"out.imw"});
}

TEST_F(LabelTool, SaturationEndsWithStatusTwoAndWritesNothing) {
    // 4-connexity checkerboard of 512 x 256: 65 536 isolated pixels.
    std::string pixels(static_cast<std::size_t>(512) * 256, '\0');
    for (int y = 0; y < 256; ++y)
        for (int x = y % 2; x < 512; x += 2) pixels[static_cast<std::size_t>(y) * 512 + x] = '\xff';
    write("board.dim", "512 256");
    write("board.ima", pixels);
    const Outcome saturated = run({"board.ima", "4", "1", "0", "out.imw"});
    EXPECT_EQ(saturated.status, 2);
    EXPECT_EQ(saturated.err, "\n*** ETIQ *** table satur\202e\n");
    EXPECT_EQ(read("out.imw"), "");
    EXPECT_EQ(read("out.dim"), "");

    // With 8-connexity the same board is one object.
    const Outcome eight = run({"board.ima", "8", "1", "0", "one.imw"});
    ASSERT_EQ(eight.status, 0);
    EXPECT_NE(eight.out.find("\n*** ETIQ *** 1 objets"), std::string::npos);
}
