// haar-window-tool end to end: its dialogue in the three modes, the means
// of a ramp by eye (window sizes rounded to multiples of 2^S), and its
// refusals before any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume initial : nom complet du fichier volume a lire",
    ">> ondelettes : Scale:",
    ">> ondelettes : Window size X:",
    ">> ondelettes : Window size Y:",
    ">> ondelettes : Window size Z:",
    ">> ondelettes : Direction:",
    ">> ondelettes : Feature:",
    ">> volume resultat : nom complet du fichier volume a ecrire",
};

class HaarWindowTool : public ProgramTest {
protected:
    HaarWindowTool() : ProgramTest("haar-window-tool") {
        write("ramp.vol", volume_file(8, 5, 5, samples(8, 5, 5, [](int x, int, int) { return 10 * x; })));
    }
};

}  // namespace

TEST_F(HaarWindowTool, DialogueModesAndTheMeansOfARamp) {
    const std::vector<std::string> replies = {"ramp.vol", "1", "3", "3", "2", "0", "1", "means.vol"};
    const Outcome automatic = expect_dialogue_modes(kQuestions, replies, {"means.vol"});
    EXPECT_NE(automatic.out.find("Dim win optimal: 2 2 2\nsection 1/5\nsection 2/5\n"), std::string::npos);
    // Windows of 2 x 2 x 2 at origins k 0 ... 4, j 0 ... 1, i 0 ... 1, each
    // reduced to one approximation (10k + 10 (k + 1)) / 2 = 10k + 5, stored
    // at (k + 1, j + 1, i + 1).
    const std::string expected = samples(8, 5, 5, [](int x, int y, int z) {
        return x >= 1 && x <= 5 && y >= 1 && y <= 2 && z >= 1 && z <= 2 ? 10 * (x - 1) + 5 : 0;
    });
    ASSERT_EQ(run(replies).status, 0);
    EXPECT_EQ(read("means.vol"), volume_file(8, 5, 5, expected));
    // Any feature but 1 and 2: 255 at the same samples.
    ASSERT_EQ(run({"ramp.vol", "1", "2", "2", "2", "0", "7", "other.lvf"}).status, 0);
    EXPECT_EQ(read("other.lvf"), lvf_file(8, 5, 5, samples(8, 5, 5, [&](int x, int y, int z) {
                                              return expected[static_cast<std::size_t>((z * 5 + y) * 8 + x)] != 0 ? 255
                                                                                                                  : 0;
                                          })));
}

TEST_F(HaarWindowTool, RefusalsComeBeforeAnyOutputFile) {
    expect_refused({"ramp.vol", "1", "1", "2", "2", "0", "1", "out.vol"}, 1,
                   "\n>> ERREUR hw_coef_on_window : fenetre 1x2x2 plus petite que 2^S (echelle 1)\n", {"out.vol"});
    expect_refused({"ramp.vol", "1", "2", "4", "2", "0", "1", "out.vol"}, 1,
                   "\n>> ERREUR hw_coef_on_window : fenetre 2x4x2 trop grande pour le volume 8x5x5 (plus petite d'au "
                   "moins 2 selon chaque axe)\n",
                   {"out.vol"});
    expect_refused({"ramp.vol", "1", "2", "2", "2", "0", "-1", "out.vol"}, 1,
                   "\n>> ERREUR hw_coef_on_window_lect : reponse \"-1\" refusee a la question \">> ondelettes : "
                   "Feature:\" (entier de 0 a 255)\n",
                   {"out.vol"});
    expect_refused({"none.vol", "1", "2", "2", "2", "0", "1", "out.vol"}, 1, "Can't open file none.vol", {"out.vol"});
}
