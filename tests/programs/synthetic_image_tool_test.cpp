// synthetic-image-tool end to end: the dialogue in three modes, each output
// type with the first covering object winning, and the refusals before any
// file is created.

#include <algorithm>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> Nombre de colonnes de l'image",
    ">> Nombre de lignes de l'image",
    ">> Format : u1 (.ima|.ras), u2 (.imw), u4 (.iml) ou fl (.imf) : nom complet du fichier image a ecrire",
    ">> Valeur du fond",
    ">> Nom du fichier decrivant les objets",
};

// Two overlapping squares, then one with x0 > x1 that covers nothing.
const std::string kObjects = "3\n2 2 5 5 100\n4 4 8 8 200.9\n6 0 5 9 50\n";

class SyntheticImageTool : public ProgramTest {
protected:
    SyntheticImageTool() : ProgramTest("synthetic-image-tool") { write("objects.txt", kObjects); }

    // Expects out.<ext> to hold pixel(x, y) at every pixel of 10 x 9.
    template <class Image, class F>
    void expect_pixels(const char* ext, F pixel) const {
        Image got = read_image<Image>(file("out"), ext), expected = make_image<Image>(10, 9, pixel);
        EXPECT_EQ(pixels_of(got), pixels_of(expected)) << ext;
        fw::free_image(&got);
        fw::free_image(&expected);
    }
};

// The expected pixel (x, y) of kObjects over `background`.
double expected(int x, int y, double background) {
    if (x >= 2 && x <= 5 && y >= 2 && y <= 5) return 100;
    if (x >= 4 && x <= 8 && y >= 4 && y <= 8) return 200.9;
    return background;
}

}  // namespace

TEST_F(SyntheticImageTool, DialogueModesAndTheFirstCoveringObject) {
    const Outcome run =
        expect_dialogue_modes(kQuestions, {"10", "9", "out.ima", "0", "objects.txt"}, {"out.ima", "out.dim"});
    EXPECT_NE(run.out.find("\n>> L'image contiendra un fond a 0.000000 et 3 objets : \nobjet 1 :\t x0=2,\t y0=2,\t "
                           "x1=5,\t y1=5,\t val=100.000000\nobjet 2 :\t x0=4,\t y0=4,\t x1=8,\t y1=8,\t val=200.899994\n"),
              std::string::npos)
        << run.out;
    ASSERT_EQ(this->run({"10", "9", "out.ima", "0", "objects.txt"}).status, 0);
    expect_pixels<imau1>("ima", [](int x, int y) { return static_cast<int>(expected(x, y, 0)); });
}

TEST_F(SyntheticImageTool, EveryOutputTypeTruncatesOrKeepsTheValues) {
    auto image = [&](const char* ext, const char* background) {
        const Outcome run = this->run({"10", "9", std::string("out.") + ext, background, "objects.txt"});
        EXPECT_EQ(run.status, 0) << run.out;
    };
    image("imw", "12.7");
    expect_pixels<imau2>("imw", [](int x, int y) { return static_cast<int>(expected(x, y, 12)); });
    image("iml", "70000.5");
    expect_pixels<imau4>("iml", [](int x, int y) { return static_cast<unsigned>(expected(x, y, 70000)); });
    image("imf", "-2.25");
    expect_pixels<imafl>("imf", [](int x, int y) { return static_cast<float>(expected(x, y, -2.25)); });
    // Out of an 8-bit range: saturated, not wrapped.
    image("ras", "300");
    expect_pixels<imau1>("ras", [](int x, int y) { return static_cast<int>(std::min(expected(x, y, 300), 255.0)); });
}

TEST_F(SyntheticImageTool, RefusalsComeBeforeAnyFile) {
    write("short.txt", "3\n0 0 1 1 5\n");
    const std::vector<std::vector<std::string>> refused = {
        {"4", "4", "out.cxs", "0", "objects.txt",
         "\n ERREUR : extension cxs inconnue (.ima|.ras|.imw|.iml|.imf attendu)\n"},
        {"0", "4", "out.ima", "0", "objects.txt",
         "\n>> ERREUR synthetic-image-tool : taille 0x4 incorrecte (colonnes et lignes positives)\n"},
        {"4", "-2", "out.ima", "0", "objects.txt", "taille 4x-2 incorrecte"},
        {"4", "4", "out.ima", "0", "none.txt", "\n>> ERREUR : fichier none.txt introuvable\n"},
        {"4", "4", "out.ima", "0", "short.txt", "\n>> ERREUR : objet 2 de short.txt illisible"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.back());
        expect_refused({r.begin(), r.end() - 1}, 1, r.back(), {"out.ima", "out.dim", "out.cxs"});
    }
}
