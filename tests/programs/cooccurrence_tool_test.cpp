// cooccurrence-tool end to end: its dialogue in the three modes, the files
// of the selected features (names, 64-bit header, the samples written, by
// eye) from a volume file and an LVF file, the empty nonZeros.dump, and the
// refusals before any file.

#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume initial : nom complet du fichier volume a lire",
    ">> cooccurrence : winx",
    ">> cooccurrence : winy",
    ">> cooccurrence : winz",
    ">> cooccurrence : dx ",
    ">> cooccurrence : dy",
    ">> cooccurrence : dz ",
    ">> cooccurrence : Constrast (0/1)",
    ">> cooccurrence : Correlation (0/1)",
    ">> cooccurrence : Directivity (0/1)",
    ">> cooccurrence : Entropy (0/1)",
    ">> cooccurrence : Homogeneity (0/1)",
    ">> cooccurrence : Local Homogeneity (0/1)",
    ">> cooccurrence : Sum average (0/1)",
    ">> cooccurrence : Sum entropy (0/1)",
    ">> cooccurrence : Uniformity (0/1)",
    ">> prefixe des volumes resultats :",
};

// Window 2 x 2 x 1, displacement (1, 0, 0); Directivity and Sum average.
std::vector<std::string> replies(const std::string& input, const std::string& winx = "2",
                                 const std::string& selection = "001000100") {
    std::vector<std::string> r = {input, winx, "2", "1", "1", "0", "0"};
    for (char c : selection) r.push_back(std::string(1, c));
    r.push_back("out");
    return r;
}

class CooccurrenceTool : public ProgramTest {
protected:
    CooccurrenceTool() : ProgramTest("cooccurrence-tool") {
        const std::string sevens = samples(5, 4, 3, [](int, int, int) { return 7; });
        write("seven.vol", volume_file(5, 4, 3, sevens));
        write("seven.lvf", lvf_file(5, 4, 3, sevens));
    }

    // The doubles of a 5 x 4 x 3 feature file, after checking its header.
    std::vector<double> feature(const std::string& name) const {
        const std::string file = read(name);
        EXPECT_EQ(file.size(), 80u + 60u * 8u) << name;
        EXPECT_EQ(file.substr(0, 80), volume_header(5, 4, 3, 64)) << name;
        std::vector<double> values(60);
        if (file.size() == 80u + 60u * 8u) std::memcpy(values.data(), file.data() + 80, 60 * 8);
        return values;
    }
};

}  // namespace

TEST_F(CooccurrenceTool, DialogueModesAndTheFeaturesOfAUniformVolume) {
    const Outcome automatic = expect_dialogue_modes(kQuestions, replies("seven.vol"), {"out_Dir.vol", "out_SAv.vol"});
    EXPECT_NE(automatic.out.find(">> Mcoocur_calc : matrice de la premiere fenetre en "), std::string::npos);
    EXPECT_NE(automatic.out.find(">> Mcoocur_calc : 8 fenetres en "), std::string::npos);

    // Origins x 0 ... 1, y 0 ... 1, z 0 ... 1 (5 - 2 - 1, 4 - 2, 3 - 1 of
    // them), stored at (x + 1, y + 1, z): one cell M[7][7] of 4 pairs, so
    // directivity 4 and sum average 2 x 7 x 4; nothing else is written.
    for (const char* input : {"seven.vol", "seven.lvf"}) {
        ASSERT_EQ(run(replies(input)).status, 0) << input;
        std::vector<double> dir(60, 0.0), sav(60, 0.0);
        for (int z = 0; z < 2; ++z)
            for (int y = 1; y <= 2; ++y)
                for (int x = 1; x <= 2; ++x) dir[(z * 4 + y) * 5 + x] = 4, sav[(z * 4 + y) * 5 + x] = 56;
        EXPECT_EQ(feature("out_Dir.vol"), dir) << input;
        EXPECT_EQ(feature("out_SAv.vol"), sav) << input;
        EXPECT_TRUE(exists("nonZeros.dump"));
        EXPECT_EQ(read("nonZeros.dump"), "");
        std::string names;
        for (const auto& [name, bytes] : folder_contents(dir_.path())) names += name + " ";
        EXPECT_EQ(names, "nonZeros.dump out_Dir.vol out_SAv.vol run.ctrl seven.lvf seven.vol ");
    }
}

TEST_F(CooccurrenceTool, AnUncreatableDumpIsOnlyAWarning) {
    ASSERT_EQ(std::system(("mkdir " + file("nonZeros.dump")).c_str()), 0);
    const Outcome run_ = run(replies("seven.vol", "2", "100000000"));
    EXPECT_EQ(run_.status, 0);
    EXPECT_NE(run_.out.find(">> ATT Mcoocur_calc : fichier nonZeros.dump non cree\n"), std::string::npos);
    EXPECT_EQ(feature("out_Con.vol"), std::vector<double>(60, 0.0));  // uniform: contrast 0
}

TEST_F(CooccurrenceTool, RefusalsComeBeforeAnyFile) {
    const std::vector<std::string> none = {"out_Dir.vol", "out_SAv.vol", "out_Con.vol", "nonZeros.dump"};
    expect_refused(replies("seven.vol", "2", "000000000"), 1,
                   "\n>> ERREUR cooccurrence-tool : aucun attribut choisi (au moins une reponse 1)\n", none);
    expect_refused(replies("seven.vol", "4"), 1,
                   "\n>> ERREUR Mcoocur : fenetre 4x2x1 et deplacement (1, 0, 0) trop grands pour le volume 5x4x3 "
                   "(fenetre + deplacement < dimension, selon chaque axe)\n",
                   none);
    expect_refused(replies("seven.vol", "0"), 1,
                   "\n>> ERREUR Mcoocur_lect : reponse \"0\" refusee a la question \">> cooccurrence : winx\" (entier "
                   "de 1 a 2147483647)\n",
                   none);
    // Checked on the header, before the samples are read (there are none).
    write("huge.vol", volume_header(2001, 2001, 1075, 8));
    std::vector<std::string> huge = {"huge.vol", "2000", "2000", "1074", "0", "0", "0", "1"};
    huge.resize(16, "0");
    huge.push_back("out");
    expect_refused(huge, 1, "\n>> ERREUR Mcoocur : fenetre de 4296000000 voxels refusee (au plus 4294967295)\n", none);
    expect_refused(replies("none.vol"), 1, "Can't open file none.vol", none);
}
