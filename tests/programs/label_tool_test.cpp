// label-tool end to end: its dialogue in the three modes, 8- and 16-bit
// outputs, folding, refusals and saturation.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"

using testing_support::be16;
using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image initiale (u1): nom complet du fichier image a lire",
    ">> etiquetage : connexite : 4 ou 8",
    ">> etiquetage : seuil : premier niveau de gris des objets",
    ">> etiquetage : contraste : <0 = objets sombres, >=0 = objets claires",
    ">> image resultat, labels (u1/u2) : nom complet du fichier image a ecrire",
};

// 5 x 3: two bright objects and a grey one below the threshold.
void make_cells(const TempDir& dir) {
    write_file(dir.file("cells.dim"), "5 3");
    write_file(dir.file("cells.ima"), std::string("\xc8\xc8\x00\x00\xc8"
                                                  "\x00\x00\x00\x00\xc8"
                                                  "\x32\x00\xc8\x00\x00",
                                                  15));
}

}  // namespace

TEST(LabelTool, AutoModeWritesSixteenBitLabels) {
    TempDir dir;
    make_cells(dir);
    auto run = run_program("label-tool", {"cells.ima", "4", "100", "0", "labels.imw"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\n*** ETIQ *** 3 objets d\202nombr\202s.\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("labels.dim")), "5 3");
    const std::string expected = be16(1) + be16(1) + be16(0) + be16(0) + be16(2) +  //
                                 be16(0) + be16(0) + be16(0) + be16(0) + be16(2) +  //
                                 be16(0) + be16(0) + be16(3) + be16(0) + be16(0);
    EXPECT_EQ(read_file(dir.file("labels.imw")), expected);

    // Dark objects with a threshold of 50: the background and the grey pixel.
    auto dark = run_program("label-tool", {"cells.ima", "8", "50", "-1", "dark.ras"}, "", dir.path());
    ASSERT_EQ(dark.status, 0);
    EXPECT_NE(dark.out.find("\n*** ETIQ *** 1 objets"), std::string::npos);
}

TEST(LabelTool, ManualRunAsksFiveQuestionsAndItsControlFileReplays) {
    TempDir dir;
    make_cells(dir);
    auto manual = run_program("label-tool", {}, "cells.ima\n8\n100\n0\nlab.ima\nrun\n", dir.path());
    ASSERT_EQ(manual.status, 0) << manual.out;
    EXPECT_TRUE(testing_support::asks_in_order(manual.out, kQuestions)) << manual.out;
    const std::string ctrl = read_file(dir.file("run.ctrl"));
    EXPECT_EQ(ctrl, testing_support::ctrl_text({"cells.ima", "8", "100", "0", "lab.ima"}, kQuestions));
    const std::string first = read_file(dir.file("lab.ima"));
    EXPECT_EQ(first, std::string("\x01\x01\x00\x00\x02\x00\x00\x00\x00\x02\x00\x00\x03\x00\x00", 15));

    // Replay: five Enters and one for the save question.
    ASSERT_EQ(std::remove(dir.file("lab.ima").c_str()), 0);
    auto replay = run_program("label-tool", {"run.ctrl"}, "\n\n\n\n\n\n", dir.path());
    ASSERT_EQ(replay.status, 0) << replay.out;
    EXPECT_NE(replay.out.find("mode FICHIER : 5 parametres lus dans run.ctrl"), std::string::npos);
    EXPECT_NE(replay.out.find("\n" + kQuestions[2] + "? [100] : "), std::string::npos);
    EXPECT_EQ(read_file(dir.file("lab.ima")), first);
    EXPECT_EQ(read_file(dir.file("run.ctrl")), ctrl);
}

TEST(LabelTool, EightBitOutputsFoldLabels) {
    TempDir dir;
    // 520 isolated pixels on one row: labels 1 ... 520.
    std::string row(1040, '\0');
    for (int i = 0; i < 520; ++i) row[static_cast<std::size_t>(2 * i)] = '\x80';
    write_file(dir.file("dots.dim"), "1040 1");
    write_file(dir.file("dots.ima"), row);
    ASSERT_EQ(run_program("label-tool", {"dots.ima", "4", "1", "0", "folded.ima"}, "", dir.path()).status, 0);
    const std::string folded = read_file(dir.file("folded.ima"));
    ASSERT_EQ(folded.size(), 1040u);
    auto label_of = [&](int object) { return static_cast<unsigned char>(folded[static_cast<std::size_t>(2 * (object - 1))]); };
    EXPECT_EQ(label_of(255), 255);
    EXPECT_EQ(label_of(256), 2);
    EXPECT_EQ(label_of(509), 255);
    EXPECT_EQ(label_of(510), 1);
    EXPECT_EQ(folded[1], '\0');

    ASSERT_EQ(run_program("label-tool", {"dots.ima", "4", "1", "0", "folded.ras"}, "", dir.path()).status, 0);
    EXPECT_EQ(read_file(dir.file("folded.ras")).substr(32), folded);
}

TEST(LabelTool, RefusalsComeBeforeAnyOutputFile) {
    TempDir dir;
    make_cells(dir);
    auto connexity = run_program("label-tool", {"cells.ima", "6", "1", "0", "out.imw"}, "", dir.path());
    EXPECT_EQ(connexity.status, 1);
    EXPECT_NE(connexity.out.find("\n>>ERREUR labelcc_lect : connexite 6 inconnu (4 ou 8)\n"), std::string::npos);

    // Labels are 16-bit: a 32-bit or float output cannot take them.
    auto format = run_program("label-tool", {"cells.ima", "4", "1", "0", "out.iml"}, "", dir.path());
    EXPECT_EQ(format.status, 1);
    EXPECT_NE(format.out.find("une image u2 ne peut pas etre ecrite au format .iml"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("out.iml")));
    EXPECT_FALSE(file_exists(dir.file("out.dim")));

    auto missing = run_program("label-tool", {"none.ima", "4", "1", "0", "out.imw"}, "", dir.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(file_exists(dir.file("out.imw")));

    auto wrong_reader = run_program("label-tool", {"cells.imw", "4", "1", "0", "out.imw"}, "", dir.path());
    EXPECT_EQ(wrong_reader.status, 1);
    EXPECT_NE(wrong_reader.out.find("extension imw inconnue (.ima/.ras)"), std::string::npos);
}

TEST(LabelTool, SaturationEndsWithStatusTwoAndWritesNothing) {
    TempDir dir;
    // 4-connexity checkerboard of 512 x 256: 65 536 isolated pixels.
    std::string pixels(static_cast<std::size_t>(512) * 256, '\0');
    for (int y = 0; y < 256; ++y)
        for (int x = y % 2; x < 512; x += 2) pixels[static_cast<std::size_t>(y) * 512 + x] = '\xff';
    write_file(dir.file("board.dim"), "512 256");
    write_file(dir.file("board.ima"), pixels);
    auto run = run_program("label-tool", {"board.ima", "4", "1", "0", "out.imw"}, "", dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "\n*** ETIQ *** table satur\202e\n");
    EXPECT_EQ(read_file(dir.file("out.imw")), "");
    EXPECT_EQ(read_file(dir.file("out.dim")), "");

    // With 8-connexity the same board is one object.
    auto eight = run_program("label-tool", {"board.ima", "8", "1", "0", "one.imw"}, "", dir.path());
    ASSERT_EQ(eight.status, 0);
    EXPECT_NE(eight.out.find("\n*** ETIQ *** 1 objets"), std::string::npos);
}
