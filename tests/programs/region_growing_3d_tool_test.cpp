// region-growing-3d-tool end to end: its dialogue in the three modes, the
// lines of every pass, the repainted volume as a volume file and as an LVF
// file, replies kept in 8 bits, and its refusals before any output file.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume initial : nom complet du fichier volume a lire",
    ">> croissance de regions 3D : nb d'iteration ",
    ">> croissance de regions 3D : seuil de depart aggreg de 2 regions ",
    ">> croissance de regions 3D : incrementation du seuil ",
    ">> volume resultat : nom complet du fichier volume a ecrire",
};

// 4 x 2 x 2: a checkerboard of 10 and 12 for x < 2, of 100 and 104 beyond.
int source(int x, int y, int z) { return x < 2 ? 10 + 2 * ((x + y + z) % 2) : 100 + 4 * ((x + y + z) % 2); }

// Threshold 2 joins the 10s and 12s (mean 11) and leaves the eight others
// apart; threshold 2 + 3 then joins 100 and 104 (mean 102).
int grown(int x, int, int) { return x < 2 ? 11 : 102; }

const std::string kLines =
    "-------Etiquettage 0 --- seuil 2 -----\nnb_etiq = 9 (max 17000000)\nnb_label_effectif: 9\n"
    "-------Etiquettage 1 --- seuil 5 -----\nnb_etiq = 2 (max 17000000)\nnb_label_effectif: 2\n";

class RegionGrowing3dTool : public ProgramTest {
protected:
    RegionGrowing3dTool() : ProgramTest("region-growing-3d-tool") {}
    void make_volume() const { write("src.vol", volume_file(4, 2, 2, samples(4, 2, 2, source))); }
};

}  // namespace

TEST_F(RegionGrowing3dTool, DialogueModesAndTheRepaintedVolume) {
    make_volume();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"src.vol", "2", "2", "3", "res.vol"}, {"res.vol"});
    EXPECT_EQ(automatic.err, "");
    EXPECT_EQ(automatic.out.substr(automatic.out.size() - kLines.size()), kLines);

    ASSERT_EQ(run({"src.vol", "2", "2", "3", "res.vol"}).status, 0);
    EXPECT_EQ(read("res.vol"), volume_file(4, 2, 2, samples(4, 2, 2, grown)));
    // The same replies modulo 256, into an LVF file, from an LVF file.
    ASSERT_EQ(run({"src.vol", "258", "514", "-253", "res.lvf"}).status, 0);
    EXPECT_EQ(read("res.lvf"), lvf_file(4, 2, 2, samples(4, 2, 2, grown)));
    ASSERT_EQ(run({"res.lvf", "1", "0", "0", "again.vol"}).status, 0);
    EXPECT_EQ(read("again.vol"), read("res.vol"));
    // No iteration: the volume as read.
    const Outcome none = run({"src.vol", "0", "2", "3", "same.vol"});
    ASSERT_EQ(none.status, 0);
    EXPECT_EQ(none.out.find("Etiquettage"), std::string::npos);
    EXPECT_EQ(read("same.vol"), read("src.vol"));
}

TEST_F(RegionGrowing3dTool, RefusalsComeBeforeAnyOutputFile) {
    make_volume();
    expect_refused({"none.vol", "2", "2", "3", "res.vol"}, 1, "Can't open file none.vol\n", {"res.vol"});
    // Replies are ints before their low 8 bits are kept: beyond int, refused.
    expect_refused({"src.vol", "4294967296", "2", "3", "res.vol"}, 1,
                   "\n>> ERREUR reggr3d_lect : reponse \"4294967296\" refusee a la question \"" + kQuestions[1] +
                       "\" (entier de -2147483648 a 2147483647)\n",
                   {"res.vol"});
    write("text.vol", "not a volume");
    expect_refused({"text.vol", "2", "2", "3", "res.vol"}, 1, "text.vol n'est ni un volume LVF ni un fichier volume",
                   {"res.vol"});
}
