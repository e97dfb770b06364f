// volume-statistics-tool end to end: its dialogue in the three modes, the
// two report files it writes in its working folder and the lines it
// prints, and its refusals.

#include <filesystem>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> volume initial : nom complet du fichier volume a lire",
    ">> statistiques : Classe a etudier (niveau de gris)",
};

// 4 x 3 x 2 of 50 holding two objects of 200: (0, 0, 0) with (1, 0, 0),
// and (3, 2, 1) alone; (2, 0, 0) is 201.
int grey(int x, int y, int z) {
    if ((y == 0 && z == 0 && x < 2) || (x == 3 && y == 2 && z == 1)) return 200;
    return x == 2 && y == 0 && z == 0 ? 201 : 50;
}

const std::string kLines =
    "nb_etiq = 3 (max 17000000)\nNombre d'objets: 2\nCalcul compacite ...\nCalcul des attributs en cours\n"
    "Sauvagarde des r\351sultats dans attr.txt\nCompacitee moyenne: 1.134663\nun\nVolume minimal: 1\n"
    "Volume maximal: 2\nVolume moyen: 1.500000\nEcart type: 0.500000\nR\351partion des volumes:\n0->9:\t 2\n"
    "10->99:\t 0\n100->999:\t 0\n1000->9999:\t 0\n10000-> + :\t 0\n";

class VolumeStatisticsTool : public ProgramTest {
protected:
    VolumeStatisticsTool() : ProgramTest("volume-statistics-tool") {}
    void make_volume() const { write("src.vol", volume_file(4, 3, 2, samples(4, 3, 2, grey))); }
};

}  // namespace

TEST_F(VolumeStatisticsTool, DialogueModesAndBothReports) {
    make_volume();
    const Outcome automatic = expect_dialogue_modes(kQuestions, {"src.vol", "200"}, {"attr.txt", "vol.txt"});
    EXPECT_EQ(automatic.err, "");
    ASSERT_GE(automatic.out.size(), kLines.size());
    EXPECT_EQ(automatic.out.substr(automatic.out.size() - kLines.size()), kLines);

    ASSERT_EQ(run({"src.vol", "456"}).status, 0);  // 456 is class 200
    EXPECT_EQ(read("attr.txt"), "1 2 2 0.9400\n2 1 1 1.3293\n");
    EXPECT_EQ(read("vol.txt"), "1 2\n2 1\n");
    // A class with no voxel: both files empty.
    ASSERT_EQ(run({"src.vol", "7"}).status, 0);
    EXPECT_EQ(read("attr.txt"), "");
    EXPECT_EQ(read("vol.txt"), "");
    EXPECT_TRUE(exists("vol.txt"));
}

TEST_F(VolumeStatisticsTool, Refusals) {
    make_volume();
    expect_refused({"none.vol", "200"}, 1, "Can't open file none.vol\n", {"attr.txt", "vol.txt"});
    expect_refused({"src.vol", "-2147483649"}, 1,
                   "\n>> ERREUR eval_volume_lect : reponse \"-2147483649\" refusee a la question \"" + kQuestions[1] +
                       "\" (entier de -2147483648 a 2147483647)\n",
                   {"attr.txt", "vol.txt"});
    // attr.txt cannot be created: the system's reason, then the message.
    std::filesystem::create_directory(file("attr.txt"));
    const Outcome blocked = run({"src.vol", "200"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.err, "Dans calcul_attributs_objets: Is a directory\n");
    EXPECT_NE(blocked.out.find("Sauvagarde des r\351sultats dans attr.txt\nErreur ouverture de attr.txt\n"),
              std::string::npos)
        << blocked.out;
    EXPECT_FALSE(exists("vol.txt"));
}
