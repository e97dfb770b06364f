// fcm-tool end to end: its dialogue in the three modes, the crisp classes
// and the membership images it writes (.ima, .imf, none), a rectangle, and
// its refusals, all made before any output file exists.

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

std::vector<std::string> questions(int n) {
    std::vector<std::string> q = {">> nombre d'images attributs"};
    for (int i = 1; i <= n; ++i)
        q.push_back(">> attribut " + std::to_string(i) + "/" + std::to_string(n) +
                    " (u1): nom complet du fichier image a lire");
    q.push_back(">> zone : Image entiere (0) ou partielle (1)");
    for (const char* text :
         {"nombre de classes [nb_class] (entier)", "indice de flou [fuzzy_coeff] (>1) (reel)",
          "seuil d'arret [threshold] [0, 1] (ex:0.001) (reel)", "nombre maximum d'iterations [nb_it] (entier)",
          "extension noms fichiers images d'appartenance (.ima|.ras|.imf), non sauvees si ''",
          "Quelle initialisation? ( 0 | 1 | nom_fichier )"})
        q.push_back(std::string(">> c-moyennes floues : ") + text);
    q.push_back(">> classification (u1): nom complet du fichier image a ecrire");
    return q;
}

// Two 4 x 3 attributes: a dark cluster in columns 0 and 1, a bright one in 2 and 3.
const std::string kA = byte_string({10, 12, 200, 202, 11, 13, 201, 203, 10, 14, 199, 200});
const std::string kB = byte_string({15, 17, 205, 207, 16, 18, 206, 208, 15, 19, 204, 205});

class FcmTool : public ProgramTest {
protected:
    FcmTool() : ProgramTest("fcm-tool") {
        write_files(dir_, "a", {{"dim", "4 3"}, {"ima", kA}});
        write_files(dir_, "b", {{"dim", "4 3"}, {"ima", kB}});
        write("centres.txt", "0 0\n255 255\n");
    }
};

}  // namespace

TEST_F(FcmTool, DialogueModesWriteClassesAndMemberships) {
    const std::vector<std::string> replies = {"2",      "a.ima", "b.ima", "0",           "2",     "2",
                                              "0.0001", "30",    ".ima",  "centres.txt", "cl.ima"};
    EXPECT_EQ(expect_dialogue_modes(questions(2), replies,
                                    {"cl.ima", "cl.dim", "cl_m0.ima", "cl_m0.dim", "cl_m1.ima", "cl_m1.dim"})
                  .err,
              "");
    ASSERT_EQ(run(replies).status, 0);
    // The initial memberships d_k / S grow with the distance to centre k, so
    // the first update takes the dark cluster into class 1.
    const std::string classes = byte_string({1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0});
    EXPECT_EQ(read("cl.ima"), classes);
    EXPECT_EQ(read("cl_m0.dim"), "4 3");
    // Each point wholly (x 255, truncated) in its own class.
    const std::string m0 = read("cl_m0.ima"), m1 = read("cl_m1.ima");
    ASSERT_EQ(m0.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        const int own = static_cast<unsigned char>(classes[i] ? m1[i] : m0[i]);
        const int sum = static_cast<unsigned char>(m0[i]) + static_cast<unsigned char>(m1[i]);
        EXPECT_GE(own, 250) << i;
        EXPECT_TRUE(sum == 254 || sum == 255) << i << ": " << sum;
    }
}

TEST_F(FcmTool, RectangleWithFloatMembershipsOrNone) {
    // Columns 1 and 2 of every row.
    ASSERT_EQ(run({"2", "a.ima", "b.ima", "1", "1", "0", "2", "2", "2", "1.5", "0.0001", "30", ".imf", "centres.txt",
                   "r.ima"})
                  .status,
              0);
    EXPECT_EQ(read("r.dim"), "2 3");
    EXPECT_EQ(read("r.ima"), byte_string({1, 0, 1, 0, 1, 0}));
    imafl m0 = read_image<imafl>(file("r_m0"), "imf"), m1 = read_image<imafl>(file("r_m1"), "imf");
    ASSERT_EQ(shape(m0) + shape(m1), "2x32x3");
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(m0.pixels[0][i] + m1.pixels[0][i], 1.0f, 1e-6f) << i;
    free_imafl(&m0);
    free_imafl(&m1);

    ASSERT_EQ(run({"2", "a.ima", "b.ima", "0", "2", "2", "0.0001", "30", "''", "centres.txt", "n.ima"}).status, 0);
    EXPECT_EQ(read("n.ima"), byte_string({1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(folder_contents(dir_.path()).count("n_m0.ima"), 0u);
}

TEST_F(FcmTool, RefusalsComeBeforeAnyOutputFile) {
    write_files(dir_, "tall", {{"dim", "3 4"}, {"ima", kA}});
    write_files(dir_, "w", {{"dim", "2 1"}, {"imw", be16(1) + be16(2)}});
    write_files(dir_, "dim", {{"dim", "2 1"}, {"ima", byte_string({0, 0})}});
    auto args = [](const std::string& b, const std::string& classes, const std::string& ext, const std::string& init,
                   const std::string& out) {
        return std::vector<std::string>{"2", "a.ima", b, "0", classes, "2", "0.001", "10", ext, init, out};
    };
    const std::vector<std::string> outputs = {"o.ima", "o.dim", "o_m0.ima", "o_m0.dim", "o.imf"};
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"0", "a.ima"},
         "\n>> ERREUR fcm-tool : reponse \"0\" refusee a la question \">> nombre d'images attributs\" (entier de 1 a "
         "256)\n"},
        {args("tall.ima", "2", ".ima", "centres.txt", "o.ima"),
         "\n>> ERREUR fcm-tool : tailles differentes : attribut 2/2 (tall.ima) 3x4, attribut 1/2 (a.ima) 4x3\n"},
        {args("w.imw", "2", ".ima", "centres.txt", "o.ima"),
         "\n>> ERREUR fcm-tool : type d'image u2 non traite (types acceptes : u1)\n"},
        {args("b.ima", "2", ".ima", "missing.txt", "o.ima"),
         "\n>> ERREUR fuzzy_c_means_init : fichier des centres 'missing.txt' impossible a ouvrir\n"},
        {args("b.ima", "2", ".ima", "1", "o.imf"),
         "\n>> ERREUR ecriture : une image u1 ne peut pas etre ecrite au format .imf\n"},
        {args("b.ima", "300", ".ima", "1", "o.ima"),
         "\n>> ERREUR fcm-tool : 300 classes refusees (la classe k est ecrite en niveau de gris k : 256 au plus)\n"},
        {args("b.ima", "2", ".png", "1", "o.ima"),
         "reponse \".png\" refusee a la question \">> c-moyennes floues : extension"},
        {{"2", "dim.ima", "dim.ima", "0", "2", "2", "0.001", "10", ".ima", "1", "o.ima"},
         "\n>> ERREUR fuzzy_c_means_init : initialisation 1 impossible : toutes les valeurs des attributs sont "
         "inferieures a 1 (la plus grande vaut 0)\n"},
    };
    for (const auto& c : cases) expect_refused(c.args, 1, c.message, outputs);
}
