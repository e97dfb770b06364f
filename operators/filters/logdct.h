/*
 * logdct.h: logarithm and discrete cosine transform across a stack of
 * 16-bit images.
 *
 * The n images of a stack are registered views of one scene (n looks, n
 * acquisitions). For every pixel, the n values v[0] ... v[n-1] of the stack
 * become n coefficients: the orthonormal n-point DCT-II of ln v[m],
 *   c[k] = sum over m = 0 ... n-1 of matrice[k][m] * ln v[m]
 * with matrice[0][m] = sqrt(1/n) and, for k >= 1,
 * matrice[k][m] = cos(k (2m + 1) pi / (2n)) * sqrt(2/n), each factor rounded
 * to single precision before the product. Logarithms, products and sums are
 * single precision; the sum runs in increasing m. ln 0 and ln 1 count as 0.
 * idctexp.h undoes the transform.
 */
#ifndef LOGDCT_H
#define LOGDCT_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Most images of a stack: the dialogue refuses more, so that a reply
 * cannot ask for an absurd n x n matrix or n x n dialogue records. */
#define LOGDCT_MAX_IMAGES 256

/* Entries of the logarithm table: one per 16-bit level. */
#define LOGDCT_LEVELS 65536

typedef struct {
    int nb_images;                /* n, 1 ... LOGDCT_MAX_IMAGES */
    float tab_log[LOGDCT_LEVELS]; /* tab_log[v] = ln v, tab_log[0] = tab_log[1] = 0 (init) */
    float *vecteur;               /* work area: the logarithms of one stretch of a row of
                                     every image (init) */
    float **matrice;              /* n row pointers over one block of n x n values (init) */
} logdct_t;

/* Asks "<debq> nombre d'images" and stores the base-10 integer reply in
 * desc->nb_images. A reply outside 1 ... LOGDCT_MAX_IMAGES (or beyond the
 * range of int) ends the process with status 1. Returns the next record. */
param *logdct_lect(logdct_t *desc, param *ptp, const char *debq);

/* in and out are arrays of desc->nb_images records. Every in[m] must have
 * the size of in[0]: otherwise the process ends with status 1, naming the
 * image and both sizes, before anything is allocated. Then out[k] gets the
 * size of in[0], the name "<in[0].nom>_logdct_<k>" and its pixels
 * (alloc_imafl), and the work area, the matrix and the logarithm table are
 * made. A failed allocation ends the process with status 1 after one line
 * ("allocation vecteur impossible", "allocation matrice impossible" for
 * the row table, "allocation image impossible" for the matrix block).
 * A desc->nb_images outside 1 ... LOGDCT_MAX_IMAGES is refused likewise.
 * Returns 0. */
int logdct_u2_init(logdct_t *desc, imau2 *in, imafl *out);

/* Writes into every out[k] (sized by logdct_u2_init) the coefficient k of
 * every pixel of the stack in. Returns 0. */
int logdct_u2_calc(logdct_t *desc, imau2 *in, imafl *out);

/* Releases the work area and the matrix made by logdct_u2_init (not the
 * images) and nulls their pointers; calc needs a new init afterwards.
 * Programs may leave this to the end of the process. Returns 0. */
int logdct_ferm(logdct_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* LOGDCT_H */
