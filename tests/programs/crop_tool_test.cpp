// crop-tool end to end: the window saved for every pixel type (in several
// groups of rows when it is large), its origin file, and refusals before
// any file is created.

#include <string>
#include <type_traits>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale : nom complet du fichier image a lire",
    ">> premiere colonne",
    ">> premiere ligne",
    ">> nombre de colonnes",
    ">> nombre de lignes",
    ">> image extraite : nom complet du fichier",
    ">> image extraite : legende pour fichier .origima (non cree si vide)",
};

struct Window {
    int x0, y0, nc, nr;
};

// The pixel (x, y) of the test sources, for every pixel type.
template <class Pixel>
Pixel value(int x, int y) {
    const int v = 7919 * x + 104729 * y + 13;
    if constexpr (std::is_same_v<Pixel, complexe4>) return {static_cast<short>(v), static_cast<short>(-x)};
    else if constexpr (std::is_same_v<Pixel, complexe8>) return {v / 3.0f, -0.5f * y};
    else if constexpr (std::is_floating_point_v<Pixel>) return static_cast<Pixel>(v / 7.0);
    else return static_cast<Pixel>(v);
}

class CropTool : public ProgramTest {
protected:
    CropTool() : ProgramTest("crop-tool") {}

    // Writes "in.<in_ext>" (nc x nr, the pixels of value(), a colour table
    // for 8-bit images when asked), crops the window into "out.<out_ext>"
    // and compares its files with those the writer stage makes of the
    // window cut here.
    template <class Image>
    void expect_window(const char* in_ext, const std::string& out_ext, int nc, int nr, Window w, bool tables = false) const {
        SCOPED_TRACE(in_ext + (" -> " + out_ext));
        Image source = make_image<Image>(nc, nr, value<fw::pixel_t<Image>>);
        Image window = make_image<Image>(w.nc, w.nr, [&](int x, int y) { return source.pixels[w.y0 + y][w.x0 + x]; });
        if constexpr (std::is_same_v<Image, imau1>) {
            if (tables) {
                alloc_lut_u1(&source);
                for (int i = 0; i < 256; ++i) source.lutr[i] = source.lutv[i] = i / 2, source.lutb[i] = 9;
                window.lutr = source.lutr, window.lutv = source.lutv, window.lutb = source.lutb;
            }
        }
        for (const char* stale : {"in.3lt", "out.3lt", "expected.3lt"}) remove(stale);
        write_image(file("in"), in_ext, source);
        write_image(file("expected"), out_ext, window);
        const Outcome run = this->run({std::string("in.") + in_ext, std::to_string(w.x0), std::to_string(w.y0),
                                       std::to_string(w.nc), std::to_string(w.nr), "out." + out_ext, "-"});
        ASSERT_EQ(run.status, 0) << run.out;
        for (const std::string& f : {out_ext, std::string("dim"), std::string("3lt")})
            EXPECT_EQ(read("out." + f), read("expected." + f)) << f;
        EXPECT_FALSE(exists("out.origima"));
        if constexpr (std::is_same_v<Image, imau1>) free_lut_u1(&source);
        fw::free_image(&source);
        fw::free_image(&window);
    }
};

}  // namespace

TEST_F(CropTool, DialogueModesSaveTheWindowAndItsOrigin) {
    imau2 source = make_image<imau2>(9, 7, value<unsigned short>);
    write_image(file("in"), "imw", source);
    expect_dialogue_modes(kQuestions, {"in.imw", "2", "1", "4", "3", "out.imw", "coupe"},
                          {"out.imw", "out.dim", "out.origima"});
    ASSERT_EQ(run({"in.imw", "2", "1", "4", "3", "out.imw", "coupe"}).status, 0);
    std::string rows;
    for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 6; ++x) rows += be16(source.pixels[y][x]);
    EXPECT_EQ(read("out.imw"), rows);
    EXPECT_EQ(read("out.dim"), "4 3");
    EXPECT_EQ(read("out.origima"),
              "Fichier origine : in.imw\n\tpoint haut gauche : np = 2, nl = 1\n"
              "\tpoint bas droite  : np = 5, nl = 3\nLegende : coupe\n");
    fw::free_image(&source);
}

TEST_F(CropTool, EveryPixelTypeKeepsItsWindow) {
    expect_window<imau1>("ima", "ima", 9, 7, {2, 1, 4, 3}, true);
    expect_window<imau1>("ima", "ras", 9, 7, {1, 2, 3, 5}, true);  // rows of 3 bytes padded to 4
    expect_window<imau1>("ras", "ima", 9, 7, {0, 0, 9, 7});
    // 2000-byte rows: the window goes in groups of 524 rows.
    expect_window<imau2>("imw", "imw", 1001, 1105, {1, 3, 1000, 1100});
    expect_window<imau4>("iml", "iml", 6, 5, {5, 4, 1, 1});
    expect_window<imafl>("imf", "imf", 6, 5, {1, 0, 5, 5});
    expect_window<imacx4>("cxs", "cxs", 6, 5, {0, 2, 6, 3});
    expect_window<imacx8>("cxf", "cxf", 6, 5, {3, 1, 2, 4});
}

TEST_F(CropTool, RefusalsComeBeforeAnyFile) {
    imau1 bytes = make_image<imau1>(9, 7, value<unsigned char>);
    write_image(file("in"), "ima", bytes);
    fw::free_image(&bytes);
    imau2 words = make_image<imau2>(9, 7, value<unsigned short>);
    write_image(file("w"), "imw", words);
    fw::free_image(&words);
    write("c.ras", raster_header(1, 1, 24, 4, 1) + std::string("RGB\0", 4));
    const std::string outside = "hors de l'image in.ima (9 x 7)\n";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"in.ima", "6", "0", "4", "2", "out.ima", "-"}, "\n>> ERREUR crop-tool : fenetre de 4 x 2 en (6, 0) " + outside},
        {{"in.ima", "0", "5", "9", "3", "out.ima", "-"}, "\n>> ERREUR crop-tool : fenetre de 9 x 3 en (0, 5) " + outside},
        {{"in.ima", "-1", "0", "2", "2", "out.ima", "-"}, "\n>> ERREUR crop-tool : fenetre de 2 x 2 en (-1, 0) " + outside},
        {{"in.ima", "0", "0", "0", "2", "out.ima", "-"}, "\n>> ERREUR crop-tool : fenetre de 0 x 2 en (0, 0) " + outside},
        {{"in.ima", "2147483647", "0", "1", "1", "out.ima", "-"},
         "\n>> ERREUR crop-tool : fenetre de 1 x 1 en (2147483647, 0) " + outside},
        {{"in.ima", "0", "0", "2", "2", "out.imw", "-"}, "une image u1 ne peut pas etre ecrite au format .imw\n"},
        {{"w.imw", "0", "0", "2", "2", "out.ima", "-"}, "une image u2 ne peut pas etre ecrite au format .ima\n"},
        {{"w.imw", "0", "0", "2", "2", "out.xyz", "-"}, "\n>> ERREUR save_ima_init: extension fichier xyz inconnue\n"},
        {{"in.ima", "0", "0", "2", "2", "out.xyz", "-"}, "\n>> ERREUR save_imau1_init: extension fichier xyz inconnues\n"},
        {{"c.ras", "0", "0", "1", "1", "out.ras", "-"},
         "\n>> ERREUR crop-tool : type d'image rvb non traite (types acceptes : u1, u2, u4, fl, cx4, cx8)\n"},
        {{"in.ima", "0", "0", "2", "2", "out", "-"}, "\n>> ERREUR save_ima_lect : nom image incomplet (extension?)"},
    };
    for (const auto& c : cases)
        expect_refused(c.args, 1, c.message, {"out.ima", "out.dim", "out.imw", "out.xyz", "out.ras", "out.origima"});
}
