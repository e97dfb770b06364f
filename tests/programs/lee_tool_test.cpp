// lee-tool and its chain (local mean, local mean of squares, filter) end to
// end.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "moy2D.h"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale : nom complet du fichier image a lire",
    ">> filtre de Lee : fenetre d'estimation, nombre de colonnes (impaire)",
    ">> filtre de Lee : fenetre d'estimation, nombre de lignes (impaire)",
    ">> filtre de Lee : variance du bruit dans l'image initiale",
    ">> image resultat : nom complet du fichier image a ecrire",
};

class LeeTool : public ProgramTest {
protected:
    LeeTool() : ProgramTest("lee-tool") {
        imau1 in = make_image<imau1>(12, 9, [](int x, int y) { return (x * 29 + y * 83) % 256; });
        write_image(file("in"), "ima", in);
        fw::free_image(&in);
    }
};

}  // namespace

TEST_F(LeeTool, DialogueModesAndTheFilter) {
    const Outcome automatic =
        expect_dialogue_modes(kQuestions, {"in.ima", "3", "3", "0", "out.ima"}, {"out.ima", "out.dim"});
    EXPECT_NE(automatic.out.find("\n ATT lee_addu1_calc : 0 points tels que var_image < var_bruit\n"), std::string::npos);
    // Without noise the filter returns the image itself.
    ASSERT_EQ(run({"in.ima", "3", "3", "0", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.ima"), read("in.ima"));
    // With a noise above every local variance it returns the local means.
    ASSERT_EQ(run({"in.ima", "3", "3", "1e9", "out.ima"}).status, 0);
    imau1 in = read_image<imau1>(file("in"), "ima"), mean{};
    moy2D_t d{3, 3, nullptr};
    quietly([&] {
        moy2D_init(&d, in, &mean);
        moy2D_calc(&d, in, &mean);
    });
    EXPECT_EQ(read("out.ima"), bytes_of(mean));
    moy2D_ferm(&d);
    fw::free_image(&in);
    fw::free_image(&mean);
}

TEST_F(LeeTool, RefusalsComeBeforeAnyOutputFile) {
    write("c.ras", raster_header(1, 1, 24, 4, 1) + std::string("RGB\0", 4));
    expect_refused({"c.ras", "3", "3", "1", "out.ras"}, 1,
                   "\n>> ERREUR lee-tool : type d'image rvb non traite (types acceptes : u1, u2, fl)\n", {"out.ras"});
    expect_refused({"in.ima", "3", "2", "1", "out.ima"}, 1, "\n>> ERREUR lee_add_lect : dimensions incorrectes\n",
                   {"out.ima"});
    expect_refused({"in.ima", "3", "3", "1", "out.imf"}, 1, "une image u1 ne peut pas etre ecrite au format .imf",
                   {"out.imf", "out.dim"});
}
