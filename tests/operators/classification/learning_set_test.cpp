// The image formatters (rectangles, their refusals) and the learning set:
// census, background detection and its dialogue on standard input, ties,
// the points kept in mask order, and the refusals of the reading and
// initialisation phases.

#include "learning_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "records.hpp"
#include "support.hpp"

using namespace testing_support;

namespace {

// Two 4 x 3 attributes and a mask of labels 0 (6 points), 2 (4) and 1 (2).
const std::vector<int> kMask = {0, 0, 2, 2, 0, 1, 2, 0, 1, 0, 0, 2};
int attribute0(int x, int y) { return 10 * y + x; }
int attribute1(int x, int) { return 100 + x; }

rectangle_image_t rectangle(int choix, int x1 = 0, int y1 = 0, int x2 = 0, int y2 = 0) {
    return {{y1, x1}, {y2, x2}, choix};
}

// The files of a learning set, and its descriptor but the attribute readers.
struct Setup {
    format_learning_set_from_imau1_t d;
    std::vector<read_ima_t> readers;
};

// Writes the two attributes and `mask` (nc columns) into dir, and a
// descriptor that reads them with the given rectangles.
Setup learning(const TempDir& dir, const std::vector<int>& mask, int nc, rectangle_image_t attributes = rectangle(0),
               rectangle_image_t labels = rectangle(0)) {
    const int nr = static_cast<int>(mask.size()) / nc;
    imau1 images[] = {make_image<imau1>(nc, nr, attribute0), make_image<imau1>(nc, nr, attribute1),
                      make_image<imau1>(nc, nr, pixels_from(mask, nc))};
    const char* names[] = {"a0", "a1", "mask"};
    for (int i = 0; i < 3; ++i) {
        write_image(dir.file(names[i]), "ima", images[i]);
        free_imau1(&images[i]);
    }
    format_learning_set_from_imau1_t d{};
    d.nb_attributs = 2;
    d.lecteur_masque = reader_for(dir.file("mask"), "ima");
    d.format_attributs = attributes;
    d.format_masque = labels;
    return {d, {reader_for(dir.file("a0"), "ima"), reader_for(dir.file("a1"), "ima")}};
}

// The learning set built in a child with `typed` on standard input and the
// expected background `fond`; the child prints the background, the labels
// and the attribute rows on standard error.
Outcome built(const Setup& setup, int fond, const std::string& typed = "") {
    return run_captured(
        [&setup, fond] {
            format_learning_set_from_imau1_t d = setup.d;
            d.lecteurs_attributs = static_cast<read_ima_t*>(std::calloc(2, sizeof(read_ima_t)));
            std::copy(setup.readers.begin(), setup.readers.end(), d.lecteurs_attributs);
            learning_set set{};
            format_learning_set_from_imau1_init(&d, fond, &set);
            format_learning_set_from_imau1_calc(&d, &set);
            std::fprintf(stderr, "fond %d, %d classes:", d.label_fond, set.output.nb_classes);
            for (int i = 0; i < set.output.nb_pts; ++i) std::fprintf(stderr, " %d", set.output.data.crisp[i]);
            for (int a = 0; a < set.input.nb_attributs; ++a) {
                std::fprintf(stderr, " |");
                for (int i = 0; i < set.input.nb_pts; ++i)
                    std::fprintf(stderr, " %g", static_cast<double>(set.input.data[a][i]));
            }
            format_learning_set_from_imau1_ferm(&d, &set);
        },
        typed);
}

}  // namespace

TEST(LearningSet, FormattersTakeTheRectangleRowByRow) {
    imau1 image = make_image<imau1>(4, 3, attribute0);
    const std::string invalid = "\nInit format...\nErreur dimension - coordonnees points invalides";
    const struct {
        rectangle_image_t r;
        std::string made;  // attributes, points, the two bookkeeping integers, rows, columns: values
    } cases[] = {
        {rectangle(0), "1 12 0 12 3 4: 0 1 2 3 10 11 12 13 20 21 22 23"},
        {rectangle(1, 1, 0, 2, 1), "1 4 0 4 2 2: 1 2 11 12"},
        {rectangle(1, 3, 2, 3, 2), "1 1 0 1 1 1: 23"},
        {rectangle(1, 2, 0, 1, 1), invalid},
        {rectangle(1, 0, 1, 0, 0), invalid},
        {rectangle(1, 0, 0, 4, 0), invalid},
        {rectangle(1, -1, 0, 1, 0), invalid},
        {rectangle(2), "\nInit format...\nErreur dans init : choix non valide"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_captured([&] {
            format_imau1_classifier_input_t d = c.r;
            data_input in{};
            format_imau1_classifier_input_init(&d, image, &in);
            format_imau1_classifier_input_calc(&d, image, &in);
            std::fprintf(stderr, "%d %d %d %d %d %d:", in.nb_attributs, in.nb_pts, in.premier_indice, in.fin_indice,
                         in.equ_nb_rows, in.equ_nb_cols);
            for (int p = 0; p < in.nb_pts; ++p) std::fprintf(stderr, " %g", static_cast<double>(in.data[0][p]));
        });
        if (c.made[0] == '\n')
            EXPECT_TRUE(ended(run, 1, c.made));
        else
            EXPECT_TRUE(ended(run, 0, "\nInit format...OK.Calcul format...OK") && run.err == c.made) << run.err;
    }

    // The mask formatter copies labels, and shows the points before refusing them.
    const Outcome labels = run_captured([&] {
        format_imau1_classifier_crisp_output_t d = rectangle(1, 1, 1, 3, 2);
        data_output out{};
        format_imau1_classifier_crisp_output_init(&d, image, &out);
        format_imau1_classifier_crisp_output_calc(&d, image, &out);
        for (int p : records::labels_of(out)) std::fprintf(stderr, "%d ", p);
    });
    EXPECT_TRUE(ended(labels, 0, "\n\nInit format crisp output...OK.\n\nCalcul format crisp_output...OK"));
    EXPECT_EQ(labels.err, "11 12 13 21 22 23 ");
    EXPECT_TRUE(ended(run_captured([&] {
                          format_imau1_classifier_crisp_output_t d = rectangle(1, 2, 0, 1, 1);
                          data_output out{};
                          format_imau1_classifier_crisp_output_init(&d, image, &out);
                      }),
                      1,
                      "\n\nInit format crisp output...desc->premier_point.Xcol =2 \ndesc->premier_point.Yrow =0\n"
                      "image_u1.nr =3\nimage_u1.nc =4\ndesc->deuxieme_point.Xcol = 1\ndesc->deuxieme_point.Yrow =1\n "
                      "\nErreur dimension - coordonnees points invalides"));
    free_imau1(&image);
}

TEST(LearningSet, KeepsEveryPointOutsideTheBackgroundInMaskOrder) {
    TempDir dir;
    const Outcome run = built(learning(dir, kMask, 4), 0);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "fond 0, 2 classes: 2 2 1 2 1 2 | 2 3 11 12 20 23 | 102 103 101 102 100 103");
    const std::string report =
        "\n\n---------------    RAPPORT  DES LEARNING DATA  ------------------- "
        "\nDonnees initiales : 12 points et 2 attributs\n\n2 classes ont ete detectees :\n"
        "Le label \t 0 \t contient \t 6 points.\nLe label \t 2 \t contient \t 4 points.\n"
        "Le label \t 1 \t contient \t 2 points.\n\nLa classe avec le label 0 a ete supprimee des donnees (fond).\n"
        "\nIl y a 6 points d'apprentissage soit 50.00/100 des points initiaux\n\n" +
        std::string(85, '-') +
        " \nRemplissage de la structure learning set avec les donnees...ok"
        "\nLiberation de la memoire allouee pour le descripteur de learning set...ok"
        "Liberation de la memoire allouee pour la structure de learning set...ok";
    EXPECT_NE(run.out.find("Ok\nInit champs de la structure...OkAllocations datainput et dataoutput..." + report),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("ATTENTION"), std::string::npos);

    // A tie of counts: the label met first is the background.
    TempDir tie;
    EXPECT_EQ(built(learning(tie, {3, 5, 5, 3}, 2), 3).err, "fond 3, 1 classes: 5 5 | 1 10 | 101 100");
}

TEST(LearningSet, BackgroundDialogueOnStandardInput) {
    const std::string listing =
        "\nLes differents labels sont :                                label 0 (6 points)  \n"
        "                               label 2 (4 points)  \n                               label 1 (2 points)  \n"
        "\nNumero du label a exclure ?   :  ";
    const std::string prompt = "\nAcceptez (1 + <enter>) ou changez le label a exclure (0 + <enter>) ? : ";
    const struct {
        std::string typed, kept, said;
    } cases[] = {
        {"1\n", "fond 0, 2 classes: 2 2 1 2 1 2", prompt + "\nInit champs"},
        {"0\n7\n2\n", "fond 2, 2 classes: 0 0 0 1 0 1 0 0", listing + "\nCe label n'existe pas." + listing + "\nInit"},
        {"5\n0 1\n", "fond 1, 2 classes: 0 0 2 2 0 2 0 0 0 2",
         prompt + "\nTapez 0 (pour modifier le label de la classe de fond) ou 1 (pour continuer) : " + listing +
             "\nInit"},
        {"", "fond 0, 2 classes: 2 2 1 2 1 2",
         prompt + "\n>> ATT format_learning_set_from_imau1_init : pas de reponse lisible, le label 0 reste le fond\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const Outcome run = built(learning(dir, kMask, 4), 9, c.typed);
        EXPECT_TRUE(ended_saying(run, 0, c.said)) << c.typed;
        EXPECT_EQ(run.err.substr(0, c.kept.size()), c.kept) << c.typed;
        EXPECT_NE(run.out.find("\nATTENTION \nLe label du fond specifie en parametre de la fonction init de "
                               "l'operateur format_learning_set_from_imau1 est differentde celui detecte par la "
                               "fonction.\n\nINFO : La classe avec le label '0' est prise comme le fond et ne sera "
                               "pas\nprise dans les donnees d'apprentissage vu qu'elle est celle avec le plus grand "
                               "nombre de points (6 points sur un total de 12). \nSeulement les autres classes seront "
                               "incluses dans le learning set."),
                  std::string::npos);
    }
}

TEST(LearningSet, Refusals) {
    const std::string single =
        "\n\nERREUR learning set : Il n'y a visiblement qu'une seule classe, donc tous les points sont dans la meme "
        "classe. Pas d'interet.";
    const struct {
        std::vector<int> mask;
        int nc;
        rectangle_image_t attributes, labels;
        std::string message;
    } cases[] = {
        {{4, 4, 4, 4}, 2, rectangle(0), rectangle(0), single},
        {kMask, 4, rectangle(1, 1, 1, 1, 1), rectangle(1, 1, 1, 1, 1),
         "\n\nERREUR learning set : Pas assez de points attributs = 1 et masque = 1  (<2?)\n"},
        {kMask, 4, rectangle(0), rectangle(1, 0, 0, 1, 1),
         "\n\nERREUR : le masque et les attributs doivent comporter le meme nombre de points.\n"
         "desc_format->dataIattributs.nb_pts = 12 - desc_format->dataOmasque.nb_pts = 4\n"
         "desc_format->dataIattributs.equ_nb_rows = 3 - desc_format->dataOmasque.equ_nb_rows = 2\n"
         "desc_format->dataIattributs.equ_nb_cols = 4 - desc_format->dataOmasque.equ_nb_cols = 2\n"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_TRUE(ended_saying(built(learning(dir, c.mask, c.nc, c.attributes, c.labels), 0), 1, c.message));
    }

    auto ask = [](std::vector<std::string> replies) {
        auto lect = [](param* head) {
            return format_learning_set_from_imau1_lect(new format_learning_set_from_imau1_t, head, ">> set :");
        };
        return run_phase(replies, lect, [](param*, param*) {});
    };
    EXPECT_TRUE(ended_saying(ask({"-1"}), 1, "Alloc structures -1 images imp."));
    EXPECT_TRUE(ended_saying(ask({"1", "a.ima", "2"}), 1,
                             ">> Format attributs->data input lecture :  Image entiere (0) ou partielle (1) = 2\n"
                             "\nMauvaise reponse"));
}
