// median3d-tool end to end: its dialogue in the three modes, the lines it
// prints, the result file, the window cut to the volume, and its refusals.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support.hpp"
#include "volume_files.hpp"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<std::string> kQuestions = {
    ">>median3d question : winX (entier impair positif)",
    ">>median3d question : winY (entier impair positif)",
    ">>median3d question : winZ (entier impair positif)",
    ">>entrer le chemin et le nom de l'image a traiter",
    ">>entrer le chemin et le nom de l'image resulat",
};

// An 8-bit volume file: its header, then the samples.
std::string volume_file(int dimx, int dimy, int dimz, const std::string& samples) {
    return volume_files::volume_header(dimx, dimy, dimz, 8) + samples;
}

// Samples f(x, y, z), plane after plane, trace after trace.
template <class F>
std::string samples(int dimx, int dimy, int dimz, F f) {
    std::string s;
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x) s += static_cast<char>(f(x, y, z));
    return s;
}

// A volume that is linear in x, y and z: the median of any centred box is
// its centre, so the result is the input inside and 0 near the faces.
int ramp(int x, int y, int z) { return 1 + x + 8 * y + 40 * z; }

// The result expected from a ramp volume and a window of half sizes h.
std::string filtered_ramp(int dimx, int dimy, int dimz, int hx, int hy, int hz) {
    return volume_file(dimx, dimy, dimz, samples(dimx, dimy, dimz, [&](int x, int y, int z) {
                           const bool inside = x >= hx && x < dimx - hx && y >= hy && y < dimy - hy && z >= hz &&
                                               z < dimz - hz;
                           return inside ? ramp(x, y, z) : 0;
                       }));
}

// 6 x 5 x 4 of uniform 30 with one bright voxel and a ramp plane, where a
// 3 x 3 x 3 median is not a copy of the input.
std::string spiked_volume() {
    return volume_file(6, 5, 4, samples(6, 5, 4, [](int x, int y, int z) {
                           if (x == 2 && y == 2 && z == 1) return 250;
                           return z == 3 ? 10 * x + y : 30;
                       }));
}

std::string spiked_result() {
    // Interior: x 1..4, y 1..3, z 1..2. Plane 1's boxes hold planes 0-2 (all
    // 30 but the spike); plane 2's boxes hold 18 voxels of 30 and 9 of the
    // ramp plane, so their median is 30 too.
    return volume_file(6, 5, 4, samples(6, 5, 4, [](int x, int y, int z) {
                           const bool inside = x >= 1 && x <= 4 && y >= 1 && y <= 3 && z >= 1 && z <= 2;
                           return inside ? 30 : 0;
                       }));
}

}  // namespace

TEST(Median3dTool, AutoModeFiltersAndPrintsItsLines) {
    TempDir dir;
    write_file(dir.file("src.vol"), spiked_volume());
    auto run = run_program("median3d-tool", {"3", "3", "3", "src.vol", "res.vol"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(read_file(dir.file("res.vol")), spiked_result());

    EXPECT_NE(run.out.find("\n>> param_debut, mode AUTO : 5 parametres passes en ligne\n"), std::string::npos);
    std::size_t at = 0;
    const std::string replies[] = {"3", "3", "3", "src.vol", "res.vol"};
    for (int i = 0; i < 5; ++i) {
        at = run.out.find("\n" + kQuestions[i] + " = " + replies[i] + "\n", at);
        ASSERT_NE(at, std::string::npos) << kQuestions[i];
    }
    // After the dialogue, exactly these lines, in this order.
    const std::string tail =
        "\n fichier source src.vol"
        "\n fichier dest res.vol\n"
        " format de l'image source 6 5 4\n"
        "\n fin calcul avec le  masque 3x3x3, nomfichierRes: res.vol\n";
    ASSERT_GE(run.out.size(), tail.size());
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
    EXPECT_LT(at, run.out.size() - tail.size());
}

TEST(Median3dTool, ManualRunSavesAControlFileThatReplaysWithoutTyping) {
    TempDir dir;
    write_file(dir.file("src.vol"), spiked_volume());
    auto manual = run_program("median3d-tool", {}, "3\n1\n3\nsrc.vol\nres.vol\nrun\n", dir.path());
    ASSERT_EQ(manual.status, 0) << manual.out;
    EXPECT_TRUE(testing_support::asks_in_order(manual.out, kQuestions)) << manual.out;
    const std::string ctrl = read_file(dir.file("run.ctrl"));
    EXPECT_EQ(ctrl, testing_support::ctrl_text({"3", "1", "3", "src.vol", "res.vol"}, kQuestions));
    EXPECT_NE(manual.out.find("masque 3x1x3, nomfichierRes: res.vol\n"), std::string::npos);
    const std::string first = read_file(dir.file("res.vol"));
    ASSERT_EQ(first.size(), 80u + 6 * 5 * 4);

    // Replay with nothing typed: every recorded reply and the save name kept.
    ASSERT_EQ(std::remove(dir.file("res.vol").c_str()), 0);
    auto replay = run_program("median3d-tool", {"run.ctrl"}, "", dir.path());
    ASSERT_EQ(replay.status, 0) << replay.out;
    EXPECT_NE(replay.out.find("mode FICHIER : 5 parametres lus dans run.ctrl"), std::string::npos);
    EXPECT_NE(replay.out.find("\n" + kQuestions[1] + "? [1] : "), std::string::npos);
    EXPECT_NE(replay.out.find("\n" + kQuestions[4] + "? [res.vol] : "), std::string::npos);
    EXPECT_EQ(read_file(dir.file("res.vol")), first);
    EXPECT_EQ(read_file(dir.file("run.ctrl")), ctrl);
}

TEST(Median3dTool, WindowsLongerThanTheVolumeAreCutToTheLargestOddSize) {
    TempDir dir;
    // 4 x 3 x 5: 5 along 4 becomes 3, along 3 becomes 3, along 5 stays 5.
    write_file(dir.file("ramp.vol"), volume_file(4, 3, 5, samples(4, 3, 5, ramp)));
    auto run = run_program("median3d-tool", {"5", "5", "5", "ramp.vol", "out.vol"}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find(" format de l'image source 4 3 5\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n fin calcul avec le  masque 3x3x5, nomfichierRes: out.vol\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("out.vol")), filtered_ramp(4, 3, 5, 1, 1, 2));

    // Axes of 2 and 1 voxels take windows of 1: that axis is all interior.
    write_file(dir.file("thin.vol"), volume_file(6, 2, 1, samples(6, 2, 1, ramp)));
    auto thin = run_program("median3d-tool", {"3", "9", "7", "thin.vol", "thin_out.vol"}, "", dir.path());
    ASSERT_EQ(thin.status, 0) << thin.out;
    EXPECT_NE(thin.out.find("masque 3x1x1, nomfichierRes"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("thin_out.vol")), filtered_ramp(6, 2, 1, 1, 0, 0));
}

TEST(Median3dTool, RefusesWindowsThatAreNotPositiveAndOddBeforeAnyFile) {
    TempDir dir;
    write_file(dir.file("src.vol"), spiked_volume());
    const char* windows[][3] = {{"4", "3", "3"}, {"3", "0", "3"}, {"3", "3", "-1"}, {"x", "3", "3"}};
    for (const auto& w : windows) {
        auto run = run_program("median3d-tool", {w[0], w[1], w[2], "src.vol", "res.vol"}, "", dir.path());
        const std::string sizes = std::string(w[0] == std::string("x") ? "0" : w[0]) + "x" + w[1] + "x" + w[2];
        EXPECT_EQ(run.status, 1) << sizes;
        const std::string message = "\n>> ERREUR median3d : fenetre " + sizes +
                                    " refusee, winX, winY et winZ doivent etre des entiers impairs positifs\n";
        ASSERT_GE(run.out.size(), message.size());
        EXPECT_EQ(run.out.substr(run.out.size() - message.size()), message) << run.out;
        EXPECT_EQ(run.out.find("fichier source"), std::string::npos);
        EXPECT_FALSE(file_exists(dir.file("res.vol")));
    }
    // A refused run from the terminal is still saved for correction.
    auto manual = run_program("median3d-tool", {}, "3\n2\n3\nsrc.vol\nres.vol\nbad\n", dir.path());
    EXPECT_EQ(manual.status, 1);
    EXPECT_NE(read_file(dir.file("bad.ctrl")).find("2\t\t#" + kQuestions[1]), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("res.vol")));
}

TEST(Median3dTool, AMissingSourceVolumeEndsWithStatusOne) {
    TempDir dir;
    auto run = run_program("median3d-tool", {"3", "3", "3", "none.vol", "res.vol"}, "", dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\n fichier source none.vol\n fichier dest res.vol\nCan't open file none.vol\n"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(file_exists(dir.file("res.vol")));
}

TEST(Median3dTool, LongPathsAreKeptWhole) {
    TempDir dir;
    // Paths of about 150 characters, well beyond 64.
    const std::string folder = std::string(120, 'd');
    ASSERT_TRUE(std::filesystem::create_directory(dir.file(folder)));
    const std::string source = folder + "/source_volume_with_a_long_name.vol";
    const std::string result = folder + "/result_volume_with_a_long_name.vol";
    ASSERT_GT(source.size(), 150u);
    write_file(dir.file(source), spiked_volume());
    auto run = run_program("median3d-tool", {"3", "3", "3", source, result}, "", dir.path());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\n fichier source " + source + "\n fichier dest " + result + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("nomfichierRes: " + result + "\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file(result)), spiked_result());
}
