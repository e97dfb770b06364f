// cooccurrence-tool end to end: its dialogue in the three modes, the nine
// feature files of a uniform volume by eye (names, 64-bit header, the
// samples written) from a volume file and an LVF file, the selections
// replies make, the empty nonZeros.dump, and the refusals before any file.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const char* const kNames[] = {"Constrast",         "Correlation", "Directivity", "Entropy",   "Homogeneity",
                              "Local Homogeneity", "Sum average", "Sum entropy", "Uniformity"};
const char* const kShort[] = {"Con", "Cor", "Dir", "Ent", "Hom", "LHo", "SAv", "SEn", "Uni"};

std::vector<std::string> questions() {
    std::vector<std::string> q = {">> volume initial : nom complet du fichier volume a lire"};
    for (const char* size : {"winx", "winy", "winz", "dx ", "dy", "dz "})
        q.push_back(std::string(">> cooccurrence : ") + size);
    for (const char* name : kNames) q.push_back(std::string(">> cooccurrence : ") + name + " (0/1)");
    q.push_back(">> prefixe des volumes resultats :");
    return q;
}

// Window winx x 2 x 1, displacement (1, 0, 0), one reply per feature.
std::vector<std::string> replies(const std::string& input, const std::string& winx,
                                 const std::vector<std::string>& selection) {
    std::vector<std::string> r = {input, winx, "2", "1", "1", "0", "0"};
    r.insert(r.end(), selection.begin(), selection.end());
    r.push_back("out");
    return r;
}
const std::vector<std::string> kEvery(9, "1");

class CooccurrenceTool : public ProgramTest {
protected:
    CooccurrenceTool() : ProgramTest("cooccurrence-tool") {
        const std::string sevens = samples(5, 4, 3, [](int, int, int) { return 7; });
        write("seven.vol", volume_file(5, 4, 3, sevens));
        write("seven.lvf", lvf_file(5, 4, 3, sevens));
    }

    // The files of the folder, by name.
    std::string names() const {
        std::string list;
        for (const auto& [name, bytes] : folder_contents(dir_.path())) list += name + " ";
        return list;
    }
};

}  // namespace

TEST_F(CooccurrenceTool, DialogueModesAndTheFeaturesOfAUniformVolume) {
    std::vector<std::string> files;
    for (const char* s : kShort) files.push_back(std::string("out_") + s + ".vol");
    const Outcome automatic = expect_dialogue_modes(questions(), replies("seven.vol", "2", kEvery), files);
    EXPECT_NE(automatic.out.find(">> Mcoocur_calc : matrice de la premiere fenetre en "), std::string::npos);
    EXPECT_NE(automatic.out.find(">> Mcoocur_calc : 8 fenetres en "), std::string::npos);

    // Origins x 0 ... 1, y 0 ... 1, z 0 ... 1 (5 - 2 - 1, 4 - 2, 3 - 1 of
    // them), stored at (x + 1, y + 1, z): one cell M[7][7] of P = 4 pairs,
    // N = 1: contrast 0, directivity P, entropy 0 (one cell), homogeneity
    // P^2, local homogeneity P, sum average 2 x 7 x P, sum entropy
    // P log10 P, uniformity P^2; correlation NaN. Nothing else is written.
    const double values[] = {0, NAN, 4, 0, 16, 4, 56, 4 * std::log10(4.0), 16};
    for (const char* input : {"seven.vol", "seven.lvf"}) {
        ASSERT_EQ(run(replies(input, "2", kEvery)).status, 0) << input;
        for (int f = 0; f < 9; ++f) {
            std::vector<double> expected(60, 0.0);
            for (int z = 0; z < 2; ++z)
                for (int y = 1; y <= 2; ++y)
                    for (int x = 1; x <= 2; ++x) expected[(z * 4 + y) * 5 + x] = values[f];
            const std::string bytes(reinterpret_cast<const char*>(expected.data()), 60 * 8);
            EXPECT_EQ(read(files[f]), volume_header(5, 4, 3, 64) + bytes) << input << " " << kShort[f];
        }
        EXPECT_EQ(read("nonZeros.dump"), "");
    }
    // A feature is selected when its reply begins with '1'.
    for (const std::string& f : files) remove(f);
    ASSERT_EQ(run(replies("seven.vol", "2", {"0", "1x", "01", "2", "no", "1", "0", "0", "0"})).status, 0);
    EXPECT_EQ(names(), "nonZeros.dump out_Cor.vol out_LHo.vol run.ctrl seven.lvf seven.vol ");
}

TEST_F(CooccurrenceTool, AnUncreatableDumpIsOnlyAWarning) {
    ASSERT_EQ(std::system(("mkdir " + file("nonZeros.dump")).c_str()), 0);
    const Outcome run_ = run(replies("seven.vol", "2", {"1", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(run_.status, 0);
    EXPECT_NE(run_.out.find(">> ATT Mcoocur_calc : fichier nonZeros.dump non cree\n"), std::string::npos);
    EXPECT_EQ(read("out_Con.vol"), volume_header(5, 4, 3, 64) + std::string(480, '\0'));  // contrast 0
}

TEST_F(CooccurrenceTool, RefusalsComeBeforeAnyFile) {
    const std::string none = "seven.lvf seven.vol ";
    expect_refused(replies("seven.vol", "2", std::vector<std::string>(9, "0")), 1,
                   "\n>> ERREUR cooccurrence-tool : aucun attribut choisi (au moins une reponse 1)\n");
    expect_refused(replies("seven.vol", "4", kEvery), 1,
                   "\n>> ERREUR Mcoocur : fenetre 4x2x1 et deplacement (1, 0, 0) trop grands pour le volume 5x4x3 "
                   "(fenetre + deplacement < dimension, selon chaque axe)\n");
    expect_refused(replies("seven.vol", "0", kEvery), 1,
                   "\n>> ERREUR Mcoocur_lect : reponse \"0\" refusee a la question \">> cooccurrence : winx\" (entier "
                   "de 1 a 2147483647)\n");
    expect_refused(replies("none.vol", "2", kEvery), 1, "Can't open file none.vol");
    EXPECT_EQ(names(), none);
    // Checked on the header, before the samples are read (there are none).
    write("huge.vol", volume_header(2001, 2001, 1075, 8));
    std::vector<std::string> huge = {"huge.vol", "2000", "2000", "1074", "0", "0", "0"};
    huge.resize(16, "1");
    huge.push_back("out");
    expect_refused(huge, 1, "\n>> ERREUR Mcoocur : fenetre de 4296000000 voxels refusee (au plus 4294967295)\n");
    EXPECT_EQ(names(), "huge.vol " + none);
}
