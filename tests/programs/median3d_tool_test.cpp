// median3d-tool end to end: its dialogue in the three modes, the lines it
// prints, the result file, the window cut to the volume, and its refusals.

#include <filesystem>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">>median3d question : winX (entier impair positif)",
    ">>median3d question : winY (entier impair positif)",
    ">>median3d question : winZ (entier impair positif)",
    ">>entrer le chemin et le nom de l'image a traiter",
    ">>entrer le chemin et le nom de l'image resulat",
};

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

// Interior: x 1..4, y 1..3, z 1..2. Plane 1's boxes hold planes 0-2 (all 30
// but the spike); plane 2's boxes hold 18 voxels of 30 and 9 of the ramp
// plane, so their median is 30 too.
std::string spiked_result() {
    return volume_file(6, 5, 4, samples(6, 5, 4, [](int x, int y, int z) {
                           return x >= 1 && x <= 4 && y >= 1 && y <= 3 && z >= 1 && z <= 2 ? 30 : 0;
                       }));
}

class Median3dTool : public ProgramTest {
protected:
    Median3dTool() : ProgramTest("median3d-tool") {}
};

}  // namespace

TEST_F(Median3dTool, DialogueModesFilterAndPrintTheirLines) {
    write("src.vol", spiked_volume());
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"3", "3", "3", "src.vol", "res.vol"}, {"res.vol"});
    EXPECT_EQ(automatic.err, "");
    // After the dialogue, exactly these lines, in this order.
    const std::string tail =
        "\n fichier source src.vol"
        "\n fichier dest res.vol\n"
        " format de l'image source 6 5 4\n"
        "\n fin calcul avec le  masque 3x3x3, nomfichierRes: res.vol\n";
    ASSERT_GE(automatic.out.size(), tail.size());
    EXPECT_EQ(automatic.out.substr(automatic.out.size() - tail.size()), tail);

    ASSERT_EQ(run({"3", "3", "3", "src.vol", "res.vol"}).status, 0);
    EXPECT_EQ(read("res.vol"), spiked_result());
    const Outcome flat = run({"3", "1", "3", "src.vol", "flat.vol"});
    EXPECT_NE(flat.out.find("masque 3x1x3, nomfichierRes: flat.vol\n"), std::string::npos);
}

TEST_F(Median3dTool, WindowsLongerThanTheVolumeAreCutToTheLargestOddSize) {
    // 4 x 3 x 5: 5 along 4 becomes 3, along 3 becomes 3, along 5 stays 5.
    write("ramp.vol", volume_file(4, 3, 5, samples(4, 3, 5, ramp)));
    const Outcome cut = run({"5", "5", "5", "ramp.vol", "out.vol"});
    ASSERT_EQ(cut.status, 0) << cut.out;
    EXPECT_NE(cut.out.find(" format de l'image source 4 3 5\n"), std::string::npos);
    EXPECT_NE(cut.out.find("\n fin calcul avec le  masque 3x3x5, nomfichierRes: out.vol\n"), std::string::npos);
    EXPECT_EQ(read("out.vol"), filtered_ramp(4, 3, 5, 1, 1, 2));

    // Axes of 2 and 1 voxels take windows of 1: that axis is all interior.
    write("thin.vol", volume_file(6, 2, 1, samples(6, 2, 1, ramp)));
    const Outcome thin = run({"3", "9", "7", "thin.vol", "thin_out.vol"});
    ASSERT_EQ(thin.status, 0) << thin.out;
    EXPECT_NE(thin.out.find("masque 3x1x1, nomfichierRes"), std::string::npos);
    EXPECT_EQ(read("thin_out.vol"), filtered_ramp(6, 2, 1, 1, 0, 0));
}

TEST_F(Median3dTool, LvfVolumesAreReadAndWrittenByTheirNames) {
    write("src.lvf", lvf_file(6, 5, 4, spiked_volume().substr(80)));
    ASSERT_EQ(run({"3", "3", "3", "src.lvf", "res.lvf"}).status, 0);
    EXPECT_EQ(read("res.lvf"), lvf_file(6, 5, 4, spiked_result().substr(80)));
}

TEST_F(Median3dTool, RefusesWindowsThatAreNotPositiveAndOddBeforeAnyFile) {
    write("src.vol", spiked_volume());
    const char* windows[][3] = {{"4", "3", "3"}, {"3", "0", "3"}, {"3", "3", "-1"}, {"x", "3", "3"}};
    for (const auto& w : windows) {
        const std::string sizes = std::string(w[0] == std::string("x") ? "0" : w[0]) + "x" + w[1] + "x" + w[2];
        const std::string message = "\n>> ERREUR median3d : fenetre " + sizes +
                                    " refusee, winX, winY et winZ doivent etre des entiers impairs positifs\n";
        expect_refused({w[0], w[1], w[2], "src.vol", "res.vol"}, 1, message, {"res.vol"});
        const Outcome refused = run({w[0], w[1], w[2], "src.vol", "res.vol"});
        EXPECT_EQ(refused.out.substr(refused.out.size() - message.size()), message);
        EXPECT_EQ(refused.out.find("fichier source"), std::string::npos);
    }
    // A size beyond int is refused while it is asked.
    expect_refused({"3", "99999999999", "3", "src.vol", "res.vol"}, 1,
                   "\n>> ERREUR median3d_lect : reponse \"99999999999\" refusee a la question \"" + kQuestions[1] +
                       "\" (entier de -2147483648 a 2147483647)\n",
                   {"res.vol"});
    // A refused run from the terminal is still saved for correction.
    const Outcome manual = run({}, "3\n2\n3\nsrc.vol\nres.vol\nbad\n");
    EXPECT_EQ(manual.status, 1);
    EXPECT_NE(read("bad.ctrl").find("2\t\t#" + kQuestions[1]), std::string::npos);
    EXPECT_FALSE(exists("res.vol"));
}

TEST_F(Median3dTool, MissingSourceAndLongPaths) {
    const Outcome missing = run({"3", "3", "3", "none.vol", "res.vol"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("\n fichier source none.vol\n fichier dest res.vol\nCan't open file none.vol\n"),
              std::string::npos)
        << missing.out;
    EXPECT_FALSE(exists("res.vol"));

    // Paths of about 150 characters, well beyond 64, are kept whole.
    const std::string folder = std::string(120, 'd');
    ASSERT_TRUE(std::filesystem::create_directory(file(folder)));
    const std::string source = folder + "/source_volume_with_a_long_name.vol";
    const std::string result = folder + "/result_volume_with_a_long_name.vol";
    write(source, spiked_volume());
    const Outcome long_paths = run({"3", "3", "3", source, result});
    ASSERT_EQ(long_paths.status, 0) << long_paths.out;
    EXPECT_NE(long_paths.out.find("\n fichier source " + source + "\n fichier dest " + result + "\n"), std::string::npos);
    EXPECT_NE(long_paths.out.find("nomfichierRes: " + result + "\n"), std::string::npos);
    EXPECT_EQ(read(result), spiked_result());
}
