/*
 * classifier_data.h: the two records the classification operators share,
 * and the functions that allocate, free, normalise and convert them.
 *
 * A data input is a set of points described by real attributes,
 * data[attribute][point]; a data output gives each point one integer label
 * (crisp) or one membership per class (fuzzy), data.fuzzy[class][point].
 * When the points come from a rectangle of an image, equ_nb_rows and
 * equ_nb_cols give its size and point index = row x equ_nb_cols + column;
 * both are 0 when the points are not an image.
 *
 * Storage: the record lives in the caller; the functions own only the
 * storage they allocate, which the matching free function releases. The
 * rows of a data input are separate blocks under a table of row pointers
 * (a row can be appended without moving the others). The memberships of a
 * fuzzy output are one contiguous block of nb_classes x nb_pts floats
 * under a table of row pointers: data.fuzzy[k] = data.fuzzy[0] + k x nb_pts.
 * The free functions release exactly what the allocation functions made;
 * rows allocated otherwise must not be handed to them.
 *
 * Every function returns 0 (NO_ERROR); a failure prints its message on
 * standard output and ends the process with status 1.
 */
#ifndef CLASSIFIER_DATA_H
#define CLASSIFIER_DATA_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int nb_attributs;   /* rows of data */
    int nb_pts;         /* columns of data */
    int premier_indice; /* bookkeeping of the image formatter: 0 */
    int fin_indice;     /* bookkeeping of the image formatter: nb_pts */
    int equ_nb_rows;    /* rows of the image rectangle, 0 when not an image */
    int equ_nb_cols;    /* columns of the image rectangle, 0 when not an image */
    int reserve;        /* not used by these functions */
    float** data;       /* data[attribute][point] */
} data_input;

/* Values of data_output.type. */
#define DATA_OUTPUT_CRISP 0
#define DATA_OUTPUT_FUZZY 1

typedef struct {
    int nb_classes;  /* number of classes (meaningful for a fuzzy output) */
    int nb_pts;      /* number of points */
    int type;        /* DATA_OUTPUT_CRISP, DATA_OUTPUT_FUZZY; other values are invalid */
    int equ_nb_rows; /* rows of the image rectangle, 0 when not an image */
    int equ_nb_cols; /* columns of the image rectangle, 0 when not an image */
    int reserve;     /* not used by these functions */
    union {
        int* crisp;    /* crisp: crisp[point], nb_pts labels */
        float** fuzzy; /* fuzzy: fuzzy[class][point] */
    } data;
} data_output;

/* Allocates the table of nb_attributs row pointers, then each row of
 * nb_pts floats (values undefined). nb_attributs 0 ends the process with
 * "champ nombre d attribut non rempli" (no line feed); a table that cannot
 * be had (a negative count among them) with "\n allocation attributs
 * impossible", a row with "\n allocation points impossible". */
int alloc_classifier_data_input_completely(data_input* in);

/* For a data input whose nb_attributs the caller has just raised by one:
 * makes the row table nb_attributs entries long (a fresh table when
 * nb_attributs is 1, otherwise the old table grown with its rows kept) and
 * allocates the new last row of nb_pts floats. Failures: "\n allocation
 * attributs impossible" (the table, or nb_attributs below 1), "\n
 * allocation image impossible" (the row). */
int alloc_classifier_data_input_one_by_one(data_input* in);

/* By type: fuzzy, the memberships (nb_classes rows of nb_pts floats, values
 * undefined); crisp, nb_pts labels; any other type allocates nothing and
 * succeeds, data untouched. Failures: "\n allocation classes fuzzy sortie
 * impossible" (the row table), "\n allocation points sortie fuzzy
 * impossible" (the memberships), "\n allocation points sortie crisp
 * impossible"; negative counts fail likewise. */
int alloc_classifier_data_output(data_output* out);

/* Frees the nb_attributs rows, then the table; data becomes null. */
int free_data_input(data_input* in);

/* Frees the labels (crisp) or the memberships and their table (fuzzy);
 * data becomes null. Any other type ends the process with
 * "\nERREUR : free_data_output : Type inconnu ". */
int free_data_output(data_output* out);

/*
 * Normalisation onto the interval spanned by a and b: with lo the smaller
 * and hi the larger of the two (reversed bounds give the same ascending
 * mapping), each row (an attribute; for an output the crisp labels, or
 * each class) is rescaled from its own [min, max] by
 * r = (v - min) / (max - min), then lo + (hi - lo) x r, in single
 * precision. A constant row (max = min) becomes lo. A crisp label takes r
 * truncated toward zero, then the rescaled value truncated toward zero (so
 * every label becomes trunc(lo), or trunc(hi) for the largest).
 *
 * The rows are done in order. A row whose min is exactly a and max exactly
 * b stops the work: "Normalisation : fin -> deja normalise sur intervalle
 * specifie [%1.2f,%1.2f]!\n" (a, b; the output version says "fin car deja
 * normalise") is printed, and this row and those after it are left as
 * they are (not copied into dst). Otherwise, after the last row,
 * "\nNormalisation data input sur [%1.3f,%1.3f] faite.\n" (lo, hi; "data
 * output" for the output version) is printed.
 *
 * dst must be allocated with src's sizes; it may be src itself. Checked
 * first, each ending the process with status 1 after
 * "\nERREUR --> fichier classifier-data-module ligne <line> : \n<text>\n \n":
 * point counts that differ ("In et Out de taille differente\n"), attribute
 * counts that differ ("In et Out : nb attributs differents"), types that
 * differ ("In et Out de type differents"), a equal to b ("a et b sont egaux
 * => normalisation non logique\n"), a type neither crisp nor fuzzy ("Type
 * problematique\n"). Returns 0.
 */
int normaliser_data_input_sur_a_b(float a, float b, data_input src, data_input* dst);
int normaliser_data_output_sur_a_b(float a, float b, data_output src, data_output* dst);

/* Gives *image equ_nb_rows rows and equ_nb_cols columns, allocates it
 * (alloc_imau1), then writes the low 8 bits of label y x nc + x into pixel
 * (row y, column x). A non-crisp output ends the process, after the
 * allocation, with "data_output_crisp_to_imageu1 : Resultat du mauvais
 * type"; a rectangle that does not hold exactly nb_pts points (a set that
 * is not an image) with "\nErreur data_output_crisp_to_imageu1 : les %d
 * points ne forment pas une image de %d lignes x %d colonnes\n". */
int data_output_crisp_to_imageu1(data_output out, imau1* image);

/* Allocates a table of nb_classes imau1 records into *images (failure:
 * "\nErreur allocation images 2 dans data_output_fuzzy_to_imageu1
 * impossible") and one image per class, equ_nb_rows x equ_nb_cols, with an
 * empty name; then pixel (row y, column x) of image k is membership
 * [k][y x nc + x] x 255 in single precision, truncated toward zero (1.0
 * gives 255, 0.999 gives 254), values beyond 0 ... 255 clamped and NaN
 * taken as 0. A non-fuzzy output ends the process, after the allocation,
 * with "data_output_fuzzy_to_imageu1 : Resultat du mauvais type"; a
 * rectangle that does not hold exactly nb_pts points as
 * data_output_crisp_to_imageu1 says. */
int data_output_fuzzy_to_imageu1(data_output out, imau1** images);

/* Copies membership [k][y x equ_nb_cols + x] into pixel (row y, column x)
 * of images[k] for y < equ_nb_rows, x < equ_nb_cols, for every class k;
 * the caller has allocated the nb_classes images. A non-fuzzy output ends
 * the process with "Resultat du mauvais type"; an image smaller than the
 * rectangle, or a rectangle that does not hold exactly nb_pts points, with
 * a line saying so. */
int data_output_fuzzy_to_imagefl(data_output out, imafl* images);

#ifdef __cplusplus
}
#endif

#endif /* CLASSIFIER_DATA_H */
