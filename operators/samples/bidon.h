/*
 * bidon.h: a sample operator on an 8-bit image, the four phases filled in
 * at their simplest: the result is a copy of the input, and the operator
 * builds a mask image of its own from its parameters.
 */
#ifndef BIDON_H
#define BIDON_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int dimX;            /* mask columns, positive */
    int dimY;            /* mask rows, positive */
    float gain;          /* value of a "rectangle" mask */
    char forme[LONG_NOM]; /* "rectangle" or "triangle" */
    imafl masque;        /* the mask, dimX x dimY, built by bidonu1_init */
} bidon_t;

/* Asks "<debq> dimX (entier)", "<debq> dimY (entier)" (base-10 integers),
 * "<debq> gain (reel)" (a real stored as a float) and "<debq> forme (nom)"
 * (copied). Returns the record after the fourth question. */
param *bidon_lect(bidon_t *desc, param *ptp, const char *debq);

/* Gives *out the input's size and the name "<in name>_bidon_<dimX>x<dimY>",
 * allocates it, then builds the dimX x dimY mask: every value gain for
 * "rectangle", 0 for "triangle"; prints "\n>>bidonu1_init : masque <forme>
 * <dimX>x<dimY>\n". Another forme prints "\n>>ERREUR bidonu1_init : masque
 * <forme> inconnu\n" and ends the process with status 1; so does a size
 * <= 0 or a mask too large to allocate, with its own message. Returns 0. */
int bidonu1_init(bidon_t *desc, imau1 in, imau1 *out);

/* Copies every pixel of in to the same place in *out. Returns 0. */
int bidonu1_calc(bidon_t *desc, imau1 in, imau1 *out);

#ifdef __cplusplus
}
#endif

#endif /* BIDON_H */
