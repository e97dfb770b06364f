// The symbolic fuzzy classifier: its operations and triangles, a worked
// rule base evaluated by hand, the refusals of the rule-base reader (shared
// with the gradual classifier), and the whole-image classification of both
// classifiers against their one-vector evaluation on random bases.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "images.hpp"
#include "rule_bases.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

// Two inputs with a left-shoulder "low" and a right-shoulder "high" term;
// output terms A (peak 0) and B (peak 2).
const std::string kBase =
    "3\n"
    "x 2  low 0 0 10  high 0 10 10\n"
    "y 2  low 0 0 10  high 0 10 10\n"
    "c 2  A 0 0 1  B 1 2 3\n"
    "3\n"
    "low low A 1\n"
    "high high B 0.5\n"
    "low high B 1\n";

TEST(FfSymb, OperationsFollowTheirDefinitions) {
    const ff_operation ops[] = {tn_zadeh, tn_proba, tn_luk, tn_weber, tc_zadeh, tc_proba, tc_luk, tc_weber};
    const struct {
        float x, y;
        float expected[8];  // the t-norms 0 ... 3, then the t-conorms 0 ... 3
    } rows[] = {
        {0.25f, 0.5f, {0.25f, 0.125f, 0.0f, 0.0f, 0.5f, 0.625f, 0.75f, 1.0f}},
        {0.75f, 0.5f, {0.5f, 0.375f, 0.25f, 0.0f, 0.75f, 0.875f, 1.0f, 1.0f}},
        {1.0f, 0.5f, {0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f}},
        {0.5f, 1.0f, {0.5f, 0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f}},
        {0.0f, 0.5f, {0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f}},
        {0.5f, 0.0f, {0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f}},
    };
    for (const auto& row : rows)
        for (int k = 0; k < 8; ++k) {
            float x = row.x, y = row.y, r = -1.0f;
            EXPECT_EQ(ops[k](&x, &y, &r), 0);
            EXPECT_EQ(r, row.expected[k]) << "operation " << k << " on " << row.x << ", " << row.y;
        }
}

TEST(FfSymb, TrianglesAndShoulders) {
    const struct {
        float a, b, c, x, expected;
    } rows[] = {
        {0, 4, 8, -1, 0},  {0, 4, 8, 0, 0},    {0, 4, 8, 1, 0.25f}, {0, 4, 8, 4, 1}, {0, 4, 8, 6, 0.5f},
        {0, 4, 8, 8, 0},   {0, 4, 8, 9, 0},    {2, 2, 8, -5, 1},    {2, 2, 8, 2, 1}, {2, 2, 8, 5, 0.5f},
        {2, 2, 8, 9, 0},   {0, 6, 6, 3, 0.5f}, {0, 6, 6, 6, 1},     {0, 6, 6, 99, 1}, {0, 6, 6, 0, 0},
        {3, 3, 3, 3, 1},   {3, 3, 3, 4, 1},
    };
    for (const auto& row : rows) {
        const ff_terme term = {"t", row.a, row.b, row.c};
        EXPECT_EQ(appartenance(&term, row.x), row.expected) << row.a << " " << row.b << " " << row.c << " at " << row.x;
    }
    const ff_terme term = {"t", 0, 1, 2};
    float degree = -1;
    EXPECT_EQ(quietly([&] { degree = appartenance(&term, std::numeric_limits<float>::quiet_NaN()); }),
              "Erreur dans la fonction appartenance\n");
    EXPECT_EQ(degree, 0.0f);
}

TEST(FfSymb, WorkedBaseByHand) {
    TempDir dir;
    const struct {
        int tnorm, tconorm, defuzzification;
        float x, y;
        float result, degree_a, degree_b;  // degrees for defuzzification 0
    } rows[] = {
        // low x 0.8, high x 0.2, low y 0.2, high y 0.8
        {0, 0, 0, 2, 8, 1, 0.2f, 0.8f},
        {0, 0, 1, 2, 8, 1.6f, 0, 0},  // (0.2 x 0 + 0.8 x 2) / 1
        {1, 1, 0, 2, 8, 1, 0.16f, 0.08f + 0.64f - 0.08f * 0.64f},
        {3, 3, 0, 10, 10, 1, 0, 0.5f},  // Weber: only full degrees pass
        {0, 0, 0, 5, 5, 0, 0.5f, 0.5f},  // a tie goes to the lower index
        {2, 0, 0, 5, 5, 0, 0, 0},        // Lukasiewicz: every premise 0
        {2, 0, 1, 5, 5, 0, 0, 0},        // and the centroid of nothing is 0
    };
    for (const auto& row : rows) {
        ff_symb_t d = rule_bases::symbolic(dir, kBase, row.tnorm, row.tconorm, row.defuzzification);
        const float inputs[] = {row.x, row.y};
        float outputs[2] = {-1, -1};
        const float result = ff_symb_calc(&d, inputs, outputs);
        SCOPED_TRACE(testing::Message() << row.tnorm << row.tconorm << row.defuzzification << " at " << row.x);
        EXPECT_NEAR(result, row.result, 1e-6);
        if (row.defuzzification == 0) {
            EXPECT_NEAR(outputs[0], row.degree_a, 1e-6);
            EXPECT_NEAR(outputs[1], row.degree_b, 1e-6);
        }
        EXPECT_EQ(ff_symb_ferm(&d), 0);
        EXPECT_EQ(d.variables, nullptr);
    }
}

// Init on a base whose text is `text`, in a child: how it ended.
Outcome load(const TempDir& dir, const std::string& text, int tnorm = 0, int tconorm = 0, int defuzzification = 0) {
    return run_captured([&] { rule_bases::symbolic(dir, text, tnorm, tconorm, defuzzification, "base.txt", false); });
}

TEST(FfSymb, RefusedBasesAndCodes) {
    TempDir dir;
    const std::string name99(99, 'n'), name100(100, 'n');
    const struct {
        std::string text;
        const char* message;
    } rows[] = {
        {"", "fin de fichier avant nombre de variables"},
        {"deux", "nombre de variables : \"deux\" n'est pas un entier"},
        {"-3", "nombre de variables : -3 hors de 0 a 256"},
        {"99999999999999999999", "hors de 0 a 256"},
        {"257", "hors de 0 a 256"},
        {"1 c 1 A 0 0 1 0", "il faut au moins une variable d'entree"},
        {"2 x 1 low 0 0 1", "fin de fichier avant nom de la variable 2"},
        {"2 x 256", "nombre de termes de x : 256 hors de 0 a 255"},
        {"2 x -1", "hors de 0 a 255"},
        {"2 x 1 low 0 0", "fin de fichier avant c du terme low de x"},
        {"2 x 1 low 0 zero 1", "b du terme low de x : \"zero\" n'est pas un nombre"},
        {"2 x 1 low 0 nan 1", "b du terme low de x : \"nan\" n'est pas un nombre fini"},
        {"2 x 1 low 0 1e39 1e39", "\"1e39\" n'est pas un nombre fini en simple precision"},
        {"2 x 1 low 2 1 3", "terme low de x : il faut a <= b <= c"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1", "fin de fichier avant nombre de regles"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 99999", "fin de fichier avant premisse de la regle 1"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 -1", "nombre de regles : -1 hors de 0"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 1 high A 1", "regle 1 : terme high inconnu de la variable x"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 1 low B 1", "regle 1 : terme B inconnu de la variable c"},
        {"2 x 1 low 0 0 1 c 0 1 low A 1", "terme A inconnu de la variable c"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 2 low A 1 low A", "fin de fichier avant poids de la regle 2"},
        {"2 x 1 low 0 0 1 c 1 A 0 0 1 1 low A 1.5", "poids de la regle 1 hors de [0, 1]"},
        {"2 " + name100 + " 0", "nom de la variable 1 trop long (plus de 99 caracteres)"},
        {"2 x 1 " + name100 + " 0 0 1", "nom du terme 1 de x trop long"},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(ended_saying(load(dir, row.text), 1, row.message)) << row.text;
    // What the reader accepts at the limits: 99-character names, 255 terms,
    // an output without terms and no rules.
    std::string many = "2 " + name99 + " 255";
    for (int k = 0; k < 255; ++k) many += " t" + std::to_string(k) + " 0 1 2";
    EXPECT_TRUE(ended(load(dir, many + " c 0 0"), 0, "lecture du nombre d'entree\n"));

    const Outcome missing = run_captured([&] {
        ff_symb_t d{};
        d.fichier = "/nonexistent/base.txt";
        ff_symb_init(&d);
    });
    EXPECT_TRUE(ended(missing, 1, "lecture du nombre d'entree\nERREUR: impossible d'ouvrir le fichier /nonexistent/base.txt\n"));
    const struct {
        int tnorm, tconorm, defuzzification;
        const char* message;
    } codes[] = {{4, 0, 0, "erreur sur le choix du type de T-norme\n"},
                 {0, -1, 0, "erreur sur le choix du type de T-norme\n"},
                 {0, 3, 2, "type defuzzification incorrect\n"}};
    for (const auto& c : codes)
        EXPECT_TRUE(ended(load(dir, kBase, c.tnorm, c.tconorm, c.defuzzification), 1,
                          std::string("lecture du nombre d'entree\n") + c.message));
}

// A random base of 1 to 4 inputs (2 to 4 when gradual) with 0 to 4 terms
// per variable and up to 12 rules, for the image sweep. Terms and weights
// are on coarse grids so that shoulders, steps and ties all occur.
struct RandomBase {
    std::string text;
    int inputs;
};

RandomBase random_base(std::mt19937& random, bool gradual) {
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const int inputs = pick(gradual ? 2 : 1, 4);
    std::ostringstream text;
    text << inputs + 1 << "\n";
    std::vector<int> terms(inputs + 1);
    for (int v = 0; v <= inputs; ++v) {
        terms[v] = pick(v == inputs ? 0 : 1, 4);
        text << "v" << v << " " << terms[v];
        for (int k = 0; k < terms[v]; ++k) {
            int a = pick(0, 8) * 32, b = a + pick(0, 3) * 32, c = b + pick(0, 3) * 32;
            text << " t" << k;
            if (!gradual) text << " " << a << " " << b << " " << c;
            else {
                const int type = pick(0, 5);
                text << " " << type;
                if (type >= 2) text << " " << a << " " << c;
            }
        }
        text << "\n";
    }
    const int rules = terms[inputs] == 0 ? 0 : pick(0, 12);
    text << rules << "\n";
    for (int r = 0; r < rules; ++r) {
        for (int v = 0; v <= inputs; ++v) text << "t" << pick(0, terms[v] - 1) << " ";
        text << pick(0, 4) / 4.0 << "\n";
    }
    return {text.str(), inputs};
}

struct ImageCase {
    int nc, nr;
    std::vector<std::vector<unsigned char>> levels;  // one per attribute image
    std::vector<int> codes;  // the operation codes, then the defuzzification
    bool gradual;
    std::string base;
    std::string describe() const { return base; }
    std::string where(std::size_t i) const { return "pixel " + std::to_string(i); }
};

TEST(FuzzyRules, WholeImagesGiveWhatEachVectorGives) {
    TempDir dir;
    const auto make = [&](std::mt19937& random, int trial) {
        ImageCase c;
        c.gradual = trial % 2 == 1;
        const RandomBase base = random_base(random, c.gradual);
        c.base = base.text;
        c.nc = trial % 5 == 0 ? 41 : 1 + static_cast<int>(random() % 19);
        c.nr = 1 + static_cast<int>(random() % 13);
        c.levels.resize(base.inputs);
        for (auto& image : c.levels)
            for (int p = 0; p < c.nc * c.nr; ++p) image.push_back(static_cast<unsigned char>(random()));
        for (int k = 0; k < 3; ++k) c.codes.push_back(static_cast<int>(random() % (c.gradual ? 9 : 4)));
        c.codes.push_back(trial / 2 % 2);
        return c;
    };
    // Both ways give a vector of floats: class indices or centroids.
    const auto classify = [&](const ImageCase& c, bool whole) {
        const int n = static_cast<int>(c.levels.size());
        const std::size_t total = static_cast<std::size_t>(c.nc) * c.nr;
        std::vector<imau1> attributes;
        for (const auto& image : c.levels)
            attributes.push_back(make_image<imau1>(c.nc, c.nr, [&](int x, int y) { return image[y * c.nc + x]; }));
        std::vector<float> result;
        imau1 classes{};
        imafl values{};
        const auto run = [&](auto& d, auto init, auto calc, auto one) {
            if (whole) {
                init(&d, n, attributes.data(), &classes, &values);
                calc(&d, attributes.data(), &classes, &values);
                for (std::size_t p = 0; p < total; ++p)
                    result.push_back(c.codes[3] == 0 ? classes.pixels[0][p] : values.pixels[0][p]);
                if (c.codes[3] == 0) free_imau1(&classes);
                else free_imafl(&values);
                return;
            }
            std::vector<float> inputs(n), outputs(256);
            for (std::size_t p = 0; p < total; ++p) {
                for (int i = 0; i < n; ++i) inputs[i] = c.levels[i][p];
                result.push_back(one(&d, inputs.data(), outputs.data()));
            }
        };
        if (c.gradual) {
            grClassif_t d = rule_bases::gradual(dir, c.base, c.codes[0], c.codes[1], c.codes[2], c.codes[3]);
            run(d, grClassif_u1_init, grClassif_u1_calc, grClassif_calc);
        } else {
            ff_symb_t d = rule_bases::symbolic(dir, c.base, c.codes[0], c.codes[1], c.codes[3]);
            run(d, ff_symb_u1_init, ff_symb_u1_calc, ff_symb_calc);
        }
        for (imau1& image : attributes) free_imau1(&image);
        return result;
    };
    reference_sweep(
        20261209, 120, make, [&](const ImageCase& c) { return classify(c, true); },
        [&](const ImageCase& c) { return classify(c, false); },
        [](float a, float b) { return std::bit_cast<unsigned>(a) == std::bit_cast<unsigned>(b); });
}

}  // namespace
