// The classifier records: growing a data input attribute by attribute, the
// normalisations (reversed bounds, constant rows, the already-normalised
// early stop, crisp truncations), the conversions to images and every
// refusal of the module.

#include "classifier_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "images.hpp"
#include "proto2D.h"
#include "records.hpp"
#include "support.hpp"

using namespace testing_support;
using records::Input;
using records::Output;
using records::Rows;
using Labels = std::vector<int>;

namespace {

constexpr float kUntouched = -7.0f;

// Whether a run ended with status 1 on the normalisation refusal of `text`
// (its source line aside).
testing::AssertionResult refused_normalisation(const Outcome& run, const std::string& text) {
    const std::string head = "\nERREUR --> fichier classifier-data-module ligne ", tail = " : \n" + text + "\n \n";
    const bool shaped = run.out.rfind(head, 0) == 0 && run.out.size() > head.size() + tail.size() &&
                        run.out.compare(run.out.size() - tail.size(), tail.size(), tail) == 0;
    if (run.status == 1 && shaped) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "status " << run.status << ", printed \"" << run.out << "\"";
}

}  // namespace

TEST(ClassifierData, OneByOneKeepsTheRowsItHasAndAddsTheLast) {
    data_input in{0, 3, 0, 0, 0, 0, 0, nullptr};
    for (int a = 0; a < 3; ++a) {
        ++in.nb_attributs;
        ASSERT_EQ(alloc_classifier_data_input_one_by_one(&in), 0);
        for (int p = 0; p < 3; ++p) in.data[a][p] = static_cast<float>(10 * a + p);
    }
    EXPECT_EQ(records::rows_of(in), (Rows{{0, 1, 2}, {10, 11, 12}, {20, 21, 22}}));
    free_data_input(&in);

    int sentinel = 0;
    data_output other{0, 4, 5, 0, 0, 0, {&sentinel}};  // an unknown type
    EXPECT_EQ(alloc_classifier_data_output(&other), 0);
    EXPECT_EQ(other.data.crisp, &sentinel);
}

// What a normalisation prints: done on the ascending bounds "[lo,hi]", or
// stopped on a row already spanning the bounds given "[a,b]".
std::string printed(const char* kind, bool stopped, const std::string& bounds) {
    const std::string fin = std::string(kind) == "input" ? "fin -> deja" : "fin car deja";
    if (stopped) return "Normalisation : " + fin + " normalise sur intervalle specifie " + bounds + "!\n";
    return "\nNormalisation data " + std::string(kind) + " sur " + bounds + " faite.\n";
}

TEST(ClassifierData, NormalisesEachAttributeRow) {
    const float u = kUntouched;
    const struct {
        float a, b;
        Rows in, out;
        bool stopped;
        const char* bounds;
    } cases[] = {
        {0, 1, {{2, 4, 6}}, {{0, 0.5f, 1}}, false, "[0.000,1.000]"},
        // Reversed bounds: the same ascending mapping, the bounds shown in order.
        {1, 0, {{2, 4, 6}}, {{0, 0.5f, 1}}, false, "[0.000,1.000]"},
        // The early stop needs min = a and max = b as given.
        {1, 0, {{0, 0.5f, 1}}, {{0, 0.5f, 1}}, false, "[0.000,1.000]"},
        // A constant row goes to the lower bound.
        {3, -1, {{10, 10, 10}, {0, 5, 10}}, {{-1, -1, -1}, {-1, 1, 3}}, false, "[-1.000,3.000]"},
        // Already on [a, b]: this row and the later ones are left alone.
        {0, 1, {{0, 0.5f, 1}, {2, 4, 6}}, {{u, u, u}, {u, u, u}}, true, "[0.00,1.00]"},
        {0, 1, {{2, 4, 6}, {1, 0, 0.25f}}, {{0, 0.5f, 1}, {u, u, u}}, true, "[0.00,1.00]"},
    };
    for (const auto& c : cases) {
        const Input src(c.in);
        Input dst(Rows(c.in.size(), std::vector<float>(c.in[0].size(), u)));
        testing::internal::CaptureStdout();
        EXPECT_EQ(normaliser_data_input_sur_a_b(c.a, c.b, src, &dst), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), printed("input", c.stopped, c.bounds)) << c.a << " " << c.b;
        EXPECT_EQ(records::rows_of(dst), c.out) << c.a << " " << c.b;
    }
}

TEST(ClassifierData, NormalisesOutputs) {
    // Crisp: r truncated into the label, then lo + (hi - lo) x label truncated.
    const struct {
        float a, b;
        Labels in, out;
        bool stopped;
        const char* bounds;
    } crisp[] = {
        {2.5f, 7.5f, {0, 5, 10}, {2, 2, 7}, false, "[2.500,7.500]"},
        {9, 2, {4, 4}, {2, 2}, false, "[2.000,9.000]"},
        {0, 1, {0, 1, 1}, {-3, -3, -3}, true, "[0.00,1.00]"},
    };
    for (const auto& c : crisp) {
        Output dst(Labels(c.in.size(), -3));
        testing::internal::CaptureStdout();
        EXPECT_EQ(normaliser_data_output_sur_a_b(c.a, c.b, Output(c.in), &dst), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), printed("output", c.stopped, c.bounds));
        EXPECT_EQ(records::labels_of(dst), c.out) << c.a << " " << c.b;
    }
    Output dst(Rows{{kUntouched, kUntouched}, {kUntouched, kUntouched}});
    testing::internal::CaptureStdout();
    normaliser_data_output_sur_a_b(0, 1, Output(Rows{{0.2f, 0.6f}, {0, 1}}), &dst);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printed("output", true, "[0.00,1.00]"));
    EXPECT_EQ(records::rows_of(dst), (Rows{{0, 1}, {kUntouched, kUntouched}}));
}

TEST(ClassifierData, ConvertsOutputsToImages) {
    // Memberships x 255 truncated (1.0 -> 255, 0.999 -> 254), beyond 0 ... 1 clamped.
    const Output fuzzy(Rows{{1.0f, 0.999f, 0, 0.5f, 1.5f, -0.2f}, {0, 0, 0, 0, 0, 0.01f}}, 2, 3);
    imau1* images = nullptr;
    ASSERT_EQ(data_output_fuzzy_to_imageu1(fuzzy, &images), 0);
    EXPECT_EQ(shape(images[0]), "3x2");
    EXPECT_EQ(pixels_of(images[0]), (std::vector<unsigned char>{255, 254, 0, 127, 255, 0}));
    EXPECT_EQ(pixels_of(images[1]), (std::vector<unsigned char>{0, 0, 0, 0, 0, 2}));

    // The low 8 bits of each label.
    imau1 labels{};
    ASSERT_EQ(data_output_crisp_to_imageu1(Output(Labels{0, 7, 255, 256, 300, -1}, 3, 2), &labels), 0);
    EXPECT_EQ(shape(labels), "2x3");
    EXPECT_EQ(pixels_of(labels), (std::vector<unsigned char>{0, 7, 255, 0, 44, 255}));

    // Floats into the rectangle of images the caller made larger.
    std::vector<imafl> floats(2);
    for (imafl& f : floats) f = make_image<imafl>(4, 3, [](int, int) { return 9.0f; });
    ASSERT_EQ(data_output_fuzzy_to_imagefl(fuzzy, floats.data()), 0);
    EXPECT_EQ(pixels_of(floats[0]), (std::vector<float>{1.0f, 0.999f, 0, 9, 0.5f, 1.5f, -0.2f, 9, 9, 9, 9, 9}));
    EXPECT_EQ(pixels_of(floats[1]), (std::vector<float>{0, 0, 0, 9, 0, 0, 0.01f, 9, 9, 9, 9, 9}));
    for (int k = 0; k < 2; ++k) {
        free_imau1(&images[k]);
        free_imafl(&floats[k]);
    }
    std::free(images);
    free_imau1(&labels);
}

TEST(ClassifierData, Refusals) {
    static data_input in;
    static data_output out;
    auto input = [](int attributes, int points) { return &(in = {attributes, points, 0, 0, 0, 0, 0, nullptr}); };
    auto output = [](int type, int classes, int points) { return &(out = {classes, points, type, 0, 0, 0, {}}); };
    const struct {
        std::function<void()> call;
        const char* message;
    } cases[] = {
        {[&] { alloc_classifier_data_input_completely(input(0, 4)); }, "champ nombre d attribut non rempli"},
        {[&] { alloc_classifier_data_input_completely(input(-1, 4)); }, "\n allocation attributs impossible"},
        {[&] { alloc_classifier_data_input_completely(input(2, -1)); }, "\n allocation points impossible"},
        {[&] { alloc_classifier_data_input_one_by_one(input(1, -1)); }, "\n allocation image impossible"},
        {[&] { alloc_classifier_data_output(output(1, -1, 4)); }, "\n allocation classes fuzzy sortie impossible"},
        {[&] { alloc_classifier_data_output(output(1, 2, -1)); }, "\n allocation points sortie fuzzy impossible"},
        {[&] { alloc_classifier_data_output(output(0, 0, -1)); }, "\n allocation points sortie crisp impossible"},
        {[&] { free_data_output(output(2, 0, 4)); }, "\nERREUR : free_data_output : Type inconnu "},
        {[&] {
             data_output_fuzzy_to_imagefl(Output(Labels{1, 2}, 1, 2), nullptr);
         },
         "Resultat du mauvais type"},
        {[&] {
             data_output_fuzzy_to_imageu1(Output(Labels{1, 2}, 1, 2), new imau1*);
         },
         "data_output_fuzzy_to_imageu1 : Resultat du mauvais type"},
        {[&] {
             data_output_crisp_to_imageu1(Output(Rows{{1, 2}}, 1, 2), new imau1);
         },
         "data_output_crisp_to_imageu1 : Resultat du mauvais type"},
        {[&] {
             data_output_crisp_to_imageu1(Output(Labels{1, 2, 3}), new imau1);
         },
         "\nErreur data_output_crisp_to_imageu1 : les 3 points ne forment pas une image de 0 lignes x 0 colonnes\n"},
    };
    for (const auto& c : cases) EXPECT_TRUE(ended(run_captured(c.call), 1, c.message)) << c.message;

    Input two({{1, 2}}), three({{1, 2, 3}}), pair({{1, 2}, {3, 4}});
    Output one_label(Labels{1}), fuzzy(Rows{{1, 2}}), labels(Labels{1, 2});
    const struct {
        std::function<void()> call;
        const char* text;
    } normalisations[] = {
        {[&] { normaliser_data_input_sur_a_b(0, 1, two, &three); }, "In et Out de taille differente\n"},
        {[&] { normaliser_data_input_sur_a_b(0, 1, two, &pair); }, "In et Out : nb attributs differents"},
        {[&] { normaliser_data_input_sur_a_b(2, 2, two, &two); }, "a et b sont egaux => normalisation non logique\n"},
        {[&] { normaliser_data_output_sur_a_b(0, 1, labels, &one_label); }, "In et Out de taille differente\n"},
        {[&] { normaliser_data_output_sur_a_b(0, 1, labels, &fuzzy); }, "In et Out de type differents"},
        {[&] { normaliser_data_output_sur_a_b(1, 1, labels, &labels); },
         "a et b sont egaux => normalisation non logique\n"},
        {[&] { normaliser_data_output_sur_a_b(0, 1, *output(3, 0, 2), &out); }, "Type problematique\n"},
    };
    for (const auto& c : normalisations) EXPECT_TRUE(refused_normalisation(run_captured(c.call), c.text)) << c.text;
}
