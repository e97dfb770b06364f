/*
 * learning_set.h: label masks as crisp data outputs, and the supervised
 * learning set built from N attribute images and a mask of class labels.
 *
 * The learning set holds every point of the mask's rectangle whose label
 * is not the background: output label i is the mask's own label value
 * (no renumbering) and input row k attribute k at those points, in the
 * mask's row-by-row order.
 */
#ifndef LEARNING_SET_H
#define LEARNING_SET_H

#include "classifier_data.h"
#include "classifier_input.h"
#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef rectangle_image_t format_imau1_classifier_crisp_output_t;

/* Questions as format_imau1_classifier_input_lect, the first reading
 * "<debq> format output : prendre image entiere (0) ou partielle (1)".
 * Returns the record after the last question asked. */
param* format_imau1_classifier_crisp_output_lect(format_imau1_classifier_crisp_output_t* desc, param* ptp,
                                                 const char* debq);

/* Prints "\n\nInit format crisp output...", sets or checks the rectangle as
 * format_imau1_classifier_input_init does (invalid points print the lines
 * "desc->premier_point.Xcol =%d \n", "desc->premier_point.Yrow =%d\n",
 * "image_u1.nr =%d\n", "image_u1.nc =%d\n", "desc->deuxieme_point.Xcol =
 * %d\n", "desc->deuxieme_point.Yrow =%d\n " before the refusal), then sets
 * *out: crisp, nb_classes 0, nb_pts = height x width, equ_nb_rows height,
 * equ_nb_cols width, data null (nothing freed). Prints "OK.\n". Returns 0. */
int format_imau1_classifier_crisp_output_init(format_imau1_classifier_crisp_output_t* desc, imau1 image,
                                              data_output* out);

/* Prints "\nCalcul format crisp_output...", allocates *out
 * (alloc_classifier_data_output) and copies the rectangle's pixels into
 * its labels; prints "OK". Refuses an image or an *out that does not fit
 * the rectangle as format_imau1_classifier_input_calc does. Returns 0. */
int format_imau1_classifier_crisp_output_calc(format_imau1_classifier_crisp_output_t* desc, imau1 image,
                                              data_output* out);

/* The training set: the points (input) and their crisp labels (output). */
typedef struct {
    data_input input;
    data_output output;
} learning_set;

/* One label of the mask and the number of points that carry it. */
typedef struct {
    int label;
    int nb_pts;
} classe_masque_t;

typedef struct {
    classe_masque_t* classes;                         /* every label of the mask, in order of first appearance (init) */
    int label_fond;                                   /* the label left out as background (init) */
    int nb_attributs;                                 /* N, the number of attribute images */
    imau1* images_attributs;                          /* the N attribute images (init only) */
    imau1 masque;                                     /* the mask image (init only) */
    read_ima_t lecteur_masque;                        /* reader of the mask */
    read_ima_t* lecteurs_attributs;                   /* readers of the N attribute images */
    format_imau1_classifier_input_t format_attributs; /* rectangle of the attribute images */
    format_imau1_classifier_crisp_output_t format_masque; /* rectangle of the mask */
    data_input dataIattributs;                            /* every attribute value of the rectangle */
    data_output dataOmasque;                              /* every label of the rectangle (crisp) */
} format_learning_set_from_imau1_t;

/* Asks "<debq> Nombre d'attributs " (N; 0 ends the process with
 * "Nb Att = 0!!\n", and a negative N or readers that cannot be allocated
 * with "Alloc structures %d images imp.", status 1). Then, for i = 1 ... N,
 * prints "\nChemin de l'attributs %d/%d :" and asks the reader's question
 * with the heading ">> Chemin de l'attribut (.ras) "; then the attribute
 * rectangle (heading ">> Format attributs->data input lecture : "), the
 * mask's reader (">> Format learning set : chemin du masque (.ras) ") and
 * the mask rectangle (">> Format data output  lecture : "). Returns the
 * record after the last question. */
param* format_learning_set_from_imau1_lect(format_learning_set_from_imau1_t* desc, param* ptp, const char* debq);

/*
 * Reads the N attribute images and the mask (read_imau1_init), formats
 * them into dataIattributs (one row per image, in order) and dataOmasque,
 * then releases the images and the readers. Refused with status 1: fewer
 * than 2 points ("\n\nERREUR learning set : Pas assez de points attributs
 * = %d et masque = %d  (<2?)\n"), attributes and mask of different point
 * counts ("\n\nERREUR : le masque et les attributs doivent comporter le
 * meme nombre de points.\n" and three lines of sizes), a mask of one
 * single label ("\n\nERREUR learning set : Il n'y a visiblement qu'une
 * seule classe, donc tous les points sont dans la meme classe. Pas
 * d'interet.").
 *
 * The census lists every label with its count in order of first
 * appearance; the background is the label of the largest count, the
 * earliest on a tie. When it is not fond_attendu, the user is asked on
 * standard input (integers read as "%d" reads them) to accept it (1) or to
 * name another label (0, then a label of the mask; a label that is not in
 * the mask lists the labels again; any other answer asks for 0 or 1 again).
 * At the end of standard input, or at an answer that is not a number, the
 * detected label stays the background and a line says so.
 *
 * Then *set gets N attributes, nb_pts = the points whose label is not the
 * background, a crisp output of nb_classes = labels - 1 (dataOmasque's
 * nb_classes = labels), both allocated; and the report of the learning
 * data is printed. Returns 0.
 */
int format_learning_set_from_imau1_init(format_learning_set_from_imau1_t* desc, int fond_attendu, learning_set* set);

/* Copies, in the mask's order, the label and the N attribute values of
 * every point whose label is not the background into *set; then sets the
 * learning set's equ_nb_rows, equ_nb_cols (input and output) and the
 * input's premier_indice and fin_indice to 0: it is no longer an image.
 * Prints "\nRemplissage de la structure learning set avec les donnees..."
 * and "ok". Returns 0. */
int format_learning_set_from_imau1_calc(format_learning_set_from_imau1_t* desc, learning_set* set);

/* Frees the census, dataIattributs, dataOmasque, then the learning set's
 * input and output, with their progress lines. Returns 0. */
int format_learning_set_from_imau1_ferm(format_learning_set_from_imau1_t* desc, learning_set* set);

/* Writes the learning set as a raw learning-data file: one line per point,
 * its attribute values ("%f " each) then its label ("%d\n"); points grouped
 * by class in increasing label order, in the set's order within a class.
 * Then prints the sizes that the learning of rules asks for: the number of
 * attributes, of classes and, for each class numbered from 0 in that
 * order, its label and its number of points. A file that cannot be
 * written ends the process with a line naming it, status 1. Returns 0. */
int ecrire_learning_set(learning_set set, const char* nom);

#ifdef __cplusplus
}
#endif

#endif /* LEARNING_SET_H */
