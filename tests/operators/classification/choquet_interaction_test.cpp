// The Choquet integral: the coefficient files it accepts and the state of
// each one it refuses, its scores on worked cases, and its progress lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "choquet_interaction.h"
#include "files.hpp"
#include "support.hpp"

using namespace testing_support;

namespace {

struct Loaded {
    choquet_interaction_t desc{};
    int result = -1;
    std::string printed;
};

Loaded load(const TempDir& dir, const std::string& text) {
    static std::string path;
    path = dir.file("coef.txt");
    write_file(path, text);
    Loaded l;
    l.desc.fichier = path.data();
    l.printed = quietly([&] { l.result = choquet_interaction_init(&l.desc); });
    return l;
}

TEST(Choquet, StatesOfCoefficientFiles) {
    TempDir dir;
    const struct {
        std::string text;
        int state;
    } rows[] = {
        {"2 0.5 0 0.5", 0},
        {"3 0.25 0 0 0.25 0 0.5", 0},
        {"3\n0.25 0.1 -0.1\n0.25 0\n0.5\n", 0},
        {"3 0.35 0 0 0.45 0 0.2", 4},  // 0.35 + 0.45 + 0.2 in single precision is 0.99999994
        {"2 0.5 0 0.6", 4},
        {"0", 4},
        {"2 0.2 0.41 0.8", 5},        // 0.2 + 0.41 > 3 x 0.2
        {"2 0.2 -0.41 0.8", 5},
        {"2 0.2 0.35 0.8", 0},
        {"2 0.5 -1 0.5", 2},          // the missing-data marker
        {"2 0.5 0", 2},               // short, without the marker
        {"2 0.5 0 x", 2},
        {"100000 1 0", 2},            // refused before 10^10 floats are allocated
        {"2147483647 1", 2},
        {"-3 1 2 3", 2},
        {"abc", 2},
        {"", 2},
    };
    for (const auto& row : rows) {
        Loaded l = load(dir, row.text);
        EXPECT_EQ(l.desc.etat, row.state) << row.text;
        EXPECT_EQ(l.result, row.state == 0 ? 0 : 1) << row.text;
        EXPECT_EQ(choquet_interaction_ferm(&l.desc), 0);
    }
    choquet_interaction_t missing{};
    missing.fichier = const_cast<char*>("/nonexistent/coef.txt");
    EXPECT_EQ(quietly([&] { EXPECT_EQ(choquet_interaction_init(&missing), 1); }),
              "-> Ouverture fichier en cours...\t\tECHEC.\n");
    EXPECT_EQ(missing.etat, 1);
    float score = -1;
    EXPECT_EQ(quietly([&] { EXPECT_EQ(choquet_interaction_calc(&missing, nullptr, &score), 1); }),
              "\nCalcul impossible car probleme a l'initialisation.");
    EXPECT_EQ(score, -1);
}

TEST(Choquet, ScoresAndProgressLines) {
    TempDir dir;
    const struct {
        std::string text;
        std::vector<float> criteria;
        float score;
    } rows[] = {
        {"2 0.5 0 0.5", {0.25f, 0.75f}, 0.5f},  // the mean
        {"2 0.5 1 0.5", {0, 1}, 0},             // 0.5 - 0.5 x 1 x 1
        {"2 0.5 1 0.5", {0.5f, 0.5f}, 0.5f},    // equal criteria: no interaction
        {"3 0.25 0 0.5 0.25 0 0.5", {1, 0.5f, 0}, 0.125f},  // 0.25 + 0.125 - 0.5 x 0.5 x 1
        {"3 0.25 0 -0.5 0.25 0 0.5", {1, 0.5f, 0}, 0.625f},
        {"1 1", {0.3f}, 0.3f},
    };
    for (const auto& row : rows) {
        Loaded l = load(dir, row.text);
        ASSERT_EQ(l.result, 0) << row.text;
        float score = -1;
        EXPECT_EQ(choquet_interaction_calc(&l.desc, row.criteria.data(), &score), 0);
        EXPECT_EQ(score, row.score) << row.text;
        choquet_interaction_ferm(&l.desc);
    }
    Loaded valid = load(dir, "2 0.5 0 0.5");
    choquet_interaction_ferm(&valid.desc);
    EXPECT_EQ(valid.printed,
              "-> Ouverture fichier en cours...\t\tOK.\n"
              "-> Initialisation de nbcoeff en cours...\tNbcoeff = 2.\n"
              "-> Allocation memoire en cours...\t\tOK.\n"
              "-> Allocation cases matrice en cours...\t\tOK.\n"
              "-> La somme des nu_i est \t\t\t1.0000\n");
}

}  // namespace
