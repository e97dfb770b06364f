// rules-learning-tool end to end: its dialogue in the three modes on raw
// and preprocessed learning points, and its refusals, all before any
// output file.

#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {" Data file containing the learning points",
                                             " Does it come from the preprocessing stage? (0/1)",
                                             " File for the coordinates of the corners", " File for the obtained rules",
                                             " Number of attributes in the curent file"};
const std::string kStars = "*************************\n";

class RulesLearningTool : public ProgramTest {
protected:
    RulesLearningTool() : ProgramTest("rules-learning-tool") {
        write("raw.txt", "0 0 1\n2 0 1\n1 2 1\n5 5 3\n");
        write("groups.txt", "1\n0 1\n2\n3 1\n0 0\n2 0\n1 2\n7 7\n");
    }
};

TEST_F(RulesLearningTool, DialogueModesOnRawPoints) {
    std::vector<std::string> q = kQuestions;
    q.insert(q.end(), {" Number of classes in the current file", " Number of learning points in class 0",
                       " Number of learning points in class 1"});
    const std::vector<std::string> replies = {"raw.txt", "0", "c.txt", "r.txt", "2", "2", "3", "1"};
    expect_dialogue_modes(q, replies, {"c.txt", "r.txt"});
    ASSERT_EQ(run(replies).status, 0);
    EXPECT_EQ(read("c.txt"), "0 1\n\n****-1****\n2.000000 0.000000\n0.000000 0.000000\n1.000000 2.000000\n" + kStars +
                                 "5.000000 5.000000\n" + kStars);
    EXPECT_EQ(read("r.txt"),
              "0 1\n\n****-1****\nA0 3 0.000000 1.000000\nB0 3 0.000000 2.000000\nA1 2 1.000000 2.000000\n"
              "B1 3 0.000000 2.000000\nA2 5 0.000000 2.000000\nB2 0\nA3 1\nB3 4 0.000000 2.000000\n" +
                  kStars + "A0 5 5.000000 5.000000\nB0 0\nA1 1\nB1 4 5.000000 5.000000\n" + kStars);
}

TEST_F(RulesLearningTool, DialogueModesOnPreprocessedGroups) {
    const std::vector<std::string> replies = {"groups.txt", "1", "c.txt", "r.txt", "2"};
    expect_dialogue_modes(kQuestions, replies, {"c.txt", "r.txt"});
    ASSERT_EQ(run(replies).status, 0);
    EXPECT_EQ(read("c.txt"), "\n0 1\n****0****\n2.000000 0.000000\n0.000000 0.000000\n1.000000 2.000000\n" + kStars +
                                 "7.000000 7.000000\n" + kStars);
}

TEST_F(RulesLearningTool, OneFileForCornersAndRules) {
    ASSERT_EQ(run({"groups.txt", "1", "both.txt", "./both.txt", "2"}).status, 0);
    EXPECT_EQ(read("both.txt").substr(0, 51), "\n0 1\n0 1\n****0****\n\n****0****\n2.000000 0.000000\n0.0");
}

TEST_F(RulesLearningTool, Refusals) {
    write("short.txt", "0 0 1\n2 0 1\n1 2\n");
    write("empty_group.txt", "1\n0 1\n2\n3 0\n0 0\n2 0\n1 2\n");
    write("no_group.txt", "1\n0 1\n0\n");
    write("nan.txt", "1\n0 1\n1\n1\nnan 0\n");
    // Group sizes adding up to INT_MAX points, backed by one point.
    write("huge.txt", "1\n0 1\n2\n2000000000 147483647\n0 0\n");
    const std::vector<std::string> outputs = {"c.txt", "r.txt"};
    auto raw = [](const std::string& data, const std::string& rules = "r.txt") {
        return std::vector<std::string>{data, "0", "c.txt", rules, "2", "1", "3"};
    };
    auto grouped = [](const std::string& data) { return std::vector<std::string>{data, "1", "c.txt", "r.txt", "2"}; };
    expect_refused({"raw.txt", "2", "c.txt", "r.txt", "2"}, 1,
                   "Please confirm that the data file comes from the preprocessing stage or not\n", outputs);
    expect_refused(raw("missing.txt"), 1, "ERREUR: impossible d'ouvrir le fichier missing.txt\n", outputs);
    expect_refused(raw("short.txt"), 1,
                   "ERREUR: fichier short.txt : point 2 illisible ou absent (3 points de 2 attributs et leur classe "
                   "attendus)\n",
                   outputs);
    expect_refused(raw("raw.txt", "nowhere/r.txt"), 1, "ERREUR: impossible d'ouvrir le fichier nowhere/r.txt\n",
                   {"c.txt"});
    expect_refused(grouped("empty_group.txt"), 1,
                   "ERREUR: fichier empty_group.txt : groupe sans point (paire 0 1, classe 0)\n", outputs);
    expect_refused(grouped("no_group.txt"), 1,
                   "ERREUR: fichier no_group.txt : classe sans groupe (paire 0 1, classe 0)\n", outputs);
    expect_refused(grouped("nan.txt"), 1, "ERREUR: fichier nan.txt : point illisible ou absent (paire 0 1, classe 0)\n",
                   outputs);
    expect_refused(grouped("huge.txt"), 1,
                   "ERREUR: fichier huge.txt : point illisible ou absent (paire 0 1, classe 0)\n", outputs);
    expect_refused({"raw.txt", "0", "c.txt", "r.txt", "1"}, 1, "(entier de 2 a 2147483647)", outputs);
    expect_refused({"raw.txt", "0", "c.txt", "r.txt", "2", "1", "0"}, 1, "(entier de 1 a 2147483647)", outputs);
}

// Both data files cut between any two of their numbers: refused with a line
// naming the file, before any output file.
TEST_F(RulesLearningTool, EveryTruncatedDataFileIsRefused) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> files = {
        {"raw.txt", {"cut.txt", "0", "c.txt", "r.txt", "2", "2", "3", "1"}},
        {"groups.txt", {"cut.txt", "1", "c.txt", "r.txt", "2"}}};
    for (const auto& [name, replies] : files)
        for (const std::string& cut : cuts_between_words(read(name))) {
            SCOPED_TRACE(name + " cut to '" + cut + "'");
            write("cut.txt", cut);
            expect_refused(replies, 1, "ERREUR: fichier cut.txt : ", {"c.txt", "r.txt"});
        }
}

}  // namespace
