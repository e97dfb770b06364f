// chamfer-tool end to end: its dialogue in the three modes, the float map it
// writes, and its refusals before any output file.

#include <bit>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image binaire (u1): nom complet du fichier image a lire",
    ">> carte de distance (fl): nom complet du fichier image a ecrire",
};

class ChamferTool : public ProgramTest {
protected:
    ChamferTool() : ProgramTest("chamfer-tool") {}
    // 7 x 6 of 200 with one 0 at column 3, row 2.
    void make_image() const {
        std::string pixels(42, static_cast<char>(200));
        pixels[2 * 7 + 3] = 0;
        write("img.dim", "7 6");
        write("img.ima", pixels);
    }
};

// The map as an imf file holds it: big-endian floats, 0 on the two-pixel
// frame, the interior (columns 2 ... 4, rows 2 ... 3) one mask step from
// the zero pixel.
std::string expected_map() {
    std::vector<float> map(42, 0.0f);
    const float interior[2][3] = {{1.0f, 0.0f, 1.0f}, {1.4142135f, 1.0f, 1.4142135f}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) map[static_cast<std::size_t>(y + 2) * 7 + x + 2] = interior[y][x];
    std::string bytes;
    for (float v : map) bytes += be32(std::bit_cast<unsigned>(v));
    return bytes;
}

}  // namespace

TEST_F(ChamferTool, DialogueModesAndTheFloatMap) {
    make_image();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"img.ima", "map.imf"}, {"map.imf", "map.dim"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("largeur= 7  hauteur= 6\n\nFIN IMAGE DE DISTANCE: \n\n"), std::string::npos);
    ASSERT_EQ(run({"img.ima", "map.imf"}).status, 0);
    EXPECT_EQ(read("map.dim"), "7 6");
    EXPECT_EQ(read("map.imf"), expected_map());
}

TEST_F(ChamferTool, RefusalsComeBeforeAnyOutputFile) {
    make_image();
    write("wide.dim", "2 1");
    write("wide.imw", be16(1) + be16(0));
    expect_refused({"wide.imw", "map.imf"}, 1,
                   "\n>> ERREUR chamfer-tool : type d'image u2 non traite (types acceptes : u1)\n", {"map.imf", "map.dim"});
    expect_refused({"img.ima", "map.ima"}, 1, "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .ima\n",
                   {"map.ima", "map.dim"});
    expect_refused({"none.ima", "map.imf"}, 1, "fichier none.dim introuvable", {"map.imf", "map.dim"});
}
