// convert-tool end to end: the three dialogue modes, replay, conversions
// between formats and refusals before any output file exists.

#include <gtest/gtest.h>

#include <string>

#include "support.hpp"

using testing_support::be16;
using testing_support::be32;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const char* kInQuestion = ">> image a convertir : nom complet du fichier image a lire";
const char* kOutQuestion = ">> image convertie : nom complet du fichier image a ecrire";

std::string raster_header(int w, int h, int depth, int length, int type) {
    return be32(0x59a66a95) + be32(static_cast<unsigned>(w)) + be32(static_cast<unsigned>(h)) +
           be32(static_cast<unsigned>(depth)) + be32(static_cast<unsigned>(length)) + be32(static_cast<unsigned>(type)) +
           be32(0) + be32(0);
}

// A 3 x 2 8-bit image "in.ima" in `dir`.
void make_ima(const TempDir& dir) {
    write_file(dir.file("in.dim"), "3 2");
    write_file(dir.file("in.ima"), "ABCDEF");
}

}  // namespace

TEST(ConvertTool, AutoModeConvertsImaToRaster) {
    TempDir dir;
    make_ima(dir);
    auto run = run_program("convert-tool", {"in.ima", "out.ras"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(std::string("\n") + kInQuestion + " = in.ima\n\n" + kOutQuestion + " = out.ras\n"),
              std::string::npos);
    EXPECT_EQ(read_file(dir.file("out.ras")), raster_header(3, 2, 8, 8, 1) + std::string("ABC\0DEF\0", 8));
    EXPECT_FALSE(file_exists(dir.file("convert-tool.ctrl")));

    // And back: the same pixels and sizes.
    ASSERT_EQ(run_program("convert-tool", {"out.ras", "back.ima"}, "", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("back.ima")), "ABCDEF");
    EXPECT_EQ(read_file(dir.file("back.dim")), "3 2");
}

TEST(ConvertTool, ManualRunSavesAControlFileThatReplaysIdentically) {
    TempDir dir;
    make_ima(dir);
    auto manual = run_program("convert-tool", {}, "in.ima\nfirst.ras\nrun\n", dir.path());
    ASSERT_EQ(manual.status, 0) << manual.out;
    EXPECT_NE(manual.out.find("\n>> param_debut, mode MANUEL\n" + std::string(kInQuestion) + "? : \n" + kOutQuestion +
                              "? : \n>> param_fin : fichier de sauvegarde des nouveaux parametres? [" +
                              testing_support::program_path("convert-tool") + ".ctrl] : "),
              std::string::npos);
    const std::string ctrl = read_file(dir.file("run.ctrl"));
    EXPECT_EQ(ctrl, std::string("in.ima\t\t#") + kInQuestion + "\nfirst.ras\t\t#" + kOutQuestion + "\n");

    // Replayed with nothing typed: same questions, same output, same file.
    auto replay = run_program("convert-tool", {"run.ctrl"}, "", dir.path());
    ASSERT_EQ(replay.status, 0) << replay.out;
    EXPECT_NE(replay.out.find("mode FICHIER : 2 parametres lus dans run.ctrl"), std::string::npos);
    EXPECT_NE(replay.out.find(std::string("\n") + kInQuestion + "? [in.ima] : "), std::string::npos);
    EXPECT_EQ(read_file(dir.file("run.ctrl")), ctrl);

    const std::string first = read_file(dir.file("first.ras"));
    ASSERT_EQ(std::remove(dir.file("first.ras").c_str()), 0);
    ASSERT_EQ(run_program("convert-tool", {"run.ctrl"}, "\n\n\n", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("first.ras")), first);

    // Overriding a reply in FICHIER mode writes elsewhere and saves it.
    auto changed = run_program("convert-tool", {"run.ctrl"}, "\nsecond.ima\nrun2\n", dir.path());
    ASSERT_EQ(changed.status, 0);
    EXPECT_EQ(read_file(dir.file("second.ima")), "ABCDEF");
    EXPECT_NE(read_file(dir.file("run2.ctrl")).find("second.ima\t\t#"), std::string::npos);
}

TEST(ConvertTool, HostOrderFilesBecomeBigEndian) {
    TempDir dir;
    write_file(dir.file("h.dim"), "2 1");
    write_file(dir.file("h.IMW"), std::string("\x34\x12\xff\x00", 4));
    auto run = run_program("convert-tool", {"h.IMW", "b.imw"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(read_file(dir.file("b.imw")), be16(0x1234) + be16(0x00ff));
}

TEST(ConvertTool, ColourRasterOfEitherPixelOrderIsWrittenAsBlueGreenRed) {
    TempDir dir;
    write_file(dir.file("c.ras"), raster_header(1, 1, 24, 4, 3) + std::string("RGB\0", 4));
    auto run = run_program("convert-tool", {"c.ras", "d.ras"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(read_file(dir.file("d.ras")), raster_header(1, 1, 24, 4, 1) + std::string("BGR\0", 4));
}

TEST(ConvertTool, PixelTypeTheOutputCannotHoldIsRefusedBeforeCreatingFiles) {
    TempDir dir;
    write_file(dir.file("w.dim"), "1 1");
    write_file(dir.file("w.imw"), "\x01\x02");
    auto run = run_program("convert-tool", {"w.imw", "out.ima"}, "", dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\n>> ERREUR ecriture : une image u2 ne peut pas etre ecrite au format .ima\n"),
              std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("out.ima")));
    EXPECT_FALSE(file_exists(dir.file("out.dim")));

    make_ima(dir);
    auto unknown = run_program("convert-tool", {"in.ima", "out.png"}, "", dir.path());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("\n Erreur : png extension inconnue"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("out.png")));
}

TEST(ConvertTool, MissingOrUnknownInputStopsAfterTheDialogue) {
    TempDir dir;
    auto missing = run_program("convert-tool", {}, "nothere.ima\nout.ras\nsaved\n", dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(file_exists(dir.file("saved.ctrl")));
    EXPECT_NE(missing.out.find("\n>> ERREUR read_imau1_init : fichier nothere.dim introuvable\n"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("out.ras")));

    auto unknown = run_program("convert-tool", {"x.tif", "out.ras"}, "", dir.path());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.out.find("extension tif inconnue"), std::string::npos);

    auto no_ext = run_program("convert-tool", {"x", "out.ras"}, "", dir.path());
    EXPECT_EQ(no_ext.status, 1);
    EXPECT_NE(no_ext.out.find("\n>> ERREUR read_ima_lect : nom image incomplet (extension?)"), std::string::npos);
}
