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

const std::vector<std::string> kQuestions = {
    ">> image initiale (u2): nom complet du fichier image a lire",
    ">> contours : dimension fenetre d'analyse (impair)",
    ">> contours : sauver imagette masque (oui=1/non=0)",
    ">> contours : selection des contours max locaux (oui=1/non=0)",
    ">> force des contours (fl): nom complet du fichier image a ecrire",
    ">> direction des contours (u1): nom complet du fichier image a ecrire",
};

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

// The big-endian float file of a strength image.
std::string floats(const std::vector<float>& values) {
    std::string s;
    for (float v : values) s += be32(std::bit_cast<std::uint32_t>(v));
    return s;
}

}  // namespace

TEST_F(ContourTool, DialogueModesWriteTheStrengthsCodesAndMasks) {
    const std::vector<std::string> replies = {"step.imw", "3", "1", "0", "val.imf", "dir.ima"};
    EXPECT_EQ(expect_dialogue_modes(
                  kQuestions, replies,
                  {"val.imf", "val.dim", "dir.ima", "dir.dim", "msqv.ima", "msqh.ima", "msqdp.ima", "msqds.ima"})
                  .err,
              "");
    ASSERT_EQ(run(replies).status, 0);
    // Columns 2 and 3 straddle the step: r1 = 3 * 1000^2 / (3 * 2000^2).
    const std::vector<float> one(6, 1.0f), middle = {1, 1, 0.25f, 0.25f, 1, 1};
    std::vector<float> strengths;
    for (int y = 0; y < 5; ++y)
        strengths.insert(strengths.end(), (y == 0 || y == 4 ? one : middle).begin(),
                         (y == 0 || y == 4 ? one : middle).end());
    EXPECT_EQ(read("val.imf"), floats(strengths));
    const std::string edge(6, '\0'), codes = byte_string({0, 0, 128, 128, 0, 0});
    EXPECT_EQ(read("dir.ima"), edge + codes + codes + codes + edge);
    EXPECT_EQ(read("dir.dim"), "6 5");
    const struct {
        const char* name;
        std::string cells;
    } masks[] = {{"msqv", byte_string({1, 0, 2, 1, 0, 2, 1, 0, 2})},
                 {"msqh", byte_string({1, 1, 1, 0, 0, 0, 2, 2, 2})},
                 {"msqdp", byte_string({0, 1, 1, 2, 0, 1, 2, 2, 0})},
                 {"msqds", byte_string({1, 1, 0, 1, 0, 2, 0, 2, 2})}};
    for (const auto& m : masks) {
        EXPECT_EQ(read(std::string(m.name) + ".ima"), m.cells) << m.name;
        EXPECT_EQ(read(std::string(m.name) + ".dim"), "3 3") << m.name;
    }
    // Without the save flag no mask is written; local maxima keep both columns.
    remove("msqv.ima");
    ASSERT_EQ(run({"step.imw", "3", "0", "1", "val2.imf", "dir2.ima"}).status, 0);
    EXPECT_FALSE(exists("msqv.ima"));
    EXPECT_EQ(read("dir2.ima"), edge + codes + codes + codes + edge);
}

TEST_F(ContourTool, RefusalsComeBeforeAnyOutputFile) {
    write("g.dim", "6 5");
    write("g.ima", std::string(30, 'A'));
    const struct {
        std::vector<std::string> args;
        std::string message;
    } refusals[] = {
        {{"g.ima", "3", "1", "0", "val.imf", "dir.ima"},
         "\n>> ERREUR contour-tool : type d'image u1 non traite (types acceptes : u2)\n"},
        {{"step.imw", "3", "1", "0", "val.ima", "dir.ima"},
         "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .ima\n"},
        {{"step.imw", "3", "1", "0", "val.imf", "dir.imw"},
         "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n"},
        {{"step.imw", "5", "1", "0", "val.imf", "dir.ima"},
         "\n>> ERREUR contourRSOu2_init : fenetre 5x5 trop grande pour l'image 6x5\n"},
        {{"step.imw", "4", "1", "0", "val.imf", "dir.ima"},
         "\n>> ERREUR contourRSO_lect : reponse \"4\" refusee a la question \"" + kQuestions[1] +
             "\" (entier impair de 1 a 127)\n"},
        {{"step.imw", "3", "1", "2", "val.imf", "dir.ima"},
         "\n>> ERREUR contourRSO_lect : reponse \"2\" refusee a la question \"" + kQuestions[3] + "\" (0, 1)\n"},
    };
    for (const auto& r : refusals)
        expect_refused(r.args, 1, r.message,
                       {"val.imf", "val.ima", "dir.ima", "dir.imw", "val.dim", "dir.dim", "msqv.ima"});
}
