// distance3d-tool end to end: its dialogue in the three modes, the 64-bit
// distance volume it writes from a volume file or an LVF file, and its
// refusals before any output file.

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

// 9 x 9 x 9 of 1 with one 0 at (4, 4, 4): the samples.
std::string binary_samples() {
    return samples(9, 9, 9, [](int x, int y, int z) { return x == 4 && y == 4 && z == 4 ? 0 : 1; });
}

class Distance3dTool : public ProgramTest {
protected:
    Distance3dTool() : ProgramTest("distance3d-tool") {}

    // The doubles of a written 9 x 9 x 9 volume file, after checking its header.
    std::vector<double> distances(const std::string& name) const {
        const std::string bytes = read(name);
        EXPECT_EQ(bytes.size(), 80u + 729u * 8u);
        EXPECT_EQ(bytes.substr(0, 80), volume_header(9, 9, 9, 64));
        std::vector<double> d(729);
        if (bytes.size() == 80u + 729u * 8u) std::memcpy(d.data(), bytes.data() + 80, 729 * 8);
        return d;
    }
};

// Plane 4 of the distances: the scans visit x and y 2 ... 5 and leave the
// rest at -1. 65 along an axis, 92 diagonally, 146 a knight's step away;
// the column 2 to the left of the source is beyond the four columns a scan
// looks at, so (2, 3) and (2, 5) take 65 + 92 = 157 through a neighbour.
std::vector<double> expected_plane_4() {
    const double interior[4][4] = {{184, 146, 130, 146}, {157, 92, 65, 92}, {130, 65, 0, 65}, {157, 92, 65, 92}};
    std::vector<double> plane(81, -1.0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) plane[static_cast<std::size_t>(y + 2) * 9 + x + 2] = interior[y][x];
    return plane;
}

}  // namespace

TEST_F(Distance3dTool, DialogueModesAndTheDistanceVolume) {
    write("bin.vol", volume_file(9, 9, 9, binary_samples()));
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"bin.vol", "dist.vol"}, {"dist.vol"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_NE(automatic.out.find("des->mask_av[0][0][0]=226\nim_distance: parcours avant des->mask_av[0][0][0]=226\n"
                                 "fin parcour avant\n"),
              std::string::npos);

    write("bin.lvf", lvf_file(9, 9, 9, binary_samples()));
    for (const char* input : {"bin.vol", "bin.lvf"}) {
        ASSERT_EQ(run({input, "dist.vol"}).status, 0) << input;
        const std::vector<double> d = distances("dist.vol");
        EXPECT_EQ(std::vector<double>(d.begin() + 4 * 81, d.begin() + 5 * 81), expected_plane_4()) << input;
        EXPECT_EQ(std::vector<double>(d.begin(), d.begin() + 2 * 81), std::vector<double>(2 * 81, -1.0)) << input;
    }
}

TEST_F(Distance3dTool, RefusalsComeBeforeAnyOutputFile) {
    write("bin.vol", volume_file(9, 9, 9, binary_samples()));
    expect_refused({"bin.vol", "dist.lvf"}, 1,
                   "\n>> ERREUR write_vol_init : un volume de 64 bits ne peut pas etre ecrit au format LVF (dist.lvf)\n",
                   {"dist.lvf"});
    write("wide.vol", volume_header(2, 2, 2, 16) + std::string(16, '\0'));
    expect_refused({"wide.vol", "dist.vol"}, 1,
                   "\n>> ERREUR distance3d-tool : volume wide.vol de 16 bits par voxel refuse (volume binaire de 8 bits)\n",
                   {"dist.vol"});
    expect_refused({"none.vol", "dist.vol"}, 1, "Can't open file none.vol", {"dist.vol"});
}
