// contour-tool end to end: its dialogue in the three modes, the strength
// and direction images of a step and the saved masks, by eye, and its
// refusals before any output file.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {">> image initiale (u2): nom complet du fichier image a lire",
                                             ">> contours : dimension fenetre d'analyse (impair)",
                                             ">> contours : sauver imagette masque (oui=1/non=0)",
                                             ">> contours : selection des contours max locaux (oui=1/non=0)",
                                             ">> force des contours (fl): nom complet du fichier image a ecrire",
                                             ">> direction des contours (u1): nom complet du fichier image a ecrire"};

class ContourTool : public ProgramTest {
protected:
    ContourTool() : ProgramTest("contour-tool") {
        // 6 x 5, 16-bit: 1000 on the left half, 2000 on the right.
        write("step.dim", "6 5");
        std::string rows;
        for (int i = 0; i < 30; ++i) rows += be16(i % 6 < 3 ? 1000 : 2000);
        write("step.imw", rows);
    }
};

}  // namespace

TEST_F(ContourTool, DialogueModesWriteTheStrengthsCodesAndMasks) {
    const std::vector<std::string> replies = {"step.imw", "3", "1", "0", "val.imf", "dir.ima"};
    const std::vector<std::string> masks = {"msqv", "msqh", "msqdp", "msqds"};
    EXPECT_EQ(expect_dialogue_modes(kQuestions, replies,
                                    {"val.imf", "val.dim", "dir.ima", "dir.dim", "msqv.ima", "msqds.ima"})
                  .err,
              "");
    ASSERT_EQ(run(replies).status, 0);
    // Columns 2 and 3 straddle the step: r1 = 3 * 1000^2 / (3 * 2000^2).
    std::string strengths, codes;
    for (int i = 0; i < 30; ++i) {
        const bool edge = i >= 6 && i < 24 && (i % 6 == 2 || i % 6 == 3);
        strengths += be32(std::bit_cast<std::uint32_t>(edge ? 0.25f : 1.0f));
        codes += static_cast<char>(edge ? 128 : 0);
    }
    EXPECT_EQ(read("val.imf") + read("dir.ima") + read("dir.dim"), strengths + codes + "6 5");
    std::string cells;
    for (const std::string& m : masks) cells += read(m + ".ima") + read(m + ".dim") + " ";
    EXPECT_EQ(cells, byte_string({1, 0, 2, 1, 0, 2, 1, 0, 2}) + "3 3 " + byte_string({1, 1, 1, 0, 0, 0, 2, 2, 2}) +
                         "3 3 " + byte_string({0, 1, 1, 2, 0, 1, 2, 2, 0}) + "3 3 " +
                         byte_string({1, 1, 0, 1, 0, 2, 0, 2, 2}) + "3 3 ");
    // Without the save flag no mask is written; local maxima keep both columns.
    remove("msqv.ima");
    ASSERT_EQ(run({"step.imw", "3", "0", "1", "val2.imf", "dir2.ima"}).status, 0);
    EXPECT_FALSE(exists("msqv.ima"));
    EXPECT_EQ(read("dir2.ima"), codes);
}

TEST_F(ContourTool, RefusalsComeBeforeAnyOutputFile) {
    write("g.dim", "6 5");
    write("g.ima", std::string(30, 'A'));
    const std::string lect = "\n>> ERREUR contourRSO_lect : reponse ";
    const std::string window = "\" refusee a la question \"" + kQuestions[1] + "\" (entier impair de 1 a 127)\n";
    const std::vector<std::string> refusals[] = {
        {"g.ima", "3", "1", "0", "val.imf", "dir.ima",
         "\n>> ERREUR contour-tool : type d'image u1 non traite (types acceptes : u2)\n"},
        {"step.imw", "3", "1", "0", "val.ima", "dir.ima",
         "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .ima\n"},
        {"step.imw", "3", "1", "0", "val.imf", "dir.imw",
         "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n"},
        {"step.imw", "5", "1", "0", "val.imf", "dir.ima",
         "\n>> ERREUR contourRSOu2_init : fenetre 5x5 trop grande pour l'image 6x5\n"},
        {"step.imw", "4", "1", "0", "val.imf", "dir.ima", lect + "\"4" + window},
        {"step.imw", "129", "1", "0", "val.imf", "dir.ima", lect + "\"129" + window},
        {"step.imw", "-1", "1", "0", "val.imf", "dir.ima", lect + "\"-1" + window},
        {"step.imw", "3", "2", "0", "val.imf", "dir.ima",
         lect + "\"2\" refusee a la question \"" + kQuestions[2] + "\" (0, 1)\n"},
        {"step.imw", "3", "1", "-1", "val.imf", "dir.ima",
         lect + "\"-1\" refusee a la question \"" + kQuestions[3] + "\" (0, 1)\n"}};
    for (const auto& r : refusals)
        expect_refused({r.begin(), r.end() - 1}, 1, r.back(),
                       {"val.imf", "val.ima", "dir.ima", "dir.imw", "val.dim", "msqv.ima"});
}
