// colormap-tool end to end: the table stored with the image in either
// format, a missing table file that leaves the image without one, and
// refusals before any output file.

#include <string>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u1): nom complet du fichier image a lire",
    ">> palette : Nom du fichier contenant la colormap",
    ">> image resultat (u1): nom complet du fichier image a ecrire",
};

class ColormapTool : public ProgramTest {
protected:
    ColormapTool() : ProgramTest("colormap-tool") {}

    // "in.ima" (3 x 2, with a grey .3lt) and "map.txt": red i, green 2i,
    // blue 255 - i.
    void prepare() const {
        write("in.dim", "3 2");
        write("in.ima", "ABCDEF");
        std::string grey, map;
        for (int i = 0; i < 768; ++i) {
            grey += std::to_string(i % 256) + " ";
            const int c = i / 256, v = i % 256;
            map += std::to_string(c == 0 ? v : c == 1 ? 2 * v : 255 - v) + (v % 10 == 9 ? "\n" : " ");
        }
        write("in.3lt", grey);
        write("map.txt", map);
    }

    // The tables and pixels of an 8-bit output, read back.
    std::string read_back(const std::string& stem, const std::string& ext) const {
        imau1 image = read_image<imau1>(file(stem), ext);
        const std::string s = luts_of(image) + "|" + bytes_of(image);
        free_lut_u1(&image);
        fw::free_image(&image);
        return s;
    }
};

}  // namespace

TEST_F(ColormapTool, DialogueModesStoreTheTableWithTheImage) {
    prepare();
    expect_dialogue_modes(kQuestions, {"in.ima", "map.txt", "out.ima"}, {"out.ima", "out.dim", "out.3lt"});
    std::string tables;
    for (int i = 0; i < 768; ++i) {
        const int c = i / 256, v = i % 256;
        tables += static_cast<char>(c == 0 ? v : c == 1 ? 2 * v : 255 - v);
    }
    for (const char* ext : {"ima", "ras"}) {
        const Outcome run = this->run({"in.ima", "map.txt", std::string("out.") + ext});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("add_colormap_init: LUT map.txt chargee\n"), std::string::npos);
        EXPECT_EQ(read_back("out", ext), tables + "|ABCDEF") << ext;
    }
    // A missing table file is only a warning: the image loses its table.
    const Outcome bare = run({"in.ima", "none.txt", "bare.ima"});
    EXPECT_EQ(bare.status, 0);
    EXPECT_NE(bare.out.find("add_colormap_init: ATTENTION, impossible d'ouvrir le fichier none.txt\n"), std::string::npos);
    EXPECT_EQ(read_back("bare", "ima"), "|ABCDEF");
    EXPECT_FALSE(exists("bare.3lt"));
}

TEST_F(ColormapTool, RefusalsComeBeforeAnyOutputFile) {
    prepare();
    write("c.ras", raster_header(1, 1, 24, 4, 1) + std::string("RGB\0", 4));
    expect_refused({"c.ras", "map.txt", "out.ras"}, 1,
                   "\n>> ERREUR colormap-tool : type d'image rvb non traite (types acceptes : u1)\n", {"out.ras"});
    expect_refused({"in.ima", "map.txt", "out.imw"}, 1, "une image u1 ne peut pas etre ecrite au format .imw",
                   {"out.imw", "out.dim"});
    expect_refused({"in.ima", "map.txt", "out.png"}, 1,
                   "\n>> ERREUR colormap-tool : out.png : extension png inconnue (formats des images u1 : ima ras)\n",
                   {"out.png"});
}
