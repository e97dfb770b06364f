/*
 * essai.h: a sample operator on an 8-bit volume, the four phases filled in
 * at their simplest: every sample of the result is the input's plus a
 * constant offset, modulo 256.
 */
#ifndef ESSAI_H
#define ESSAI_H

#include "image.h"
#include "volume.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int dimX;             /* first factor of the offset */
    int dimY;             /* second factor of the offset */
    float gain;           /* added to dimX x dimY */
    char forme[LONG_NOM]; /* kept, not used */
    int decalage;         /* the offset, set by essaiu1_init */
} essai_t;

/* Asks "<debq> dimX (entier)", "<debq> dimY (entier)" (base-10 integers),
 * "<debq> gain (reel)" (a real stored as a float) and "<debq> forme (nom)"
 * (copied). Returns the record after the fourth question. */
param *essai_lect(essai_t *desc, param *ptp, const char *debq);

/* Gives *out the input's sizes and allocates it zero-filled; sets the
 * offset to dimX x dimY + gain computed in single precision and truncated
 * toward zero. An offset beyond the range of int ends the process with
 * status 1. Returns 0. */
int essaiu1_init(essai_t *desc, ima3Du1 in, ima3Du1 *out);

/* Every sample of *out becomes the input's plus the offset, modulo 256.
 * An *out of other sizes than in ends the process with status 1.
 * Returns 0. */
int essaiu1_calc(essai_t *desc, ima3Du1 in, ima3Du1 *out);

#ifdef __cplusplus
}
#endif

#endif /* ESSAI_H */
