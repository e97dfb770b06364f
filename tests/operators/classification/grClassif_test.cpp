// The gradual fuzzy classifier: its nine operations and six shapes, a
// worked base by hand (an output term no rule concludes, ties, the
// representative values of the centroid, Rescher-Gaines as combination),
// and what its reader refuses beyond the symbolic one's.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "rule_bases.hpp"

using namespace testing_support;

namespace {

TEST(GrClassif, NineOperations) {
    const gr_operation ops[] = {gr_tn_zadeh, gr_tn_proba, gr_tn_luk, gr_tn_weber, gr_tc_zadeh,
                                gr_tc_proba, gr_tc_luk,   gr_tc_weber, gr_op_Rescher_Gaines};
    const struct {
        float x, y;
        float expected[9];
    } rows[] = {
        {0.25f, 0.5f, {0.25f, 0.125f, 0.0f, 0.0f, 0.5f, 0.625f, 0.75f, 1.0f, 1.0f}},
        {0.75f, 0.5f, {0.5f, 0.375f, 0.25f, 0.0f, 0.75f, 0.875f, 1.0f, 1.0f, 0.0f}},
        {1.0f, 0.5f, {0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f}},
        {0.0f, 0.5f, {0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 1.0f}},
        {0.5f, 0.5f, {0.5f, 0.25f, 0.0f, 0.0f, 0.5f, 0.75f, 1.0f, 1.0f, 1.0f}},
    };
    for (const auto& row : rows)
        for (int k = 0; k < 9; ++k) {
            float x = row.x, y = row.y, r = -1.0f;
            EXPECT_EQ(ops[k](&x, &y, &r), 0);
            EXPECT_EQ(r, row.expected[k]) << "operation " << k << " on " << row.x << ", " << row.y;
        }
}

TEST(GrClassif, Shapes) {
    const struct {
        int type;
        float a, b, x, expected;
    } rows[] = {
        {0, 0, 0, 5, 0},     {1, 0, 0, -5, 1},   {2, 2, 6, 2, 0},    {2, 2, 6, 3, 0.25f}, {2, 2, 6, 6, 1},
        {2, 2, 6, 9, 1},     {3, 2, 6, 1, 1},    {3, 2, 6, 5, 0.25f}, {3, 2, 6, 6, 0},    {4, 2, 6, 2, 1},
        {4, 2, 6, 6, 1},     {4, 2, 6, 6.5f, 0}, {4, 2, 6, 1, 0},    {5, 2, 6, 4, 0},     {5, 2, 6, 1, 1},
        {5, 2, 6, 7, 1},     {2, 4, 4, 4, 0},    {2, 4, 4, 4.01f, 1}, {3, 4, 4, 4, 1},    {3, 4, 4, 4.01f, 0},
    };
    for (const auto& row : rows) {
        const gr_terme term = {"t", row.type, row.a, row.b};
        EXPECT_EQ(gr_appartenance(&term, row.x), row.expected)
            << "type " << row.type << " " << row.a << " " << row.b << " at " << row.x;
    }
    for (const gr_terme& term : {gr_terme{"t", 6, 0, 1}, gr_terme{"t", 2, 0, 1}}) {
        const float x = term.type == 6 ? 0.5f : std::numeric_limits<float>::quiet_NaN();
        float degree = -1;
        EXPECT_EQ(quietly([&] { degree = gr_appartenance(&term, x); }), "Erreur dans la fonction appartenance\n");
        EXPECT_EQ(degree, 0.0f);
    }
}

// Output terms P (rep 0.5), Z (never concluded, between two others), Q
// (type 1: rep 1), S (type 4 on [2, 6]: rep 4; never concluded). Terms of
// types 0 and 1 carry no reals.
const std::string kBase =
    "3\n"
    "x 4 up 2 0 10 down 3 0 10 any 1 none 0\n"
    "y 2 in 4 2 4 out 5 2 4\n"
    "c 4 P 2 0 1 Z 0 Q 1 S 4 2 6\n"
    "3\n"
    "up in P 1\n"
    "down out Q 0.5\n"
    "any in Q 0.25\n";

TEST(GrClassif, WorkedBaseByHand) {
    TempDir dir;
    const struct {
        int premise, combination, projection, defuzzification;
        float x, y, result;
        float degrees[4];
    } rows[] = {
        // up 0.25, down 0.75, any 1, in 1, out 0: P 0.25, Q max(0, 0.25); a tie
        {0, 0, 4, 0, 2.5f, 3, 0, {0.25f, 0, 0.25f, 0}},
        {0, 0, 4, 1, 2.5f, 3, 0.75f, {}},  // (0.25 x 0.5 + 0.25 x 1) / 0.5
        // Rescher-Gaines: 0.25 <= 1 gives 1, 0 <= 0.5 gives 1, 1 > 0.25 gives 0
        {0, 8, 0, 0, 2.5f, 3, 0, {1, 0, 0, 0}},
        {0, 8, 0, 1, 2.5f, 3, 0.5f, {}},
        {1, 1, 5, 0, 7.5f, 3, 0, {0.75f, 0, 0.25f, 0}},  // Q: 0 + 0.25 - 0
        {0, 0, 4, 1, 0, 9, 1, {}},                        // only Q: 0.5 x 1 / 0.5
        {0, 0, 4, 0, 10, 9, 0, {0, 0, 0, 0}},             // every degree 0: class 0
        {0, 0, 4, 1, 10, 9, 0, {}},                       // and value 0
    };
    for (const auto& row : rows) {
        grClassif_t d = rule_bases::gradual(dir, kBase, row.premise, row.combination, row.projection, row.defuzzification);
        const float inputs[] = {row.x, row.y};
        float outputs[4] = {-1, -1, -1, -1};
        SCOPED_TRACE(testing::Message() << row.premise << row.combination << row.projection << " at " << row.x);
        EXPECT_EQ(grClassif_calc(&d, inputs, outputs), row.result);
        for (int t = 0; row.defuzzification == 0 && t < 4; ++t) EXPECT_EQ(outputs[t], row.degrees[t]) << "term " << t;
    }
}

TEST(GrClassif, CentroidRepresentatives) {
    // Premises 1, product with the weights: each output term's degree is
    // its rule's weight; representatives 0 (type 0), 1 (type 1), the middle
    // 4 of [2, 6] (type 4) and 1.5 of [1, 2] (type 2).
    TempDir dir;
    grClassif_t d = rule_bases::gradual(dir,
                                        "3 x 1 all 1 y 1 all 1 c 4 T0 0 T1 1 T4 4 2 6 T2 2 1 2 "
                                        "4 all all T0 0.5 all all T1 0.25 all all T4 0.125 all all T2 0.125",
                                        0, 1, 4, 1);
    const float inputs[] = {0, 0};
    float outputs[1];
    EXPECT_EQ(grClassif_calc(&d, inputs, outputs), 0.9375f);  // 0 + 0.25 + 0.5 + 0.1875
}

TEST(GrClassif, RefusedBasesAndCodes) {
    TempDir dir;
    const auto load = [&](const std::string& text, int premise = 0, int combination = 0, int projection = 0,
                          int defuzzification = 0) {
        return run_captured([&] { rule_bases::gradual(dir, text, premise, combination, projection, defuzzification); });
    };
    const struct {
        std::string text;
        std::string message;
    } rows[] = {
        {"2 x 1 t 1 c 1 A 1 1 t A 1", "une base de regles graduelles demande au moins deux variables d'entree"},
        {"3 x 1 t 6", "type de forme du terme t de x : 6 hors de 0 a 5"},
        {"3 x 1 t 2 5 4", "terme t de x : il faut a <= b"},
        {"3 x 1 t 3 5", "fin de fichier avant b du terme t de x"},
        {"3 x 1 t 4 0 1 y 1 u 0 c 1 A 1 1 t u B 1", "regle 1 : terme B inconnu de la variable c"},
    };
    for (const auto& row : rows) EXPECT_TRUE(ended_saying(load(row.text), 1, row.message)) << row.text;
    const std::string base = "3 x 1 t 1 y 1 u 0 c 1 A 1 1 t u A 1";
    EXPECT_TRUE(ended(load(base, 8, 8, 8, 1), 0, ""));
    for (const auto& codes : {std::vector<int>{9, 0, 0}, {0, -1, 0}, {0, 0, 9}})
        EXPECT_TRUE(ended(load(base, codes[0], codes[1], codes[2]), 1, "Erreur sur le choix du type d'operateur\n"));
    EXPECT_TRUE(ended(load(base, 0, 0, 0, -1), 1, "type defuzzification incorrect\n"));
}

}  // namespace
