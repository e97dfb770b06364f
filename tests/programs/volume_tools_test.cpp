// section-tool and volume-convert-tool end to end.

#include <string>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

// 64 samples per trace, 32 traces, 10 planes; sample (x, y, z) = x + 3y + 7z
// (mod 256), so every position is recognisable.
int sample(int x, int y, int z) { return (x + 3 * y + 7 * z) % 256; }

const std::string kVolume = volume_file(64, 32, 10, samples(64, 32, 10, sample));

// The pixels of an 8-bit output, row after row.
template <class F>
std::string image_of(int rows, int cols, F pixel) {
    std::string s;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) s += static_cast<char>(pixel(i, j));
    return s;
}

class SectionTool : public ProgramTest {
protected:
    SectionTool() : ProgramTest("section-tool") { write("vol.vol", kVolume); }
};

class VolumeConvertTool : public ProgramTest {
protected:
    VolumeConvertTool() : ProgramTest("volume-convert-tool") { write("vol.vol", kVolume); }
};

}  // namespace

TEST_F(SectionTool, EachOrientationCutsTheRightSection) {
    const Outcome xy = run({"vol.vol", "1", "0", "xy.ima"});
    ASSERT_EQ(xy.status, 0) << xy.out;
    EXPECT_NE(xy.out.find("\nXY\n"), std::string::npos);
    EXPECT_EQ(read("xy.dim"), "32 64");
    EXPECT_EQ(read("xy.ima"), image_of(64, 32, [](int i, int j) { return sample(i, j, 0); }));

    ASSERT_EQ(run({"vol.vol", "2", "5", "xz.ima"}).status, 0);
    EXPECT_EQ(read("xz.dim"), "10 64");
    EXPECT_EQ(read("xz.ima"), image_of(64, 10, [](int i, int j) { return sample(i, 5, j); }));

    ASSERT_EQ(run({"vol.vol", "3", "63", "yz.ima"}).status, 0);
    EXPECT_EQ(read("yz.dim"), "10 32");
    EXPECT_EQ(read("yz.ima"), image_of(32, 10, [](int i, int j) { return sample(63, i, j); }));

    // A raster of even width has no padding and no colour map.
    ASSERT_EQ(run({"vol.vol", "1", "9", "xy9.ras"}).status, 0);
    EXPECT_EQ(read("xy9.ras"), raster_header(32, 64, 8, 32 * 64, 1) +
                                   image_of(64, 32, [](int i, int j) { return sample(i, j, 9); }));

    // The same volume as an LVF file gives the same sections.
    write("vol.lvf", lvf_file(64, 32, 10, kVolume.substr(80)));
    for (const char* orientation : {"1", "3"}) {
        ASSERT_EQ(run({"vol.vol", orientation, "7", "a.ima"}).status, 0);
        ASSERT_EQ(run({"vol.lvf", orientation, "7", "b.ima"}).status, 0);
        EXPECT_EQ(read("a.ima"), read("b.ima")) << orientation;
    }
}

TEST_F(SectionTool, DialogueModesAndRescaledSixteenBitVolumes) {
    expect_dialogue_modes({"fichier volume xt:", "Orientation [1=XY,2=XZ,3=YZ]:", "Numero de la section [0..dim-1]:",
                           "Fichier rasterfile: nom complet du fichier image a ecrire"},
                          {"vol.vol", "2", "31", "out.ras"}, {"out.ras"});

    write("s.vol", volume_header(2, 1, 1, 16) + be16(0xff38) + be16(100));  // -200, 100
    const Outcome rescaled = run({"s.vol", "1", "0", "s.ima"});
    ASSERT_EQ(rescaled.status, 0) << rescaled.out;
    EXPECT_NE(rescaled.out.find("max=100; min=-200\n"), std::string::npos);
    EXPECT_EQ(read("s.ima"), std::string("\x00\xbe", 2));
}

TEST_F(SectionTool, RefusalsComeBeforeAnyOutputFile) {
    // Sizes that are not positive are refused before anything is computed
    // from them.
    write("neg.vol", volume_header(4, 3, -2147483647 - 1, 8) + std::string(12, 's'));
    write("zero.vol", volume_header(0, 3, 2, 8));
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"vol.vol", "4", "0", "o.ras"}, "\n>> ERREUR section-tool : orientation 4 inconnue (1=XY, 2=XZ, 3=YZ)\n"},
        {{"vol.vol", "0", "0", "o.ras"}, "orientation 0 inconnue"},
        {{"vol.vol", "1", "10", "o.ras"}, "\n>> ERREUR section-tool : section 10 hors du volume (0..9)\n"},
        {{"vol.vol", "2", "32", "o.ras"}, "section 32 hors du volume (0..31)"},
        {{"vol.vol", "3", "-1", "o.ras"}, "section -1 hors du volume (0..63)"},
        {{"vol.vol", "1", "12345678901", "o.ras"},
         "\n>> ERREUR section-tool : reponse \"12345678901\" refusee a la question \"Numero de la section "
         "[0..dim-1]:\" (entier de -2147483648 a 2147483647)\n"},
        {{"neg.vol", "1", "0", "o.ras"}, "dimensions 4 x 3 x -2147483648 incorrectes dans neg.vol"},
        {{"zero.vol", "3", "0", "o.ras"}, "dimensions 0 x 3 x 2 incorrectes dans zero.vol"},
        {{"none.vol", "1", "0", "o.ras"}, "Can't open file none.vol\n"},
        {{"vol.vol", "1", "0", "o.imw"}, "une image u1 ne peut pas etre ecrite au format .imw"},
    };
    for (const Case& c : cases) expect_refused(c.args, 1, c.message, {"o.ras", "o.imw", "o.dim"});
}

TEST_F(VolumeConvertTool, BetweenVolumeFilesAndLvf) {
    expect_dialogue_modes({">> volume a convertir : nom complet du fichier", ">> volume converti : nom complet du fichier"},
                          {"vol.vol", "v.lvf"}, {"v.lvf"});
    const Outcome to_lvf = run({"vol.vol", "v.lvf"});
    ASSERT_EQ(to_lvf.status, 0) << to_lvf.out;
    EXPECT_NE(to_lvf.out.find("\n>> volume vol.vol : 64 x 32 x 10\n"), std::string::npos);
    EXPECT_EQ(read("v.lvf"), lvf_file(64, 32, 10, kVolume.substr(80)));
    ASSERT_EQ(run({"v.lvf", "back.vol"}).status, 0);
    EXPECT_EQ(read("back.vol"), kVolume);

    // A 16-bit volume file becomes an 8-bit LVF volume.
    write("s.vol", volume_header(3, 1, 1, 16) + be16(0xff38) + be16(0) + be16(100));
    ASSERT_EQ(run({"s.vol", "s.lvf"}).status, 0);
    EXPECT_EQ(read("s.lvf"), lvf_file(3, 1, 1, std::string("\x00\x7f\xbe", 3)));
}

TEST_F(VolumeConvertTool, UnknownMissingOrBrokenInputsAreRefused) {
    write("text.txt", "hello, world");
    write("tiny", "ab");
    write("cut.lvf", lvf_file(4, 4, 4, std::string(10, 'x')));
    write("swapped.lvf", std::string("\0\0\0\x80", 4) + std::string(40, '\0'));
    const std::pair<const char*, const char*> cases[] = {
        {"text.txt", "n'est ni un volume LVF ni un fichier volume"},
        {"tiny", "n'est ni un volume LVF ni un fichier volume"},
        {"none.vol", "Can't open file none.vol\n"},
        {"cut.lvf", "fichier de 34 octets alors que 88 octets attendus!\n"},
        {"swapped.lvf", "Attention image codee dans l'ordre inverse de la lecture\nNombre magique incorrecte\n"},
    };
    for (const auto& [input, message] : cases) expect_refused({input, "out.vol"}, 1, message, {"out.vol"});

    const Outcome uncreatable = run({"vol.vol", "no/dir/x.lvf"});
    EXPECT_EQ(uncreatable.status, 1);
    EXPECT_NE(uncreatable.out.find("Dans lvf_volume.cpp, ligne "), std::string::npos);
    EXPECT_NE(uncreatable.out.find("\n>> ERREUR write_volu1_ferm : ecriture du volume no/dir/x.lvf impossible\n"),
              std::string::npos);
}
