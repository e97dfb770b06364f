// learning-set-tool end to end: its dialogue in the three modes, the raw
// learning-data file (points grouped by class in increasing label order,
// mask order within a class) and the sizes it prints, the background
// chosen on standard input, and its refusals.

#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

std::vector<std::string> questions(int n) {
    const std::string reader = " nom complet du fichier image a lire";
    std::vector<std::string> q = {">> ensemble d'apprentissage : Nombre d'attributs "};
    for (int i = 0; i < n; ++i) q.push_back(">> Chemin de l'attribut (.ras) " + reader);
    q.push_back(">> Format attributs->data input lecture :  Image entiere (0) ou partielle (1)");
    q.push_back(">> Format learning set : chemin du masque (.ras) " + reader);
    q.push_back(">> Format data output  lecture :  format output : prendre image entiere (0) ou partielle (1)");
    q.push_back(">> fichier des points d'apprentissage");
    return q;
}

class LearningSetTool : public ProgramTest {
protected:
    LearningSetTool() : ProgramTest("learning-set-tool") {
        write_files(dir_, "a",
                    {{"dim", "4 3"}, {"ima", byte_string({10, 12, 200, 202, 11, 13, 201, 203, 10, 14, 199, 200})}});
        write_files(dir_, "b",
                    {{"dim", "4 3"}, {"ima", byte_string({15, 17, 205, 207, 16, 18, 206, 208, 15, 19, 204, 205})}});
        // Background 0 (6 points), then labels 3 (4) and 1 (2).
        write_files(dir_, "mask", {{"dim", "4 3"}, {"ima", byte_string({0, 0, 3, 3, 0, 1, 3, 0, 1, 0, 0, 3})}});
        write_files(dir_, "three", {{"dim", "4 3"}, {"ima", byte_string({3, 0, 3, 3, 0, 1, 3, 3, 1, 0, 0, 3})}});
        write_files(dir_, "one", {{"dim", "4 3"}, {"ima", std::string(12, '\7')}});
    }
};

}  // namespace

TEST_F(LearningSetTool, DialogueModesWriteTheLearningPointsByClass) {
    const std::vector<std::string> replies = {"2", "a.ima", "b.ima", "0", "mask.ima", "0", "points.txt"};
    const Outcome run = expect_dialogue_modes(questions(2), replies, {"points.txt"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(this->run(replies).status, 0);
    EXPECT_EQ(read("points.txt"),
              "13.000000 18.000000 1\n10.000000 15.000000 1\n"
              "200.000000 205.000000 3\n202.000000 207.000000 3\n201.000000 206.000000 3\n200.000000 205.000000 3\n");
    EXPECT_NE(run.out.find(">> ecrire_learning_set : 6 points ecrits dans points.txt\n>> nombre d'attributs : 2\n"
                           ">> nombre de classes : 2\n>> classe 0 (label 1) : 2 points\n"
                           ">> classe 1 (label 3) : 4 points\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("ATTENTION"), std::string::npos);
}

TEST_F(LearningSetTool, AnotherBackgroundIsChosenOnStandardInput) {
    // Label 3 is the most frequent; the user excludes label 1 instead.
    const Outcome run = this->run({"1", "a.ima", "0", "three.ima", "0", "p.txt"}, "0\n1\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nINFO : La classe avec le label '3' est prise comme le fond"), std::string::npos);
    EXPECT_NE(run.out.find("\nNumero du label a exclure ?   :  "), std::string::npos);
    EXPECT_EQ(read("p.txt"),
              "12.000000 0\n11.000000 0\n14.000000 0\n199.000000 0\n10.000000 3\n200.000000 3\n"
              "202.000000 3\n201.000000 3\n203.000000 3\n200.000000 3\n");
}

TEST_F(LearningSetTool, Refusals) {
    auto args = [](const std::string& mask, const std::string& out) {
        return std::vector<std::string>{"2", "a.ima", "b.ima", "0", mask, "0", out};
    };
    expect_refused(args("one.ima", "p.txt"), 1,
                   "\n\nERREUR learning set : Il n'y a visiblement qu'une seule classe, donc tous les points sont dans "
                   "la meme classe. Pas d'interet.",
                   {"p.txt"});
    expect_refused(args("mask.ima", "nowhere/p.txt"), 1,
                   "\n>> ERREUR ecrire_learning_set : creation du fichier nowhere/p.txt impossible\n");
    expect_refused({"0"}, 1, "Nb Att = 0!!\n");
}
