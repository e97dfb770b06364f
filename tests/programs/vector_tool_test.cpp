// vector-tool end to end: its dialogue in the three modes, the filtering
// along a uniform field and the drawing of a field, by eye, a field of
// zeros, and its refusals before any output file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {">> champ de vecteurs : nom complet du fichier image a lire",
                                             ">> champ de vecteurs : nom complet du fichier avec les vecteurs a lire",
                                             ">> champ de vecteurs : nom complet du fichier image a ecrire",
                                             " rayon de la fenetre d'analyse",
                                             " modus (filtrage directionelle: 0, ou tracer les vecteurs: 1)",
                                             " intensity de la ligne (uniquement quand modus=1)"};

using Samples = std::function<int(int, int, int)>;

// A 16-bit volume file of 7 x 6 x 5 samples.
std::string volume16(const Samples& f) {
    std::string s = volume_header(7, 6, 5, 16);
    for (int z = 0; z < 5; ++z)
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 7; ++x) s += be16(static_cast<std::uint16_t>(f(x, y, z)));
    return s;
}

// A vector file of one vector everywhere.
std::string field(int nx, int ny, int nz, float vx, float vy, float vz) {
    const std::int32_t sizes[3] = {nx, ny, nz};
    std::string s(reinterpret_cast<const char*>(sizes), sizeof sizes);
    for (int i = 0; i < nx * ny * nz; ++i)
        for (float v : {vx, vy, vz}) s.append(reinterpret_cast<const char*>(&v), sizeof v);
    return s;
}

int parabola(int x, int y, int z) { return 10 * x * x + y + 3 * z; }

class VectorTool : public ProgramTest {
protected:
    VectorTool() : ProgramTest("vector-tool") { write("in.vol", volume16(parabola)); }
};

}  // namespace

TEST_F(VectorTool, DialogueModesFilterAlongTheVectors) {
    write("x.vec", field(7, 6, 5, 1, 0, 0));
    const Outcome automatic =
        expect_dialogue_modes(kQuestions, {"in.vol", "x.vec", "out.vol", "2", "0", "0"}, {"out.vol"});
    EXPECT_EQ(automatic.err, "");
    ASSERT_EQ(run({"in.vol", "x.vec", "out.vol", "2", "0", "0"}).status, 0);
    // Interior voxels (x 2..4, y 2..3, z 2) take the mean of 10 x^2 over
    // x-2 ... x+2, which is 10 (x^2 + 2): 20 more than the input.
    EXPECT_EQ(read("out.vol"), volume16([](int x, int y, int z) {
                  const bool interior = x >= 2 && x <= 4 && y >= 2 && y <= 3 && z == 2;
                  return parabola(x, y, z) + (interior ? 20 : 0);
              }));
}

TEST_F(VectorTool, DrawingAndZeroFields) {
    // Radius 1: the grid of spacing 3 inside the margins is the voxel
    // (3, 3, 3) alone; its segment along y, and the voxel at y + 2.
    write("y.vec", field(7, 6, 5, 0, -0.5f, 0));
    ASSERT_EQ(run({"in.vol", "y.vec", "out.vol", "1", "1", "-7"}).status, 0);
    EXPECT_EQ(read("out.vol"), volume16([](int x, int y, int z) {
                  return x == 3 && z == 3 && y >= 1 && y <= 4 ? -7 : parabola(x, y, z);
              }));
    write("zero.vec", field(7, 6, 5, 0, 0, 0));
    for (const char* mode : {"0", "1"}) {
        ASSERT_EQ(run({"in.vol", "zero.vec", "same.vol", "1", mode, "500"}).status, 0);
        EXPECT_EQ(read("same.vol"), volume16(parabola)) << mode;
    }
}

TEST_F(VectorTool, RefusalsComeBeforeAnyOutputFile) {
    write("x.vec", field(7, 6, 5, 1, 0, 0));
    write("wide.vec", field(8, 6, 5, 1, 0, 0));
    write("short.vec", field(7, 6, 5, 1, 0, 0).substr(0, 100));
    const std::string lect = "\n>> ERREUR vector_lect : reponse ";
    // Replies: volume, vectors, radius, mode, intensity; status, message.
    const std::vector<std::string> refusals[] = {
        {"in.vol", "wide.vec", "1", "0", "0", "3",
         "The X,Y or Z diminsions of the input data blocs are not cooresponding to each other!"},
        {"in.vol", "none.vec", "1", "0", "0", "3", "file none.vec not found\n"},
        {"in.vol", "x.vec", "1", "3", "0", "3", "illegal Modus 3\n"},
        {"in.vol", "x.vec", "1", "-1", "0", "3", "illegal Modus -1\n"},
        {"in.vol", "x.vec", "3", "0", "0", "1",
         "\n>> ERREUR vector_calc : rayon 3 trop grand pour le volume 7x6x5 (aucun voxel interieur)\n"},
        {"in.vol", "short.vec", "1", "0", "0", "1",
         "\n>> ERREUR getev : fichier de vecteurs short.vec de 100 octets alors que 7 x 6 x 5 vecteurs en demandent "
         "2532\n"},
        {"none.vol", "x.vec", "1", "0", "0", "1", "Can't open file none.vol\n"},
        {"in.vol", "x.vec", "0", "0", "0", "1",
         lect + "\"0\" refusee a la question \"" + kQuestions[3] + "\" (entier de 1 a 2147483647)\n"},
        {"in.vol", "x.vec", "1", "1", "40000", "1",
         lect + "\"40000\" refusee a la question \"" + kQuestions[5] + "\" (entier de -32768 a 32767)\n"}};
    for (const auto& r : refusals)
        expect_refused({r[0], r[1], "out.vol", r[2], r[3], r[4]}, std::stoi(r[5]), r[6], {"out.vol"});
    // In mode 0 the intensity is not used: any value passes.
    EXPECT_EQ(run({"in.vol", "x.vec", "out.vol", "1", "0", "40000"}).status, 0);
}
