// kohonen-tool end to end: its dialogue in the three modes on a stack that
// four ramp neurons split by eye, the radius reply above half the ring
// (asked again when typed, refused when recorded or on the command line),
// and the refusals before any output file.

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

std::vector<std::string> questions(int images) {
    std::vector<std::string> q;
    for (const char* text : {"input_neurons (unsigned int)", "output_neurons (unsigned int)",
                             "max_neigh (unsigned int)", "max_learn_rate (float)", "max_epoch (unsigned int)",
                             "random init or not? (1/0)", "rescale the input space or not? (1/0)"})
        q.push_back(std::string(">> carte de Kohonen : ") + text);
    for (int i = 1; i <= images; ++i)
        q.push_back(">> image " + std::to_string(i) + "/" + std::to_string(images) +
                    " (u1): nom complet du fichier image a lire");
    q.push_back(">> classification (u1): nom complet du fichier image a ecrire");
    return q;
}

// The replies of a line, split at blanks.
std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Levels near the ramp weights of four neurons (0, 63.5, 127, 190.5), 4 x 2.
const std::string kRamp = byte_string({0, 64, 128, 192, 255, 0, 64, 128});

class KohonenTool : public ProgramTest {
protected:
    KohonenTool() : ProgramTest("kohonen-tool") {
        for (const char* stem : {"a", "b", "c"}) write_files(dir_, stem, {{"dim", "4 2"}, {"ima", kRamp}});
    }
};

}  // namespace

TEST_F(KohonenTool, DialogueModesAndTheGreyLevelsOfFourNeurons) {
    // Radius 0, then 1 in the last epoch: each pixel picks the nearest ramp
    // neuron, which only moves toward its own pixels; the neurons' levels
    // are 0, 84, 169 and 254.
    const std::vector<std::string> replies = words("3 4 0 0.5 2 0 0 a.ima b.ima c.ima out.ima");
    expect_dialogue_modes(questions(3), replies, {"out.ima", "out.dim"});
    ASSERT_EQ(run(replies).status, 0);
    EXPECT_EQ(read("out.ima"), byte_string({0, 84, 169, 254, 254, 0, 84, 169}));
    EXPECT_EQ(read("out.dim"), "4 2");
}

TEST_F(KohonenTool, RadiusAboveHalfTheRing) {
    const std::string warning = "WARNING: max_neigh must be < 2.000000   (output_neurons/2)";
    const std::string refused =
        "\n>> ERREUR csom_lect : reponse \"3\" refusee a la question \">> carte de Kohonen : "
        "max_neigh (unsigned int)\" (entier de 0 a 2)\n";
    const std::vector<std::string> good = {"1", "4", "2", "0.5", "1", "0", "1", "a.ima", "good.ima"};
    ASSERT_EQ(run(good).status, 0);

    // On the command line, then recorded in a control file: refused.
    std::vector<std::string> bad = good;
    bad[2] = "3";
    bad[8] = "out.ima";
    expect_refused(bad, 1, warning + refused, {"out.ima"});
    write("bad.ctrl", ctrl_text(bad, questions(1)));
    expect_refused({"bad.ctrl"}, 1, warning + refused, {"out.ima"});

    // Typed on the terminal, then over the recorded reply: asked again.
    const Outcome typed = run({}, "1\n4\n3\n2\n0.5\n1\n0\n1\na.ima\nout.ima\nrun\n");
    EXPECT_EQ(typed.status, 0);
    EXPECT_NE(typed.out.find(warning + "\n>> carte de Kohonen : max_neigh (unsigned int)? : "), std::string::npos)
        << typed.out;
    EXPECT_EQ(read("out.ima"), read("good.ima"));
    remove("out.ima");
    const Outcome replaced = run({"bad.ctrl"}, "\n\n4\n2\n\n\n\n\n\n\nrun\n");
    EXPECT_EQ(replaced.status, 0) << replaced.out;
    EXPECT_EQ(read("out.ima"), read("good.ima"));
}

TEST_F(KohonenTool, RefusalsComeBeforeAnyOutputFile) {
    write("rgb.ras", raster(4, 2, 24, 1, 0, 0, std::string(24, '\x10')));
    write_files(dir_, "wide", {{"dim", "8 1"}, {"ima", kRamp}});
    auto refused = [](const std::string& reply, int question, const std::string& accepted) {
        return "\n>> ERREUR csom_lect : reponse \"" + reply + "\" refusee a la question \"" + questions(1)[question] +
               "\" (" + accepted + ")\n";
    };
    const struct {
        const char* replies;  // the map's seven, then the files
        std::string message;
    } rows[] = {
        {"0 4 1 0.5 1 0 0 out.ima", refused("0", 0, "entier de 1 a 1024")},
        {"1 1 0 0.5 1 0 0 a.ima out.ima", refused("1", 1, "entier de 2 a 2147483647")},
        {"1 4 -1 0.5 1 0 0 a.ima out.ima", refused("-1", 2, "entier de 0 a 2147483647")},
        {"1 4 1 0 1 0 0 a.ima out.ima", refused("0", 3, "reel strictement positif")},
        {"1 4 1 0.5 0 0 0 a.ima out.ima", refused("0", 4, "entier de 1 a 2147483647")},
        {"1 4 1 0.5 1 2 0 a.ima out.ima", refused("2", 5, "1, 0")},
        {"2 4 1 0.5 1 0 0 a.ima rgb.ras out.ima",
         "\n>> ERREUR kohonen-tool : type d'image rvb non traite (types acceptes : u1)\n"},
        {"2 4 1 0.5 1 0 0 a.ima wide.ima out.ima",
         "\n>> ERREUR imau1tocsomvect : image 2/2 (wide.ima) de 8x1, image 1/2 (a.ima) de 4x2 : tailles differentes\n"},
        {"1 4 1 0.5 1 0 0 a.ima out.imw",
         "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imw\n"},
    };
    for (const auto& r : rows) expect_refused(words(r.replies), 1, r.message, {"out.ima", "out.dim", "out.imw"});
}
