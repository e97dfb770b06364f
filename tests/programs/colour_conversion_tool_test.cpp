// colour-conversion-tool end to end: the dialogue that the conversion type
// decides, the files of each kind (colour rasters, component images the
// right way up), and refusals before any output file.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::string kType = ">> conversion couleur : Tipe de conversion (entier)";
const std::string kIn = ">> image couleur (rvb): nom complet du fichier image a lire";
const std::string kOut = ">> image resultat (rvb): nom complet du fichier image a ecrire";

std::string component(const char* kind, int i) {
    return ">> composante " + std::to_string(i) + "/3 (fl): nom complet du fichier image a " + kind;
}

// A float image file's bytes.
std::string floats(const std::vector<float>& values) {
    std::string s;
    for (float v : values) s += be32(std::bit_cast<std::uint32_t>(v));
    return s;
}

class ColourConversionTool : public ProgramTest {
protected:
    ColourConversionTool() : ProgramTest("colour-conversion-tool") {}

    // "in.ras", 2 x 2, red-green-blue order: red, green / blue, grey 100.
    void colour_raster() const {
        write("in.ras", raster_header(2, 2, 24, 12, 3) + byte_string({255, 0, 0, 0, 255, 0, 0, 0, 255, 100, 100, 100}));
    }

    void float_image(const std::string& stem, int nc, const std::vector<float>& values) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(values.size() / nc));
        write(stem + ".imf", floats(values));
    }
};

}  // namespace

TEST_F(ColourConversionTool, ColourToColourInTheThreeModes) {
    colour_raster();
    expect_dialogue_modes({kType, ">> conversion couleur : Teinte (TLS) (entier)",
                           ">> conversion couleur : Luminance (TLS) (entier)",
                           ">> conversion couleur : Saturation (TLS) (entier)", kIn, kOut},
                          {"1", "1", "2", "3", "in.ras", "tls.ras"}, {"tls.ras"});
    // T, L, S plus 1, 2, 3 (modulo 256): red (1, 87, 2), green (86, 87, 2),
    // blue (171, 87, 2), grey (193, 102, 3), stored blue, green, red.
    ASSERT_EQ(run({"1", "1", "2", "3", "in.ras", "tls.ras"}).status, 0);
    EXPECT_EQ(read("tls.ras"), raster_header(2, 2, 24, 12, 1) +
                                   byte_string({2, 87, 1, 2, 87, 86, 2, 87, 171, 3, 102, 193}));
    // And back: TLS -> RGB with the opposite shifts gives colours within one
    // level of the originals (grey exactly).
    ASSERT_EQ(run({"2", "-1", "-2", "-3", "tls.ras", "back.ras"}).status, 0);
    const std::string back = read("back.ras");
    EXPECT_EQ(back.substr(0, 32), raster_header(2, 2, 24, 12, 1));
    EXPECT_EQ(back.substr(41), byte_string({100, 100, 100}));
}

TEST_F(ColourConversionTool, ComponentFilesAreTheRightWayUp) {
    colour_raster();
    const std::vector<std::string> hsv = {kType, ">> conversion couleur : Hue - Teinte (HSV) (real) 0 - 360 ",
                                          ">> conversion couleur : Saturation (HSV) (real) 0 - 1 ",
                                          ">> conversion couleur : Value (HSV) (real) 0 - 1 "};
    std::vector<std::string> questions = hsv;
    questions.insert(questions.end(), {kIn, component("ecrire", 1), component("ecrire", 2), component("ecrire", 3)});
    expect_dialogue_modes(questions, {"3", "0", "0", "0", "in.ras", "h.imf", "s.imf", "v.imf"},
                          {"h.imf", "h.dim", "s.imf", "s.dim", "v.imf", "v.dim"});
    ASSERT_EQ(run({"3", "0", "0", "0", "in.ras", "h.imf", "s.imf", "v.imf"}).status, 0);
    EXPECT_EQ(read("h.imf"), floats({0, 120, 240, -1}));
    EXPECT_EQ(read("s.imf"), floats({1, 1, 1, 0}));
    EXPECT_EQ(read("v.imf"), floats({1, 1, 1, 100 / 255.0f}));
    EXPECT_EQ(read("h.dim"), "2 2");

    // HSV -> RGB reads them the same way: hue 360 is 0, -1 is 359 (S = 0
    // here: a grey of 255 V truncated).
    questions = hsv;
    questions.insert(questions.end(), {component("lire", 1), component("lire", 2), component("lire", 3), kOut});
    float_image("h2", 2, {360, 120, 240, -1});
    float_image("v2", 2, {1, 1, 0.5f, 0.2f});
    expect_dialogue_modes(questions, {"4", "0", "0", "0", "h2.imf", "s.imf", "v2.imf", "rgb.ras"}, {"rgb.ras"});
    ASSERT_EQ(run({"4", "0", "0", "0", "h2.imf", "s.imf", "v2.imf", "rgb.ras"}).status, 0);
    EXPECT_EQ(read("rgb.ras"), raster_header(2, 2, 24, 12, 1) + byte_string({0, 0, 255, 0, 255, 0, 127, 0, 0, 51, 51, 51}));

    // Lab with either matrix: the white is L = 100 (plus the shift).
    write("white.ras", raster_header(1, 1, 24, 4, 3) + byte_string({255, 255, 255, 0}));
    for (const char* matrix : {"0", "1"}) {
        ASSERT_EQ(run({"5", "1.5", "0", "0", matrix, "white.ras", "l.imf", "a.imf", "b.imf"}).status, 0);
        EXPECT_EQ(read("l.imf") + read("a.imf") + read("b.imf"), floats({101.5f, 0, 0})) << matrix;
        ASSERT_EQ(run({"6", "0", "0", "-2", matrix, "white.ras", "l.imf", "u.imf", "v.imf"}).status, 0);
        EXPECT_EQ(read("l.imf") + read("u.imf") + read("v.imf"), floats({100, 0, -2})) << matrix;
    }
}

TEST_F(ColourConversionTool, RefusalsComeBeforeAnyOutputFile) {
    colour_raster();
    float_image("h", 2, {1, 2, 3, 4});
    float_image("tall", 1, {1, 2, 3, 4});
    write("g.dim", "1 1");
    write("g.ima", "A");
    const std::vector<std::string> outputs = {"out.ras", "out.ima", "c1.imf", "c1.dim", "c2.imf", "c3.imf", "c3.imw"};
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"7", "0"}, "Tipe de conversion (entier) = 7\nNombre incorect"},
        {{"1", "0", "0", "0", "g.ima", "out.ras"},
         "\n>> ERREUR colour-conversion-tool : type d'image u1 non traite (types acceptes : rvb)\n"},
        {{"1", "0", "0", "0", "in.ras", "out.ima"}, "une image rvb ne peut pas etre ecrite au format .ima\n"},
        {{"3", "0", "0", "0", "in.ras", "c1.imf", "c2.imf", "c3.imw"}, "une image fl ne peut pas etre ecrite au format .imw\n"},
        {{"4", "0", "0", "0", "h.imf", "h.imf", "tall.imf", "out.ras"},
         "\n>> ERREUR colour-conversion-tool : tailles differentes : composante 3/3 (tall.imf) 1x4, composante 1/3 "
         "(h.imf) 2x2\n"},
        {{"4", "0", "0", "0", "h.imf", "g.ima", "h.imf", "out.ras"},
         "\n>> ERREUR colour-conversion-tool : type d'image u1 non traite (types acceptes : fl)\n"},
    };
    for (const auto& c : cases) expect_refused(c.args, 1, c.message, outputs);
}
