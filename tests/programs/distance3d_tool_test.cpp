// distance3d-tool end to end: its dialogue in the three modes, the 64-bit
// distances of one source by eye, from a volume file and from an LVF file,
// and its refusals before any output file.

#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume binaire : nom complet du fichier volume a lire",
    ">> carte de distance : nom complet du fichier volume a ecrire",
};

class Distance3dTool : public ProgramTest {
protected:
    Distance3dTool() : ProgramTest("distance3d-tool") {
        // 9 x 9 x 9 of 1 but a 0 at (4, 4, 4).
        const std::string one_source = samples(9, 9, 9, [](int x, int y, int z) { return x == 4 && y == 4 && z == 4 ? 0 : 1; });
        write("bin.vol", volume_file(9, 9, 9, one_source));
        write("bin.lvf", lvf_file(9, 9, 9, one_source));
    }
};

}  // namespace

TEST_F(Distance3dTool, DialogueModesAndTheDistancesOfOneSource) {
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"bin.vol", "dist.vol"}, {"dist.vol"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("=226\nim_distance: parcours avant des->mask_av[0][0][0]=226\nfin parcour avant\n"),
              std::string::npos);
    // Plane 4: the scans visit x and y 2 ... 5 and leave -1 elsewhere; 65
    // along an axis, 92 diagonally, 146 a knight's step away; the source is
    // beyond the four columns a voxel two columns to its left looks at, so
    // (2, 3) and (2, 5) take 65 + 92 = 157 through a neighbour.
    const double interior[4][4] = {{184, 146, 130, 146}, {157, 92, 65, 92}, {130, 65, 0, 65}, {157, 92, 65, 92}};
    std::vector<double> expected(81, -1.0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) expected[static_cast<std::size_t>(y + 2) * 9 + x + 2] = interior[y][x];
    for (const char* input : {"bin.vol", "bin.lvf"}) {
        ASSERT_EQ(run({input, "dist.vol"}).status, 0) << input;
        const std::string file = read("dist.vol");
        ASSERT_EQ(file.size(), 80u + 729u * 8u) << input;
        EXPECT_EQ(file.substr(0, 80), volume_header(9, 9, 9, 64));
        std::vector<double> plane(81), first_planes(162);
        std::memcpy(plane.data(), file.data() + 80 + 4 * 81 * 8, 81 * 8);
        std::memcpy(first_planes.data(), file.data() + 80, 162 * 8);
        EXPECT_EQ(plane, expected) << input;
        EXPECT_EQ(first_planes, std::vector<double>(162, -1.0)) << input;
    }
}

TEST_F(Distance3dTool, RefusalsComeBeforeAnyOutputFile) {
    expect_refused({"bin.vol", "dist.lvf"}, 1,
                   "\n>> ERREUR write_vol_init : un volume de 64 bits ne peut pas etre ecrit au format LVF (dist.lvf)\n",
                   {"dist.lvf"});
    write("wide.vol", volume_header(2, 2, 2, 16) + std::string(16, '\0'));
    expect_refused({"wide.vol", "dist.vol"}, 1,
                   "\n>> ERREUR distance3d-tool : volume wide.vol de 16 bits par voxel refuse (volume binaire de 8 bits)\n",
                   {"dist.vol"});
    expect_refused({"none.vol", "dist.vol"}, 1, "Can't open file none.vol", {"dist.vol"});
}
