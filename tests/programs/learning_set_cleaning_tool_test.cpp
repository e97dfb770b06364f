// learning-set-cleaning-tool end to end: its dialogue in the three modes,
// the processed learning set and the three traces, the chain into
// rules-learning-tool, every attribute pair of a three-attribute set, and
// the refusals, all before any output file.

#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kTraces = {"learn_clean.data", "compet_agg.txt", "learning_set_processing.txt"};

class LearningSetCleaningTool : public ProgramTest {
protected:
    LearningSetCleaningTool() : ProgramTest("learning-set-cleaning-tool") {
        // Class 0: a square with (0, 0) twice; class 1: two heavy points
        // and a lone far one. A third attribute x + 2y.
        std::string two, three;
        auto point = [&](int x, int y, int label) {
            two += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(label) + "\n";
            three += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + 2 * y) + " " +
                     std::to_string(label) + "\n";
        };
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {1, 0}, {0, 1}, {1, 1}})
            point(x, y, 1);
        for (int i = 0; i < 12; ++i) point(i % 2, 0, 2);
        point(9, 9, 2);
        write("two.txt", two);
        write("three.txt", three);
    }
};

TEST_F(LearningSetCleaningTool, DialogueModesAndTheChainIntoRulesLearning) {
    const std::string h = ">> pretraitement : ";
    const std::vector<std::string> questions = {
        h + "Data file containing the learning points", h + "Number of classes in the current file",
        h + "Number of learning points in class 0",     h + "Number of learning points in class 1",
        h + "Number of attributes in the curent file",  h + "Data file containing the processed learning set"};
    const std::vector<std::string> replies = {"two.txt", "2", "5", "13", "2", "groups.txt"};
    std::vector<std::string> outputs = kTraces;
    outputs.push_back("groups.txt");
    expect_dialogue_modes(questions, replies, outputs);
    ASSERT_EQ(run(replies).status, 0);
    EXPECT_EQ(read("groups.txt"),
              "2\n0 1\n2\n2 2 \n0.000000 0.000000\n1.000000 0.000000\n0.000000 1.000000\n1.000000 1.000000\n"
              "2\n1 1 \n0.000000 0.000000\n1.000000 0.000000\n");
    EXPECT_EQ(read("learning_set_processing.txt"),
              "2\n0 1\n2\n1\n2 \n0.000000 0.000000 \n1.000000 0.000000 \n1\n2 \n0.000000 1.000000 \n"
              "1.000000 1.000000 \n2\n1\n1 \n0.000000 0.000000 \n1\n1 \n1.000000 0.000000 \n");
    EXPECT_EQ(read("learn_clean.data"),
              "0.000000 0.000000 2\n1.000000 0.000000 1\n0.000000 1.000000 1\n1.000000 1.000000 1\n\n"
              "0.000000 0.000000 6\n1.000000 0.000000 6\n9.000000 9.000000 1\n\n");
    EXPECT_EQ(read("compet_agg.txt"),
              "0.000000 0.000000 0 \n1.000000 0.000000 0 \n0.000000 1.000000 1 \n1.000000 1.000000 1 \n\n"
              "0.000000 0.000000 0 \n1.000000 0.000000 1 \n\n");
    const Outcome rules =
        run_program("rules-learning-tool", {"groups.txt", "1", "c.txt", "r.txt", "2"}, "", dir_.path());
    ASSERT_EQ(rules.status, 0) << rules.out;
    const std::string stars = "*************************\n";
    EXPECT_EQ(read("c.txt"), "\n0 1\n****0****\n1.000000 0.000000\n0.000000 0.000000\n" + stars +
                                 "1.000000 1.000000\n0.000000 1.000000\n" + stars +
                                 "\n0 1\n****1****\n0.000000 0.000000\n" + stars + "1.000000 0.000000\n" + stars);
}

TEST_F(LearningSetCleaningTool, EveryAttributePair) {
    ASSERT_EQ(run({"three.txt", "2", "5", "13", "3", "groups.txt"}).status, 0);
    const std::string groups = read("groups.txt");
    const std::size_t p01 = groups.find("2\n0 1\n"), p02 = groups.find("\n0 2\n"), p12 = groups.find("\n1 2\n");
    EXPECT_EQ(p01, 0u);
    EXPECT_TRUE(p01 < p02 && p02 < p12 && p12 != std::string::npos) << groups;
    EXPECT_EQ(read("learning_set_processing.txt").find("\n0 2\n"), std::string::npos);
    const Outcome rules =
        run_program("rules-learning-tool", {"groups.txt", "1", "c.txt", "r.txt", "3"}, "", dir_.path());
    EXPECT_EQ(rules.status, 0) << rules.out;
    EXPECT_NE(read("c.txt").find("\n1 2\n****1****\n"), std::string::npos);
}

TEST_F(LearningSetCleaningTool, Refusals) {
    std::vector<std::string> none = kTraces;
    none.push_back("g.txt");
    expect_refused({"two.txt", "2", "5", "1"}, 1,
                   "ERREUR traitement_donnees : la classe 1 n'a que 1 point(s), il en faut au moins 2\n", none);
    expect_refused({"two.txt", "2", "5", "13", "1"}, 1,
                   "The number of attributes is not enough to construct the classification rules\n", none);
    expect_refused({"missing.txt", "2", "5", "13", "2", "g.txt"}, 1,
                   "ERREUR: impossible d'ouvrir le fichier missing.txt\n", none);
    expect_refused({"two.txt", "2", "5", "14", "2", "g.txt"}, 1,
                   "ERREUR: fichier two.txt : point 18 illisible ou absent (19 points de 2 attributs et leur classe "
                   "attendus)\n",
                   none);
    expect_refused({"two.txt", "0"}, 1, "(entier de 1 a 2147483647)", none);
    expect_refused({"two.txt", "2", "5", "13", "2", "./compet_agg.txt"}, 1,
                   "ERREUR traitement_donnees : le fichier traite ./compet_agg.txt est un des fichiers de trace");
    expect_refused({"two.txt", "2", "5", "13", "2", "nowhere/g.txt"}, 1,
                   "ERREUR: impossible d'ouvrir le fichier nowhere/g.txt\n");
}

// The learning points cut between any two of their numbers: refused with a
// line naming the file, before any trace or output file.
TEST_F(LearningSetCleaningTool, EveryTruncatedDataFileIsRefused) {
    std::vector<std::string> outputs = kTraces;
    outputs.push_back("groups.txt");
    for (const std::string& cut : cuts_between_words(read("two.txt"))) {
        SCOPED_TRACE("cut to '" + cut + "'");
        write("cut.txt", cut);
        expect_refused({"cut.txt", "2", "5", "13", "2", "groups.txt"}, 1, "ERREUR: fichier cut.txt : point ", outputs);
    }
}

}  // namespace
