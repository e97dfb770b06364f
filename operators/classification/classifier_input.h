/*
 * classifier_input.h: an 8-bit image, or a rectangle of it, as one
 * attribute row of a data input (classifier_data.h).
 *
 * The rectangle runs from its first point to its second point, both
 * included; its points are numbered row by row from the first point:
 * point (y - first row) x width + (x - first column). Called once per
 * image, the computation stacks the images as attributes in call order.
 */
#ifndef CLASSIFIER_INPUT_H
#define CLASSIFIER_INPUT_H

#include "classifier_data.h"
#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A pixel position: row (0 ... nr - 1), column (0 ... nc - 1). */
typedef struct {
    int Yrow;
    int Xcol;
} point_image_t;

/* The rectangle of an image that a formatter takes. */
typedef struct {
    point_image_t premier_point;  /* first corner */
    point_image_t deuxieme_point; /* second corner: row and column not smaller */
    int choix;                    /* 0 whole image, 1 the rectangle of the two points */
} rectangle_image_t;

typedef rectangle_image_t format_imau1_classifier_input_t;

/* Asks "<debq> Image entiere (0) ou partielle (1)" into choix; a reply
 * other than 0 or 1 ends the process with "\nMauvaise reponse" (status 1).
 * For 1, then asks "<debq> Coordonn\351es X du premier point (colonne : 0 a
 * nb colonnes - 1)", "<debq> Coordonn\351es Y du premier point (ligne : 0 a
 * nb lignes - 1)", "<debq> Coordonn\351es X deuxieme point (colonne : 0 a
 * nb colonnes - 1)" and "<debq> Coordonn\351es Y deuxieme point (ligne : 0
 * a nb lignes - 1) " into the first point's column and row and the second
 * point's column and row (replies beyond the range of int are refused).
 * Returns the record after the last question asked. */
param* format_imau1_classifier_input_lect(format_imau1_classifier_input_t* desc, param* ptp, const char* debq);

/* Prints "\nInit format...". choix 0 makes the rectangle the whole image
 * ((0, 0) to (nr - 1, nc - 1)); choix 1 requires both points inside the
 * image and the second not before the first in row or column, otherwise
 * "\nErreur dimension - coordonnees points invalides" (status 1); another
 * choix ends the process with "\nErreur dans init : choix non valide".
 * Then sets *data for the rectangle: no attribute (nb_attributs 0, data
 * null, nothing freed), nb_pts = height x width, premier_indice 0,
 * fin_indice nb_pts, equ_nb_rows height, equ_nb_cols width. Prints "OK.".
 * Returns 0. */
int format_imau1_classifier_input_init(format_imau1_classifier_input_t* desc, imau1 image, data_input* data);

/* Prints "Calcul format...", adds one attribute row to *data
 * (alloc_classifier_data_input_one_by_one) and copies into it, as floats,
 * the pixels of the rectangle; prints "OK". Refused with a line and status
 * 1 before anything changes: an image that does not hold the rectangle
 * (choix 1), an image whose size is not that of the whole image the
 * rectangle was set for (choix 0), and a *data whose nb_pts is not the
 * rectangle's. Returns 0. */
int format_imau1_classifier_input_calc(format_imau1_classifier_input_t* desc, imau1 image, data_input* data);

#ifdef __cplusplus
}
#endif

#endif /* CLASSIFIER_INPUT_H */
