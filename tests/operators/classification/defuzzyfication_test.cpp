// Defuzzification by the 3 x 3 neighbourhood against a plain reading of
// its two passes on random memberships full of ties, and the texts it
// prints in each case.

#include "defuzzyfication.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "records.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;
using records::Output;
using records::Rows;

namespace {

struct Case {
    Rows m;  // m[class][point]
    int w, h;
    std::string describe() const {
        return std::to_string(m.size()) + " classes over " + std::to_string(w) + "x" + std::to_string(h);
    }
    std::string where(std::size_t i) const {
        return i < static_cast<std::size_t>(w * h) ? "label of point " + std::to_string(i) : "a count";
    }
};

// The lowest class of strictly greatest value from 0.0, and how many classes hold it.
std::pair<int, int> choose(const std::vector<float>& v) {
    float best = 0;
    int chosen = 0, ties = 0;
    for (std::size_t c = 0; c < v.size(); ++c)
        if (v[c] > best) best = v[c], chosen = static_cast<int>(c);
    for (float x : v) ties += x == best;
    return {chosen, ties};
}

// Labels, then the uncertain counts of both passes.
std::vector<int> plain(const Case& c) {
    const int n = c.w * c.h, w = c.w, classes = static_cast<int>(c.m.size());
    std::vector<int> labels(n, -1), uncertain;
    for (int i = 0; i < n; ++i) {
        std::vector<float> v;
        for (const auto& row : c.m) v.push_back(row[i]);
        const auto [chosen, ties] = choose(v);
        if (i >= w && i % w != 0 && (i + 1) % w != 0 && i <= n - w && ties != 1)
            uncertain.push_back(i);
        else
            labels[i] = chosen;
    }
    int remaining = 0;
    for (int i : uncertain) {
        std::vector<float> sums(classes, 0.0f);
        for (int k = 0; k < classes; ++k)
            for (int r = -1; r <= 1; ++r)
                for (int d = -1; d <= 1; ++d) sums[k] += c.m[k][i + r * w + d];
        const auto [chosen, ties] = choose(sums);
        labels[i] = chosen;
        remaining += ties > 1;
    }
    labels.push_back(static_cast<int>(uncertain.size()));
    labels.push_back(remaining);
    return labels;
}

std::vector<int> settled(const Case& c, std::string* printed = nullptr) {
    const Output in(c.m, c.h, c.w);
    Output out;
    defuzzyfication_voisinage_3x3_t d{};
    const std::string text = quietly([&] {
        defuzzyfication_voisinage_3x3_init(&d, in, &out);
        defuzzyfication_voisinage_3x3_calc(&d, in, &out);
    });
    if (printed != nullptr) *printed = text;
    std::vector<int> labels = records::labels_of(out);
    labels.push_back(d.nb_incertains);
    labels.push_back(d.nb_incertains_restants);
    std::free(d.sommes);
    std::free(d.incertain);
    return labels;
}

}  // namespace

TEST(Defuzzyfication, MatchesThePlainTwoPasses) {
    auto make = [](std::mt19937& random, int) {
        Case c;
        c.w = 1 + static_cast<int>(random() % 12);
        c.h = 1 + static_cast<int>(random() % 12);
        const float levels[] = {0.0f, 0.25f, 0.5f, 0.125f};
        c.m.assign(1 + random() % 4, std::vector<float>(c.w * c.h));
        for (auto& row : c.m)
            for (float& v : row) v = levels[random() % 4];
        return c;
    };
    reference_sweep(
        3, 500, make, [](const Case& c) { return settled(c); }, plain);
}

TEST(Defuzzyfication, SettlesTiesByTheNeighbourhoodAndSaysHow) {
    const std::string head =
        "\nDefuzzyfication init...OK\n\nDefuzzyfication calcul...Nb. de donn\351es incertaines initiales = ";
    const std::string second =
        ". Incorrect. \nN\351cessit\351 d'un post traitement des donn\351es incertaines avec fen\352tre 3x3...\n";
    const struct {
        Case c;
        std::vector<int> labels;  // then both counts
        std::string printed;
    } cases[] = {
        // One class: nothing uncertain.
        {{{{0.2f, 0, 1, 0.5f, 0.5f, 0.5f, 0, 0, 0}}, 3, 3},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         head + "0.Donc pas besoin de fen\352tre de v\351rification.\n"},
        // The centre ties 0.5 / 0.5; its neighbours favour class 1. Border
        // ties (the corners) keep the lowest class.
        {{{{0.5f, 0.4f, 0.5f, 0.4f, 0.5f, 0.4f, 0.5f, 0.4f, 0.5f},
           {0.5f, 0.6f, 0.5f, 0.6f, 0.5f, 0.6f, 0.5f, 0.6f, 0.5f}},
          3,
          3},
         {0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0},
         head + "1" + second + "\nLa fen\352tre 3x3 a supprim\351 les incertitudes\n"},
        // Still tied over the nine points: the lowest class, counted.
        {{{Rows(2, std::vector<float>(12, 0.5f))}, 4, 3},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2},
         head + "2" + second + "\nApr\350s la v\351rification avec la fen\352tre 3x3 il y a encore 2 incertitudes.\n"},
    };
    for (const auto& c : cases) {
        std::string printed;
        EXPECT_EQ(settled(c.c, &printed), c.labels) << c.c.describe();
        EXPECT_EQ(printed, c.printed) << c.c.describe();
    }
}

TEST(Defuzzyfication, InitRefusesWhatIsNotAFuzzyImage) {
    auto init = [](const data_output& in) {
        return run_captured(
            [&] { defuzzyfication_voisinage_3x3_init(new defuzzyfication_voisinage_3x3_t{}, in, new data_output{}); });
    };
    EXPECT_TRUE(ended(init(Output(std::vector<int>{1, 2}, 1, 2)), 1,
                      "\nDefuzzyfication init...\nErreur defuzz init : sortie floue d'au moins une classe attendue "
                      "(type 0, 0 classes)\n"));
    EXPECT_TRUE(ended(init(Output(Rows{{1, 2, 3}}, 2, 2)), 1,
                      "\nDefuzzyfication init...\nErreur defuzz init : les 3 points ne forment pas une image de 2 "
                      "lignes x 2 colonnes\n"));
}
