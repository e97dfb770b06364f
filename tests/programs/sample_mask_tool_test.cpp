// sample-mask-tool end to end: the dialogue in three modes, the copy, and
// refusals before any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

class SampleMaskTool : public ProgramTest {
protected:
    SampleMaskTool() : ProgramTest("sample-mask-tool") {
        imau1 in = make_image<imau1>(5, 3, [](int x, int y) { return 40 * y + x; });
        write_image(file("in"), "ima", in);
        fw::free_image(&in);
    }
};

}  // namespace

TEST_F(SampleMaskTool, DialogueModesCopyTheImage) {
    const Outcome automatic = expect_dialogue_modes(
        {">> image initiale (u1): nom complet du fichier image a lire", ">> bidon : dimX (entier)",
         ">> bidon : dimY (entier)", ">> bidon : gain (reel)", ">> bidon : forme (nom)",
         ">> image resultat (u1): nom complet du fichier image a ecrire"},
        {"in.ima", "4", "2", "1.5", "rectangle", "out.ras"}, {"out.ras"});
    EXPECT_NE(automatic.out.find("\n>>bidonu1_init : masque rectangle 4x2\n"), std::string::npos);
    ASSERT_EQ(run({"in.ima", "4", "2", "1.5", "rectangle", "out.ras"}).status, 0);
    imau1 in = read_image<imau1>(file("in"), "ima"), out = read_image<imau1>(file("out"), "ras");
    EXPECT_EQ(pixels_of(out), pixels_of(in));
    fw::free_image(&in);
    fw::free_image(&out);
}

TEST_F(SampleMaskTool, RefusalsComeBeforeAnyOutputFile) {
    imau2 wide = make_image<imau2>(2, 2, [](int x, int) { return x; });
    write_image(file("wide"), "imw", wide);
    fw::free_image(&wide);
    const std::vector<std::vector<std::string>> refused = {
        {"in.ima", "4", "2", "1", "carre", "out.ima", "\n>>ERREUR bidonu1_init : masque carre inconnu\n"},
        {"in.ima", "0", "2", "1", "triangle", "out.ima", "masque 0x2 incorrect"},
        {"in.ima", "4", "2", "1", "triangle", "out.imw", "une image u1 ne peut pas etre ecrite au format .imw"},
        {"wide.imw", "4", "2", "1", "triangle", "out.ima", "type d'image u2 non traite (types acceptes : u1)"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.back());
        expect_refused({r.begin(), r.end() - 1}, 1, r.back(), {"out.ima", "out.dim", "out.imw"});
    }
}
