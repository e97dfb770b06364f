// mean-tool end to end: its dialogue, every pixel type it takes, and
// refusals before any output file.

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
    ">> moyenne : nombre de colonnes moyennees (impaire)",
    ">> moyenne : nombre de lignes moyennees (impaire)",
    ">> image resultat : nom complet du fichier image a ecrire",
};

class MeanTool : public ProgramTest {
protected:
    MeanTool() : ProgramTest("mean-tool") {}

    // An image of type Image written as "in.<ext>", and its 5 x 3 mean
    // computed in this process, as the file the program should write.
    template <class Image>
    std::string prepare(const char* ext) const {
        Image in = make_image<Image>(9, 7, [](int x, int y) { return (x * 37 + y * 101) % 251; });
        write_image(file("in"), ext, in);
        Image out{};
        moy2D_t d{5, 3, nullptr};
        quietly([&] {
            moy2D_init(&d, in, &out);
            moy2D_calc(&d, in, &out);
            write_into(file("expected"), ext, out);
        });
        moy2D_ferm(&d);
        fw::free_image(&in);
        fw::free_image(&out);
        return read(std::string("expected.") + ext);
    }
};

}  // namespace

TEST_F(MeanTool, DialogueModesAndEveryPixelType) {
    const std::string u1 = prepare<imau1>("ima");
    expect_dialogue_modes(kQuestions, {"in.ima", "5", "3", "out.ima"}, {"out.ima", "out.dim"});
    ASSERT_EQ(run({"in.ima", "5", "3", "out.ima"}).status, 0);
    EXPECT_EQ(read("out.ima"), u1);
    for (const char* ext : {"imw", "imf"}) {
        const std::string expected = ext == std::string("imw") ? prepare<imau2>(ext) : prepare<imafl>(ext);
        const Outcome typed = run({std::string("in.") + ext, "5", "3", std::string("out.") + ext});
        ASSERT_EQ(typed.status, 0) << typed.out;
        EXPECT_EQ(read(std::string("out.") + ext), expected) << ext;
    }
}

TEST_F(MeanTool, RefusalsComeBeforeAnyOutputFile) {
    prepare<imau1>("ima");
    write("c.ras", raster_header(1, 1, 24, 4, 1) + std::string("RGB\0", 4));
    expect_refused({"c.ras", "3", "3", "out.ras"}, 1,
                   "\n>> ERREUR mean-tool : type d'image rvb non traite (types acceptes : u1, u2, fl)\n", {"out.ras"});
    expect_refused({"in.ima", "4", "3", "out.ima"}, 1, "\n>> ERREUR moy2D_lect : dimensions incorrectes\n", {"out.ima"});
    expect_refused({"in.ima", "3", "3", "out.imw"}, 1, "une image u1 ne peut pas etre ecrite au format .imw",
                   {"out.imw", "out.dim"});
}
