/*
 * idctexp.h: inverse discrete cosine transform and exponential across a
 * stack of coefficient images, back to 16-bit images.
 *
 * The inverse of logdct.h. For every pixel, the n coefficients q[0] ...
 * q[n-1] of the stack become n 16-bit values: with the orthonormal n-point
 * DCT-III
 *   a[k] = sum over m = 0 ... n-1 of matrice[k][m] * q[m]
 * (matrice[k][0] = sqrt(1/n) and, for m >= 1,
 * matrice[k][m] = cos((2k + 1) m pi / (2n)) * sqrt(2/n), each factor rounded
 * to single precision before the product: the transpose of logdct's
 * matrix), b = e^a[k] / biais + 0.5 and the value is 65535 when b >= 65536,
 * 0 when b <= 0 (or b is not a number), b truncated otherwise. Products,
 * sums (in increasing m), e^a and b are single precision.
 */
#ifndef IDCTEXP_H
#define IDCTEXP_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Most images of a stack: the dialogue refuses more, so that a reply
 * cannot ask for an absurd n x n matrix or n x n dialogue records. */
#define IDCTEXP_MAX_IMAGES 256

typedef struct {
    int nb_images;    /* n, 1 ... IDCTEXP_MAX_IMAGES */
    float biais;      /* the values are divided by it after the exponential; > 0 */
    float *vecteur;   /* work area: the sums a of one stretch of a row (init) */
    float **matrice;  /* n row pointers over one block of n x n values (init) */
} idctexp_t;

/* Asks "<debq> nombre d'images" (an integer, 1 ... IDCTEXP_MAX_IMAGES)
 * then "<debq> biais a corriger (division apres l'exponentielle)" (a real
 * read as strtod reads it, then rounded to single precision) and stores
 * them in desc. A number of images outside 1 ... IDCTEXP_MAX_IMAGES, and a
 * bias that is not a positive finite single-precision number (0, negative,
 * beyond the range of float, or rounding to 0), end the process with
 * status 1. Returns the record after the second question. */
param *idctexp_lect(idctexp_t *desc, param *ptp, const char *debq);

/* in and out are arrays of desc->nb_images records. Every in[m] must have
 * the size of in[0]; an out[k] whose pixel table is null gets that size,
 * the name "<in[0].nom>_idctexp_<k>" and its pixels (alloc_imau2), and
 * one already allocated is kept as it is but must have that size too.
 * Either mismatch ends the process with status 1, naming the image and both
 * sizes, before anything is allocated. Then the work area and the matrix
 * are made. A failed allocation ends the process with status 1 after one
 * line ("allocation vecteur impossible", "allocation matrice impossible"
 * for the row table, "allocation image impossible" for the matrix block).
 * A desc->nb_images outside 1 ... IDCTEXP_MAX_IMAGES, or a desc->biais that
 * is not positive and finite, is refused likewise. Returns 0. */
int idctexp_u2_init(idctexp_t *desc, imafl *in, imau2 *out);

/* Writes into every out[k] the value k of every pixel of the stack in.
 * Returns 0. */
int idctexp_u2_calc(idctexp_t *desc, imafl *in, imau2 *out);

/* Releases the work area and the matrix made by idctexp_u2_init (not the
 * images) and nulls their pointers; calc needs a new init afterwards.
 * Programs may leave this to the end of the process. Returns 0. */
int idctexp_ferm(idctexp_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* IDCTEXP_H */
