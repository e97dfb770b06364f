// log-dct-tool end to end: its dialogue of n readers and n writers in the
// three modes, the coefficient files it writes, and its refusals, all made
// before any output file exists.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "../operators/filters/dct_reference.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

// The questions of a stack of n images.
std::vector<std::string> questions(int n) {
    std::vector<std::string> q = {">> log-dct : nombre d'images"};
    for (int i = 1; i <= n; ++i)
        q.push_back(">> image " + std::to_string(i) + "/" + std::to_string(n) + " (u2): nom complet du fichier image a lire");
    for (int i = 1; i <= n; ++i)
        q.push_back(">> coefficient " + std::to_string(i) + "/" + std::to_string(n) +
                    " (fl): nom complet du fichier image a ecrire");
    return q;
}

// The bytes of an .imw file, and of an .imf file, for the given values.
std::string imw(const std::vector<std::uint16_t>& values) {
    std::string bytes;
    for (std::uint16_t v : values) bytes += be16(v);
    return bytes;
}
std::string imf(const std::vector<float>& values) {
    std::string bytes;
    for (float v : values) bytes += be32(std::bit_cast<std::uint32_t>(v));
    return bytes;
}

class LogDctTool : public ProgramTest {
protected:
    LogDctTool() : ProgramTest("log-dct-tool") {}

    void write_imw(const std::string& stem, int nc, int nr, const std::vector<std::uint16_t>& values) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(nr));
        write(stem + ".imw", imw(values));
    }
};

// A 3 x 2 stack of three images: levels 0 and 1 (logarithm 0), ties and
// the largest level.
const std::vector<std::vector<std::uint16_t>> kStack = {
    {0, 1, 2, 1000, 65535, 7},
    {5, 1, 2, 2000, 65535, 700},
    {9, 1, 3, 4000, 65534, 7},
};

}  // namespace

TEST_F(LogDctTool, DialogueModesWriteTheCoefficientsOfTheStack) {
    for (int m = 0; m < 3; ++m) write_imw("in" + std::to_string(m), 3, 2, kStack[m]);
    const Outcome automatic =
        expect_dialogue_modes(questions(3), {"3", "in0.imw", "in1.imw", "in2.imw", "c0.imf", "c1.imf", "c2.imf"},
                              {"c0.imf", "c0.dim", "c1.imf", "c1.dim", "c2.imf", "c2.dim"});
    EXPECT_EQ(automatic.err, "");

    ASSERT_EQ(run({"3", "in0.imw", "in1.imw", "in2.imw", "c0.imf", "c1.imf", "c2.imf"}).status, 0);
    const auto expected = dct_reference::log_dct(kStack);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(read("c" + std::to_string(k) + ".dim"), "3 2");
        EXPECT_EQ(read("c" + std::to_string(k) + ".imf"), imf(expected[k])) << "coefficient " << k;
    }
}

TEST_F(LogDctTool, OneImageGivesItsLogarithmsAndHostOrderInputsAreRead) {
    write("h.dim", "4 1");
    write("h.IMW", std::string("\x00\x00\x01\x00\x02\x00\xff\xff", 8));  // 0, 1, 2, 65535 in host order
    ASSERT_EQ(run({"1", "h.IMW", "logs.imf"}).status, 0);
    EXPECT_EQ(read("logs.imf"), imf({0.0f, 0.0f, dct_reference::log_level(2), dct_reference::log_level(65535)}));
}

TEST_F(LogDctTool, RefusalsComeBeforeAnyOutputFile) {
    write_imw("a", 3, 2, kStack[0]);
    write_imw("b", 3, 2, kStack[1]);
    write_imw("tall", 2, 3, kStack[2]);
    write("g.dim", "3 2");
    write("g.ima", "ABCDEF");
    write("f.dim", "3 2");
    write("f.imf", imf({1, 2, 3, 4, 5, 6}));
    const std::string count = "\n>> ERREUR logdct_lect : reponse \"%\" refusee a la question \">> log-dct : nombre "
                              "d'images\" (entier de 1 a 256)\n";
    for (const std::string reply : {"0", "-2", "257", "99999999999"}) {
        std::string message = count;
        message.replace(message.find('%'), 1, reply);
        expect_refused({reply, "a.imw", "c0.imf"}, 1, message, {"c0.imf", "c0.dim"});
    }
    const std::vector<std::string> outputs = {"c0.imf", "c0.dim", "c1.imf", "c1.dim"};
    // Inputs that are not 16-bit images.
    expect_refused({"2", "a.imw", "g.ima", "c0.imf", "c1.imf"}, 1,
                   "\n>> ERREUR log-dct-tool : type d'image u1 non traite (types acceptes : u2)\n", outputs);
    expect_refused({"2", "f.imf", "a.imw", "c0.imf", "c1.imf"}, 1,
                   "\n>> ERREUR log-dct-tool : type d'image fl non traite (types acceptes : u2)\n", outputs);
    // Outputs that cannot hold floats, even after one that can.
    expect_refused({"2", "a.imw", "b.imw", "c0.imf", "c1.imw"}, 1,
                   "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .imw\n",
                   {"c0.imf", "c0.dim", "c1.imw", "c1.dim"});
    expect_refused({"2", "a.imw", "b.imw", "c0.ras", "c1.imf"}, 1,
                   "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .ras\n", {"c0.ras", "c1.imf"});
    expect_refused({"2", "a.imw", "b.imw", "c0.imf", "c1.flt"}, 1,
                   "\n>> ERREUR log-dct-tool : coefficient 2/2 : extension flt inconnue (.imf)\n",
                   {"c0.imf", "c0.dim", "c1.flt"});
    // A stack of images of different sizes.
    expect_refused({"2", "a.imw", "tall.imw", "c0.imf", "c1.imf"}, 1,
                   "\n ERREUR logdct_u2_init : tailles differentes : image 2/2 (tall.imw) 2x3, image 1/2 (a.imw) 3x2\n",
                   outputs);
    expect_refused({"2", "a.imw", "none.imw", "c0.imf", "c1.imf"}, 1, "fichier none.dim introuvable", outputs);
}
