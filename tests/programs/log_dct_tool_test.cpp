// log-dct-tool end to end: its dialogue of n readers and n writers in the
// three modes, the coefficient files it writes, and its refusals, all made
// before any output file exists.

#include <bit>
#include <string>
#include <vector>

#include "../operators/filters/dct_reference.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

// The questions for a stack of n images.
std::vector<std::string> questions(int n) {
    std::vector<std::string> q = {">> log-dct : nombre d'images"};
    for (const char* kind : {">> image %d/%d (u2): nom complet du fichier image a lire",
                             ">> coefficient %d/%d (fl): nom complet du fichier image a ecrire"})
        for (int i = 1; i <= n; ++i) {
            char text[128];
            std::snprintf(text, sizeof text, kind, i, n);
            q.push_back(text);
        }
    return q;
}

class LogDctTool : public ProgramTest {
protected:
    LogDctTool() : ProgramTest("log-dct-tool") {}

    // "<stem>.imw" and its "<stem>.dim" with the levels of an image of nc columns.
    void write_imw(const std::string& stem, int nc, const std::vector<std::uint16_t>& levels) const {
        write(stem + ".dim", std::to_string(nc) + " " + std::to_string(levels.size() / nc));
        std::string bytes;
        for (std::uint16_t v : levels) bytes += be16(v);
        write(stem + ".imw", bytes);
    }
};

// Three images of 3 x 2: levels 0 and 1 (logarithm 0), ties, the largest.
const dct_reference::Levels kStack = {
    {0, 1, 2, 1000, 65535, 7}, {5, 1, 2, 2000, 65535, 700}, {9, 1, 3, 4000, 65534, 7}};

}  // namespace

TEST_F(LogDctTool, DialogueModesWriteTheCoefficientsOfTheStack) {
    for (int m = 0; m < 3; ++m) write_imw("in" + std::to_string(m), 3, kStack[m]);
    const std::vector<std::string> replies = {"3", "in0.imw", "in1.imw", "in2.imw", "c0.imf", "c1.imf", "c2.imf"};
    EXPECT_EQ(
        expect_dialogue_modes(questions(3), replies, {"c0.imf", "c0.dim", "c1.imf", "c1.dim", "c2.imf", "c2.dim"}).err,
        "");
    ASSERT_EQ(run(replies).status, 0);
    const dct_reference::Coefficients expected = dct_reference::log_dct(kStack);
    const char* stems[] = {"c0", "c1", "c2"};
    for (int k = 0; k < 3; ++k) {
        std::string bytes;
        for (float c : expected[k]) bytes += be32(std::bit_cast<std::uint32_t>(c));
        EXPECT_EQ(read(std::string(stems[k]) + ".imf"), bytes) << "coefficient " << k;
        EXPECT_EQ(read(std::string(stems[k]) + ".dim"), "3 2");
    }
}

TEST_F(LogDctTool, RefusalsComeBeforeAnyOutputFile) {
    write_imw("a", 3, kStack[0]);
    write_imw("b", 3, kStack[1]);
    write_imw("tall", 2, kStack[2]);
    write("g.dim", "3 2");
    write("g.ima", "ABCDEF");
    for (const std::string reply : {"0", "-2", "257", "99999999999"})
        expect_refused({reply, "a.imw", "c0.imf"}, 1,
                       "\n>> ERREUR logdct_lect : reponse \"" + reply +
                           "\" refusee a la question \">> log-dct : nombre d'images\" (entier de 1 a 256)\n",
                       {"c0.imf", "c0.dim"});
    const struct {
        std::vector<std::string> files;  // two inputs, two outputs
        const char* message;
    } refusals[] = {
        {{"a.imw", "g.ima", "c0.imf", "c1.imf"},
         "\n>> ERREUR log-dct-tool : type d'image u1 non traite (types acceptes : u2)\n"},
        {{"a.imw", "b.imw", "c0.imf", "c1.imw"},
         "\n>> ERREUR ecriture : une image fl ne peut pas etre ecrite au format .imw\n"},
        {{"a.imw", "b.imw", "c0.imf", "c1.flt"},
         "\n>> ERREUR log-dct-tool : c1.flt : extension flt inconnue (formats des images fl : imf)\n"},
        {{"a.imw", "tall.imw", "c0.imf", "c1.imf"},
         "\n ERREUR logdct_u2_init : tailles differentes : image 2/2 (tall.imw) 2x3, image 1/2 (a.imw) 3x2\n"},
    };
    for (const auto& r : refusals)
        expect_refused({"2", r.files[0], r.files[1], r.files[2], r.files[3]}, 1, r.message,
                       {r.files[2], r.files[3], "c0.dim", "c1.dim"});
}
