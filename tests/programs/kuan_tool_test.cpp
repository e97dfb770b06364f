// kuan-tool end to end: 16-bit and float images, refusals before any output
// file.

#include <string>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

class KuanTool : public ProgramTest {
protected:
    KuanTool() : ProgramTest("kuan-tool") {}
};

}  // namespace

TEST_F(KuanTool, FiltersSixteenBitAndFloatImages) {
    // A uniform image has no variation: every pixel keeps its mean, counted.
    imau2 flat = make_image<imau2>(6, 4, [](int, int) { return 1000; });
    write_image(file("flat"), "imw", flat);
    const Outcome uniform = run({"flat.imw", "3", "3", "4", "out.imw"});
    ASSERT_EQ(uniform.status, 0) << uniform.out;
    EXPECT_NE(uniform.out.find("\n ATT kuanu2_calc : 24 points tels que CV_image < CV_speckle\n"), std::string::npos);
    EXPECT_EQ(read("out.imw"), read("flat.imw"));
    // Very many looks: the speckle is negligible and the image comes back.
    imafl texture = make_image<imafl>(6, 4, [](int x, int y) { return 10 + (x * 7 + y * 3) % 11; });
    write_image(file("texture"), "imf", texture);
    ASSERT_EQ(run({"texture.imf", "3", "3", "1e15", "out.imf"}).status, 0);
    imafl back = read_image<imafl>(file("out"), "imf");
    for (std::size_t i = 0; i < 24; ++i) EXPECT_NEAR(pixels_of(back)[i], pixels_of(texture)[i], 1e-3) << i;
    fw::free_image(&back);
    fw::free_image(&flat);
    fw::free_image(&texture);
}

TEST_F(KuanTool, RefusalsComeBeforeAnyOutputFile) {
    write("in.dim", "2 2");
    write("in.ima", "abcd");
    expect_refused({"in.ima", "3", "3", "4", "out.ima"}, 1,
                   "\n>> ERREUR kuan-tool : type d'image u1 non traite (types acceptes : u2, fl)\n", {"out.ima"});
    expect_refused({"in.ima", "3", "3", "0", "out.ima"}, 1, "(reel strictement positif)", {"out.ima"});
    expect_refused({"in.ima", "2", "3", "4", "out.ima"}, 1, "\n>> ERREUR kuan_lect : dimensions incorrectes\n",
                   {"out.ima"});
}
