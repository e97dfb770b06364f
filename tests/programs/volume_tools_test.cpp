// section-tool and volume-convert-tool end to end.

#include <gtest/gtest.h>

#include <string>

#include "support.hpp"
#include "volume.h"
#include "volume_files.hpp"

using namespace volume_files;
using testing_support::be16;
using testing_support::be32;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// 64 samples per trace, 32 traces, 10 planes; sample (x, y, z) = x + 3y + 7z
// (mod 256), so every position is recognisable.
int sample(int x, int y, int z) { return (x + 3 * y + 7 * z) % 256; }

std::string make_volume(const TempDir& dir) {
    ima3Du1 v = make_u1(64, 32, 10, sample);
    const std::string path = dir.file("vol.vol");
    ecr_ima3Du1(path.c_str(), &v);
    liberer_ima3Du1(&v);
    return path;
}

// The pixels of an ima output, row after row, and its .dim.
std::string image_of(int rows, int cols, int (*pixel)(int, int)) {
    std::string s;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) s += static_cast<char>(pixel(i, j));
    return s;
}

}  // namespace

TEST(SectionTool, EachOrientationCutsTheRightSection) {
    TempDir dir;
    make_volume(dir);

    auto xy = run_program("section-tool", {"vol.vol", "1", "0", "xy.ima"}, "", dir.path());
    ASSERT_EQ(xy.status, 0) << xy.out;
    EXPECT_NE(xy.out.find("\nXY\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("xy.dim")), "32 64");
    EXPECT_EQ(read_file(dir.file("xy.ima")), image_of(64, 32, [](int i, int j) { return sample(i, j, 0); }));

    auto xz = run_program("section-tool", {"vol.vol", "2", "5", "xz.ima"}, "", dir.path());
    ASSERT_EQ(xz.status, 0) << xz.out;
    EXPECT_EQ(read_file(dir.file("xz.dim")), "10 64");
    EXPECT_EQ(read_file(dir.file("xz.ima")), image_of(64, 10, [](int i, int j) { return sample(i, 5, j); }));

    auto yz = run_program("section-tool", {"vol.vol", "3", "63", "yz.ima"}, "", dir.path());
    ASSERT_EQ(yz.status, 0) << yz.out;
    EXPECT_EQ(read_file(dir.file("yz.dim")), "10 32");
    EXPECT_EQ(read_file(dir.file("yz.ima")), image_of(32, 10, [](int i, int j) { return sample(63, i, j); }));

    // A raster of even width has no padding and no colour map.
    ASSERT_EQ(run_program("section-tool", {"vol.vol", "1", "9", "xy9.ras"}, "", dir.path()).status, 0);
    const std::string ras = read_file(dir.file("xy9.ras"));
    ASSERT_EQ(ras.size(), 32u + 64u * 32u);
    EXPECT_EQ(ras.substr(4, 8), be32(32) + be32(64));
    EXPECT_EQ(ras.substr(24, 8), be32(0) + be32(0));
    EXPECT_EQ(ras.substr(32), image_of(64, 32, [](int i, int j) { return sample(i, j, 9); }));
}

TEST(SectionTool, DialogueModesAndReplay) {
    TempDir dir;
    make_volume(dir);
    auto manual = run_program("section-tool", {}, "vol.vol\n2\n31\nout.ras\nrun\n", dir.path());
    ASSERT_EQ(manual.status, 0) << manual.out;
    EXPECT_NE(manual.out.find("\nfichier volume xt:? : \nOrientation [1=XY,2=XZ,3=YZ]:? : \nNumero de la section "
                              "[0..dim-1]:? : \nFichier rasterfile: nom complet du fichier image a ecrire? : "),
              std::string::npos);
    EXPECT_EQ(read_file(dir.file("run.ctrl")),
              "vol.vol\t\t#fichier volume xt:\n2\t\t#Orientation [1=XY,2=XZ,3=YZ]:\n31\t\t#Numero de la section "
              "[0..dim-1]:\nout.ras\t\t#Fichier rasterfile: nom complet du fichier image a ecrire\n");
    const std::string first = read_file(dir.file("out.ras"));
    ASSERT_EQ(std::remove(dir.file("out.ras").c_str()), 0);
    ASSERT_EQ(run_program("section-tool", {"run.ctrl"}, "", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("out.ras")), first);
}

TEST(SectionTool, SixteenBitVolumesAreRescaled) {
    TempDir dir;
    write_file(dir.file("s.vol"), volume_header(2, 1, 1, 16) + be16(0xff38) + be16(100));  // -200, 100
    auto run = run_program("section-tool", {"s.vol", "1", "0", "s.ima"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("max=100; min=-200\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("s.ima")), std::string("\x00\xbe", 2));
}

TEST(SectionTool, RefusalsComeBeforeAnyOutputFile) {
    TempDir dir;
    make_volume(dir);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"vol.vol", "4", "0", "o.ras"}, "\n>> ERREUR section-tool : orientation 4 inconnue (1=XY, 2=XZ, 3=YZ)\n"},
        {{"vol.vol", "0", "0", "o.ras"}, "orientation 0 inconnue"},
        {{"vol.vol", "1", "10", "o.ras"}, "\n>> ERREUR section-tool : section 10 hors du volume (0..9)\n"},
        {{"vol.vol", "2", "32", "o.ras"}, "section 32 hors du volume (0..31)"},
        {{"vol.vol", "3", "-1", "o.ras"}, "section -1 hors du volume (0..63)"},
        {{"none.vol", "1", "0", "o.ras"}, "Can't open file none.vol\n"},
        {{"vol.vol", "1", "0", "o.imw"}, "une image u1 ne peut pas etre ecrite au format .imw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        auto run = run_program("section-tool", c.args, "", dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
        EXPECT_FALSE(file_exists(dir.file("o.ras")));
        EXPECT_FALSE(file_exists(dir.file("o.imw")));
    }
}

TEST(VolumeConvertTool, BetweenVolumeFilesAndLvf) {
    TempDir dir;
    const std::string source = make_volume(dir);
    ima3Du1 v = make_u1(64, 32, 10, sample);
    const std::string samples = samples_of(v);
    liberer_ima3Du1(&v);

    auto to_lvf = run_program("volume-convert-tool", {"vol.vol", "v.lvf"}, "", dir.path());
    ASSERT_EQ(to_lvf.status, 0) << to_lvf.out;
    EXPECT_NE(to_lvf.out.find("\n>> volume vol.vol : 64 x 32 x 10\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("v.lvf")), lvf_file(64, 32, 10, samples));

    auto back = run_program("volume-convert-tool", {"v.lvf", "back.vol"}, "", dir.path());
    ASSERT_EQ(back.status, 0) << back.out;
    EXPECT_EQ(read_file(dir.file("back.vol")), read_file(source));

    // A 16-bit volume file becomes an 8-bit LVF volume.
    write_file(dir.file("s.vol"), volume_header(3, 1, 1, 16) + be16(0xff38) + be16(0) + be16(100));
    ASSERT_EQ(run_program("volume-convert-tool", {"s.vol", "s.lvf"}, "", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("s.lvf")), lvf_file(3, 1, 1, std::string("\x00\x7f\xbe", 3)));

    // The dialogue: two questions, saved and replayed.
    auto manual = run_program("volume-convert-tool", {}, "v.lvf\nm.vol\nrun\n", dir.path());
    ASSERT_EQ(manual.status, 0);
    EXPECT_EQ(read_file(dir.file("run.ctrl")),
              "v.lvf\t\t#>> volume a convertir : nom complet du fichier\nm.vol\t\t#>> volume converti : nom complet "
              "du fichier\n");
    ASSERT_EQ(std::remove(dir.file("m.vol").c_str()), 0);
    ASSERT_EQ(run_program("volume-convert-tool", {"run.ctrl"}, "", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("m.vol")), read_file(source));
}

TEST(VolumeConvertTool, UnknownMissingOrBrokenInputsAreRefused) {
    TempDir dir;
    write_file(dir.file("text.txt"), "hello, world");
    write_file(dir.file("tiny"), "ab");
    write_file(dir.file("cut.lvf"), lvf_file(4, 4, 4, std::string(10, 'x')));
    write_file(dir.file("swapped.lvf"), std::string("\0\0\0\x80", 4) + std::string(40, '\0'));
    struct Case {
        std::string input, message;
    } cases[] = {
        {"text.txt", "n'est ni un volume LVF ni un fichier volume"},
        {"tiny", "n'est ni un volume LVF ni un fichier volume"},
        {"none.vol", "\n>> ERREUR volume-convert-tool : fichier none.vol introuvable\n"},
        {"cut.lvf", "fichier de 34 octets alors que 88 octets attendus!\n"},
        {"swapped.lvf", "Attention image codee dans l'ordre inverse de la lecture\nNombre magique incorrecte\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        auto run = run_program("volume-convert-tool", {c.input, "out.vol"}, "", dir.path());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        EXPECT_FALSE(file_exists(dir.file("out.vol")));
    }

    make_volume(dir);
    auto uncreatable = run_program("volume-convert-tool", {"vol.vol", "no/dir/x.lvf"}, "", dir.path());
    EXPECT_EQ(uncreatable.status, 1);
    EXPECT_NE(uncreatable.out.find("Dans lvf_volume.cpp, ligne 392, "), std::string::npos);
}
