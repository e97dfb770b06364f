/*
 * defuzzyfication.h: a fuzzy data output over an image rectangle turned
 * into crisp classes, ties settled by the 3 x 3 neighbourhood.
 *
 * With w = equ_nb_cols, n = nb_pts and m[c][i] the membership of class c
 * at point i (row i / w, column i % w): each point takes the class of
 * highest membership, the maximum starting from 0.0 and replaced only by a
 * strictly greater membership (the lowest class wins among equal maxima; a
 * point whose memberships are all 0 or less takes class 0). A point away
 * from the rectangle's border (i >= w, i % w != 0, (i + 1) % w != 0,
 * i <= n - w) whose maximum is held by a number of classes other than one
 * is uncertain: it takes the class chosen the same way from the sums of
 * m[c] over its 3 x 3 neighbourhood (single precision, row above first,
 * left to right), which read only memberships, never decided labels.
 * Border points are decided by their own memberships, ties included.
 */
#ifndef DEFUZZYFICATION_H
#define DEFUZZYFICATION_H

#include "classifier_data.h"
#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    float max_courant;          /* largest membership of the point at hand */
    float* sommes;              /* nb_classes summed memberships of the uncertain point at hand (init) */
    int nb_incertains;          /* uncertain points after the first pass */
    int nb_incertains_restants; /* points still tied after the 3 x 3 sums */
    int* incertain;             /* nb_pts flags: 1 for a point left uncertain by the first pass (init) */
    int nb_classes;             /* classes of the fuzzy input */
} defuzzyfication_voisinage_3x3_t;

/* Asks nothing. Returns ptp. */
param* defuzzyfication_voisinage_3x3_lect(defuzzyfication_voisinage_3x3_t* desc, param* ptp);

/* Prints "\nDefuzzyfication init...", copies nb_classes of in, makes *out a
 * crisp output with the nb_classes, nb_pts, equ_nb_rows and equ_nb_cols of
 * in and allocates it, allocates the sums and the flags (all 0) and sets
 * both counts to 0 ("Erreur defuzz init memoire insuffisante" and status
 * 1 when memory lacks); prints the line "OK". Refused with a line and
 * status 1: an input that is not fuzzy, has no class, or whose rectangle
 * does not hold exactly its nb_pts points. Returns 0. */
int defuzzyfication_voisinage_3x3_init(defuzzyfication_voisinage_3x3_t* desc, data_output in, data_output* out);

/* Prints "\nDefuzzyfication calcul...", decides every point (counts and
 * flags start afresh), prints "Nb. de donn\351es incertaines initiales =
 * %d." and then either the line "Donc pas besoin de fen\352tre de
 * v\351rification." or the line " Incorrect. \nN\351cessit\351 d'un post
 * traitement des donn\351es incertaines avec fen\352tre 3x3...", settles the
 * uncertain points and prints "\nApr\350s la v\351rification avec la
 * fen\352tre 3x3 il y a encore %d incertitudes.\n" or the line "\nLa
 * fen\352tre 3x3 a supprim\351 les incertitudes". in and *out must be those of
 * init (otherwise status 1). Returns 0. */
int defuzzyfication_voisinage_3x3_calc(defuzzyfication_voisinage_3x3_t* desc, data_output in, data_output* out);

#ifdef __cplusplus
}
#endif

#endif /* DEFUZZYFICATION_H */
