// gradient-organisation-tool end to end: its dialogue in the three modes
// with the list of attributes, a step volume whose largest eigenvalue is
// known in every box, and its refusals before any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {">> volume initial (lvf) : nom complet du fichier volume a lire",
                                             "Alpha (filtre de Deriche):",
                                             "Taille ACP x:",
                                             "Taille ACP y:",
                                             "Taille ACP z:",
                                             "Taille gradient:",
                                             "Type d'attribut:",
                                             "Coefficient de normalisation:",
                                             ">> volume resultat (lvf) : nom complet du fichier volume a ecrire"};

// 9 x 7 x 6: 50 left of column 4, 150 from it on.
std::string step_volume() {
    return lvf_file(9, 7, 6, samples(9, 7, 6, [](int x, int, int) { return x < 4 ? 50 : 150; }));
}

class GradientOrganisationTool : public ProgramTest {
protected:
    GradientOrganisationTool() : ProgramTest("gradient-organisation-tool") { write("step.lvf", step_volume()); }
};

}  // namespace

TEST_F(GradientOrganisationTool, DialogueModesAndTheLargestEigenvalueOfAStep) {
    const std::vector<std::string> replies = {"step.lvf", "0", "3", "3", "3", "2", "1", "0.1", "out.lvf"};
    const Outcome automatic = expect_dialogue_modes(kQuestions, replies, {"out.lvf"});
    for (const char* line :
         {"\nListe des attributs\n\t         1 : v1\n\t         2 : v2", "\n\t        17 : (v2-v3)/(v2+v3)\n",
          "Section 1/6...\nSection 2/6...\n", "Section 6/6...\n"})
        EXPECT_NE(automatic.out.find(line), std::string::npos) << line;
    ASSERT_EQ(run(replies).status, 0);
    const std::string out = read("out.lvf");
    ASSERT_EQ(out.size(), step_volume().size());
    EXPECT_EQ(out.substr(0, 24), step_volume().substr(0, 24));
    // gx is 50 at columns 3 and 4 of rows 1 ... 5 of planes 1 ... 4 (one
    // plane from each end, where the filters fit), 0 elsewhere; gy = gz = 0.
    // So v1 = 2500 k / 27 with k the cells of the 3 x 3 x 3 box holding it.
    auto inside = [](int c, int lo, int hi) { return c >= lo && c <= hi ? 1 : 0; };
    for (int z = 0; z < 6; ++z)
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                int k = 0;
                for (int d = 0; d < 27 && x >= 1 && x <= 7 && y >= 1 && y <= 5; ++d)
                    k += inside(x + d % 3 - 1, 3, 4) * inside(y + d / 3 % 3 - 1, 1, 5) * inside(z + d / 9 - 1, 1, 4);
                const int got = static_cast<unsigned char>(out[24 + (z * 7 + y) * 9 + x]);
                ASSERT_NEAR(got, 250.0 * k / 27, 7.5 * k / 27 + 0.5) << x << " " << y << " " << z;
            }
}

TEST_F(GradientOrganisationTool, RefusalsComeBeforeAnyOutputFile) {
    write("step.vol", volume_file(9, 7, 6, step_volume().substr(24)));
    write("short.lvf", step_volume().substr(0, 100));
    // Replies: input, alpha, ACP x, gradient size, attribute type, output.
    const std::string who = "\n>> ERREUR gradient-organisation-tool : ",
                      lect = "\n>> ERREUR gradient_organisation_lect : reponse ";
    const std::vector<std::string> refusals[] = {
        {"step.lvf", "0", "3", "2", "1", "out.vol",
         who + "le volume resultat out.vol doit etre un fichier LVF (extension .lvf)\n"},
        {"step.lvf", "0", "3", "2", "1", "step.lvf", who + "le volume resultat step.lvf est le volume initial\n"},
        {"step.vol", "0", "3", "2", "1", "out.lvf",
         who + "volume initial step.vol illisible (volume LVF de 8 bits attendu)\n"},
        {"short.lvf", "0", "3", "2", "1", "out.lvf", "fichier de 100 octets alors que 402 octets attendus!\n"},
        {"none.lvf", "0", "3", "2", "1", "out.lvf", "Can't open file none.lvf\n"},
        {"step.lvf", "0", "3", "7", "1", "out.lvf",
         "\n>> ERREUR gradient_organisation_init : taille gradient 7 (filtres de 7 voxels) trop grande pour le volume "
         "9x7x6\n"},
        {"step.lvf", "0", "11", "2", "1", "out.lvf",
         "\n>> ERREUR gradient_organisation_init : taille ACP 11x3x3 trop grande pour le volume 9x7x6\n"},
        {"step.lvf", "-0.5", "3", "2", "1", "out.lvf",
         lect + "\"-0.5\" refusee a la question \"Alpha (filtre de Deriche):\" (reel positif ou nul)\n"},
        {"step.lvf", "0", "4", "2", "1", "out.lvf",
         lect + "\"4\" refusee a la question \"Taille ACP x:\" (entier impair positif)\n"},
        {"step.lvf", "0", "3", "1", "1", "out.lvf",
         lect + "\"1\" refusee a la question \"Taille gradient:\" (entier d'au moins 2)\n"},
        {"step.lvf", "0", "3", "2", "15", "out.lvf",
         lect + "\"15\" refusee a la question \"Type d'attribut:\" (entier de 1 a 17, sauf 15)\n"},
        {"step.lvf", "0", "3", "2", "18", "out.lvf",
         lect + "\"18\" refusee a la question \"Type d'attribut:\" (entier de 1 a 17, sauf 15)\n"}};
    for (const auto& r : refusals)
        expect_refused({r[0], r[1], r[2], "3", "3", r[3], r[4], "1", r[5]}, 1, r[6], {"out.lvf", "out.vol"});
    EXPECT_EQ(read("step.lvf"), step_volume());
}
